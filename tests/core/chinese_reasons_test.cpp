#include "core/chinese_reasons.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/integrity_fields.h"
#include "formats/image_formats.h"
#include "platform/files.h"

#include <cctype>

#include "core/decode_hex.h"

namespace torvane {
namespace {

// Latin letters left over in a translation, other than the names of things
// (CR LF, MiB, HEX, BIN) that stay as they are.
bool HasEnglishWords(std::string text) {
    for (const char* name : {"CR", "LF", "MiB", "HEX", "BIN"}) {
        for (size_t at; (at = text.find(name)) != std::string::npos;) text.erase(at, std::string(name).size());
    }
    // Nor addresses: 0x001FFFFF.
    for (size_t at; (at = text.find("0x")) != std::string::npos;) {
        size_t end = at + 2;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
        text.erase(at, end - at);
    }
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (std::isalpha(static_cast<unsigned char>(text[i])) && std::isalpha(static_cast<unsigned char>(text[i + 1])))
            return true;
    }
    return false;
}

TEST(ChineseReasonsTest, EveryHexFaultIsTranslatedWithItsLine) {
    for (const HexFault fault : {HexFault::NoText, HexFault::NoRecordStart, HexFault::RecordPastText,
                                 HexFault::BadDigit, HexFault::BadChecksum, HexFault::BadAddressRecord,
                                 HexFault::DataOutsideImage, HexFault::UnknownType, HexFault::NoEndRecord,
                                 HexFault::BadEndRecord, HexFault::BadStartRecord, HexFault::RecordAfterEnd,
                                 HexFault::TwoValues, HexFault::NoData, HexFault::AddressNotZero}) {
        HexDecodeResult r;
        r.fault = fault;
        r.faultLine = 7;
        r.faultOffset = 123;
        const std::string chinese = ChineseReason(HexFaultReason(r));
        EXPECT_FALSE(HasEnglishWords(chinese)) << chinese;
        if (fault != HexFault::NoText && fault != HexFault::NoData) {
            EXPECT_EQ(0u, chinese.find("第7行：")) << chinese;
        }
    }
    EXPECT_EQ("第1行：记录的校验和不符", ChineseReason("line 1: the record's checksum does not match"));
}

TEST(ChineseReasonsTest, NumbersPassAndAReasonInsideAReasonIsTranslatedToo) {
    EXPECT_EQ("文件长3000000字节，超过一行可接受的2097152字节（2 MiB）",
              ChineseReason("the file is 3000000 bytes long, more than the 2097152 bytes (2 MiB) a row takes"));
    EXPECT_EQ("合并已取消：文件或文件夹不存在", ChineseReason("the merge was cancelled: No such file or directory"));
    EXPECT_EQ("设备上没有剩余空间", ChineseReason("No space left on device"));
    // What the table does not know stays as it was.
    EXPECT_EQ("something new went wrong", ChineseReason("something new went wrong"));
    EXPECT_EQ("", ChineseReason(""));
}

TEST(ChineseReasonsTest, EveryReaderAndFieldReasonIsTranslated) {
    // Made by the readers and the field checks themselves, not written out here.
    std::vector<std::string> reasons;
    for (const char* text : {"S1050020AABB00\n", "S1050020AABB75\nS5030005F7\n", "junk\n", "\x7F" "ELF\x03"})
        reasons.push_back(ReadImage(text[0] == 'S' || text[0] == 'j' ? ImageFormat::SRecord : ImageFormat::Elf,
                                    std::span(reinterpret_cast<const uint8_t*>(text), std::strlen(text)))
                              .reason);
    for (const char* field : {"crc32@4:0-8", "crc32@10:8-0", "sum8@10:0-F"}) {
        std::string why;
        const std::optional<FieldSpec> f = ParseFieldSpec(field, &why);
        if (f) {
            const FieldSpec both[] = {*f, *ParseFieldSpec("add16@10:0-3")};
            why = FieldsProblem(both, 0, 0x100).value_or("");
        }
        reasons.push_back(why);
    }
    reasons.push_back("/fw/app.bin: the output would replace the image");
    const std::vector<FieldSpec> staleAndFar = {*ParseFieldSpec("crc32@10:0-F"), *ParseFieldSpec("add16@8:0-1"),
                                                *ParseFieldSpec("sum8@10000000:0-0")};
    reasons.push_back(FieldsProblem(std::span(staleAndFar).first(2), 0, 0x100).value_or(""));
    reasons.push_back(FieldsGrowthProblem(staleAndFar, 0x10, 64u << 20).value_or(""));
    for (const std::string& english : reasons) {
        ASSERT_FALSE(english.empty());
        std::string chinese = ChineseReason(english);
        // Names stay as they are: of fields, files and formats.
        for (const char* name : {"CRC-32/ISO-HDLC", "sum8", "add16", "/fw/app.bin", "ELF", "S-record"})
            for (size_t at; (at = chinese.find(name)) != std::string::npos;) chinese.erase(at, std::strlen(name));
        EXPECT_FALSE(HasEnglishWords(chinese)) << english << " -> " << chinese;
    }
}

TEST(ChineseReasonsTest, EveryReasonAndWarningOfTheReadersAsSrecCatIsTranslated) {
    // Made by the readers themselves: faults and the warnings of files read all the same.
    std::vector<std::string> english;
    auto read = [&english](ImageFormat format, const std::string& text) {
        const ImageRead r = ReadImage(format, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
        if (!r.reason.empty()) english.push_back(r.reason);
        english.insert(english.end(), r.warnings.begin(), r.warnings.end());
    };
    auto window = [&english](const std::string& name, const std::string& text) {
        HexImage image;
        const HexDecodeResult r =
            DecodeRowFile(name, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), image);
        if (r.fault != HexFault::None) english.push_back(HexFaultReason(r));
        english.insert(english.end(), r.warnings.begin(), r.warnings.end());
    };
    const std::string twice = ":0100100011DE\n:0100100022CD\n:00000001FF\n";
    const std::string alias = ":0100100011DE\n:020000040800F2\n:0100100022CD\n:00000001FF\n";
    const std::string again = ":0100100011DE\n:0100100011DE\n:00000001FF\nnote\n";
    for (const std::string& text : {twice, again, std::string(":00000001FF\n"), std::string(":01000001AA54\n"),
                                    std::string(":020000050000F9\n"), std::string(":00000001FF\n:00000001FF\n")}) {
        read(ImageFormat::IntelHex, text);
        window("a.hex", text);
    }
    window("a.hex", alias);
    // An S-record file with 0x10 and 0x08000010: one place of the window's image.
    window("a.s19", "S30A00000010111111111190\nS30A08000010222222222233\n");
    for (const std::string& text : {std::string("S1041000AA41\nS1041000BB30\n"), std::string("S1041000AA41\n"),
                                    std::string("S1041000AA41\nS9030000FC\nS1041000AA41\n")})
        read(ImageFormat::SRecord, text);
    for (const std::string& english1 : english) {
        std::string chinese = ChineseReason(english1);
        EXPECT_FALSE(HasEnglishWords(chinese)) << english1 << " -> " << chinese;
    }
    EXPECT_GE(english.size(), 14u);
}

TEST(ChineseReasonsTest, TheRefusalsOfAWriteAreTranslated) {
    for (const std::string& english :
         {std::string(kNamesAFolderReason),
          std::string("the path goes through /tmp/fw.bin, a link another user made in a folder every user may "
                      "write; it is not followed")}) {
        std::string chinese = ChineseReason(english);
        for (size_t at; (at = chinese.find("/tmp/fw.bin")) != std::string::npos;) chinese.erase(at, 11);
        EXPECT_FALSE(HasEnglishWords(chinese)) << english << " -> " << chinese;
    }
}

TEST(ChineseReasonsTest, TheDetailNamesTheFileAndItsRow) {
    EXPECT_EQ("文件1：/fw/boot.hex\n文件为空", ChineseReasonDetail({1, "/fw/boot.hex", "the file is empty"}));
    EXPECT_EQ("文件：/fw/out.bin\n文件为只读", ChineseReasonDetail({0, "/fw/out.bin", "the file is read-only"}));
    EXPECT_EQ("没有给出输出文件", ChineseReasonDetail({0, "", "no output file was given"}));
}

TEST(ChineseReasonsTest, TheSerialisersRefusalsReadInChinese) {
    for (const char* reason : {
             "serial number 259 does not fit 10:u8, which holds at most 255",
             "the MAC addresses from FF:FF:FF:FF:FF:F8 by 1 would pass FF:FF:FF:FF:FF:FF after 8 images",
             "the field CRC-32/ISO-HDLC@FFC:0-FFB would be written over the serial number at 0x00000FFC",
             "the serial number at 0x00000010 lies below the image's first address 0x08000000",
             "the serial number at 0x00000010 and the MAC address at 0x00000014 overlap",
             "serial number 102 is recorded already in /m.csv (line 4); give --allow-reuse to issue it again",
             "/o/d_1.bin exists (serial number 1); give --force to replace it",
             "the output name /o/d.bin holds no {serial}, {serial:hex} or {mac}: every image would have the same name",
             "the output name /o/{x}.bin: {x} is none of {serial}, {serial:hex}, {mac}",
             "/m.csv: line 3: the serial 'x' is no decimal number",
             "the folder /o does not exist",
         }) {
        const std::string chinese = ChineseReason(reason);
        EXPECT_NE(reason, chinese);
        // Left in Latin letters: the names of things (CRC-32/ISO-HDLC, u8, a path,
        // the placeholders, the kind's words).
        std::string rest = chinese;
        for (const char* name : {"CRC-32/ISO-HDLC", "serial:hex", "serial", "mac", "MAC", "csv", "bin", "u8", "FF", "F8",
                                 "FFC", "FFB"})
            for (size_t at; (at = rest.find(name)) != std::string::npos;) rest.erase(at, std::string(name).size());
        EXPECT_FALSE(HasEnglishWords(rest)) << chinese;
    }
    EXPECT_EQ("第3个字符“}”之前没有对应的“{”（花括号本身请写作}}）",
              ChineseReason("the '}' at character 3 closes no placeholder (write }} for a brace)"));
}

}  // namespace
}  // namespace torvane
