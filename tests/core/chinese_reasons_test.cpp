#include "core/chinese_reasons.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/integrity_fields.h"
#include "formats/image_formats.h"
#include "platform/files.h"

#include <cctype>

#include "config/config_file.h"
#include "core/align.h"
#include "core/decode_hex.h"
#include "core/hex_to_bin.h"
#include "core/merge.h"
#include "core/workspace.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"
#include "tools/bin2c/bin_to_c_tool.h"
#include "tools/checksum/check_tool.h"
#include "tools/nic/nic_config.h"
#include "tools/nic/upgrade_image.h"
#include "tools/stamp/stamp_tool.h"
#include "tools/testbin/test_bin_tool.h"

#include <filesystem>
#include <functional>
#include <memory>

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


// ---- Every reason the window can show is Chinese ----
//
// Each failure of every path the window reaches (a row's loading, each batch,
// each tool, the project's import and export, the log's save) is provoked;
// the reasons given, as the window shows them (ChineseReasonDetail), and the
// log lines must hold no English sentence: no run of three or more words of
// Latin letters. Names stay: a file's path, "Intel HEX", "CRC-32/ISO-HDLC".
namespace reasons {

// Answers as a user who goes on would (or as `answer` says for questions),
// takes paths from queues, and keeps every reason and warning.
class Catch final : public Prompts {
public:
    Answer Show(const MessageBox& box) override {
        boxes.push_back(box.text);
        if (box.buttons == MessageButtons::Ok) return Answer::Ok;
        if (box.kind == MessageKind::HexTextAsBin) return Answer::No;
        return box.buttons == MessageButtons::YesNo && answer == Answer::Cancel ? Answer::No : answer;
    }
    std::optional<std::string> OpenFile(const FileDialog&) override { return Next(opens); }
    std::optional<std::string> SaveFile(const FileDialog&) override { return Next(saves); }
    void Explain(const FailureReason& reason) override { reasons.push_back(reason); }
    void Warn(const FailureReason& reason) override { reasons.push_back(reason); }

    Answer answer = Answer::Yes;
    std::vector<std::string> opens;
    std::vector<std::string> saves;
    std::vector<std::string> boxes;
    std::vector<FailureReason> reasons;

private:
    static std::optional<std::string> Next(std::vector<std::string>& queue) {
        if (queue.empty()) return std::nullopt;
        std::string path = queue.front();
        queue.erase(queue.begin());
        return path;
    }
};

// The first run of three or more words of Latin letters, once `folder` (the
// test's paths) is taken out; empty when there is none.
std::string EnglishSentence(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find(folder)) != std::string::npos;) {
        size_t end = at;
        while (end < text.size() && text[end] != '\n' && static_cast<unsigned char>(text[end]) < 0x80 &&
               text[end] != ' ')
            ++end;
        text.erase(at, end - at);
    }
    size_t words = 0;
    size_t first = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        size_t letters = 0;
        while (i + letters < text.size() && std::isalpha(static_cast<unsigned char>(text[i + letters]))) ++letters;
        if (letters >= 2 && (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1])))) {
            if (words == 0) first = i;
            ++words;
            i += letters;
            if (words >= 3) return text.substr(first, i - first);
            // Words of a sentence are parted by blanks and commas, nothing else.
            while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
            --i;
            continue;
        }
        words = 0;
    }
    return std::string();
}

class ReasonsTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const FailureReason& r : prompts.reasons) {
            const std::string shown = ChineseReasonDetail(r);
            EXPECT_EQ("", EnglishSentence(shown, dir.path())) << r.reason << "\n  shown as: " << shown;
            if (std::getenv("TORVANE_DUMP_REASONS")) std::printf("%s\n  => %s\n", r.reason.c_str(), shown.c_str());
        }
        for (const auto& ws : spaces)
            for (int i = 0; i < ws->log().LineCount(); ++i)
                EXPECT_EQ("", EnglishSentence(ws->log().Line(i), dir.path())) << ws->log().Line(i);
        for (const std::string& line : toolLog)
            EXPECT_EQ("", EnglishSentence(line, dir.path())) << line;
        for (const std::string& box : prompts.boxes) EXPECT_EQ("", EnglishSentence(box, dir.path())) << box;
    }

    Workspace& NewWorkspace(WorkMode mode) {
        spaces.push_back(std::make_unique<Workspace>(prompts));
        spaces.back()->SelectMode(mode);
        return *spaces.back();
    }
    // Loads `path` into `row`, as the dialog's answer, and checks it.
    void Load(Workspace& ws, int row, const std::string& path) {
        ws.rows().LoadChosenFile(row, path);
        ws.rows().Controls(row).Selected = !ws.rows().Controls(row).FileNameText.empty();
    }
    std::string Hex(const std::string& name, const std::string& text) { return dir.Write(name, text); }
    size_t Reasons() const { return prompts.reasons.size(); }

    test::TempDir dir;
    Catch prompts;
    std::vector<std::unique_ptr<Workspace>> spaces;
    std::vector<std::string> toolLog;
};

TEST_F(ReasonsTest, ARowsFileRefusedForAnyReason) {
    Workspace& ws = NewWorkspace(WorkMode::HexToBinMode);
    const std::string folder = dir.File("folder.bin");
    ASSERT_TRUE(test::MakeFolder(folder));
    const std::string bigHex = dir.Write("big.hex", std::string(":"));
    ASSERT_TRUE(test::SetFileLength(bigHex, 0x600001));
    const std::string bigBin = dir.Write("big.bin", std::string(1, 'b'));
    ASSERT_TRUE(test::SetFileLength(bigBin, 0x200001));
    for (const std::string& path :
         {dir.File("gone.bin"), folder, dir.Write("empty.bin", std::string()), bigHex, bigBin,
          Hex("sum.hex", ":0100000001FF\r\n:00000001FF\r\n"), Hex("far.hex", test::HexBlock(0x00300000, 16)),
          Hex("cut.hex", test::HexBlock(0, 16).substr(0, 20)), Hex("stray.hex", "hello\r\n"),
          Hex("twice.hex", test::DataRecord(0, {1}) + test::DataRecord(0, {2}) + test::EndRecord()),
          Hex("nodata.hex", test::EndRecord()), dir.Write("bad.s19", std::string("S1050020AABB00\n")),
          dir.Write("bad.elf", std::string("not an ELF file at all"))}) {
        Load(ws, 0, path);
    }
    EXPECT_GE(Reasons(), 12u);
}

TEST_F(ReasonsTest, EveryBatchFailure) {
    // HEX to BIN.
    Workspace& h = NewWorkspace(WorkMode::HexToBinMode);
    Load(h, 0, dir.Write("plain.bin", std::string(8, 'p')));
    Load(h, 1, Hex("w.hex", test::HexBlock(0, 16)));
    ASSERT_TRUE(test::MakeFolder(dir.File("w.BIN")));  // its BIN cannot be written
    const std::string gone = Hex("gone.hex", test::HexBlock(0, 16));
    Load(h, 2, gone);
    std::filesystem::remove(test::FsPath(gone));
    const std::string grew = Hex("grew.hex", test::HexBlock(0, 16));
    Load(h, 3, grew);
    Hex("grew.hex", test::HexBlock(0, 64));
    Load(h, 4, Hex("past.hex", test::HexBlock(0x1000, 16)));
    h.rows().Controls(4).OffsetAddrText = "00005000";
    HexToBinBatch(h);
    // A HEX row whose BIN is another row's file.
    Workspace& clash = NewWorkspace(WorkMode::HexToBinMode);
    Load(clash, 0, Hex("c.hex", test::HexBlock(0, 16)));
    Load(clash, 1, dir.Write("c.BIN", std::string(4, 'c')));
    HexToBinBatch(clash);
    Workspace& none = NewWorkspace(WorkMode::HexToBinMode);
    HexToBinBatch(none);

    // Align.
    Workspace& a = NewWorkspace(WorkMode::AlignMode);
    Load(a, 0, dir.Write("one.bin", std::string(3, 'o')));
    a.rows().Controls(0).PolishTypeIndex = 0;
    const std::string ro = dir.Write("ro.bin", std::string(3, 'r'));
    Load(a, 1, ro);
    ASSERT_TRUE(test::MakeReadOnly(ro));
    const std::string away = dir.Write("away.bin", std::string(3, 'a'));
    Load(a, 2, away);
    std::filesystem::remove(test::FsPath(away));
    Load(a, 3, dir.Write("text.bin", test::HexBlock(0, 16)));
    Load(a, 4, dir.Write("none.bin", std::string(3, 'n')));
    a.rows().Controls(4).PolishTypeIndex = -1;
    AlignBatch(a);

    // Merge.
    Workspace& m = NewWorkspace(WorkMode::MergeMode);
    m.OutputFileText.clear();
    MergeBatch(m);
    m.OutputFileText = dir.File("m.bin");
    Load(m, 0, dir.Write("m1.bin", std::string(16, '1')));
    MergeBatch(m);  // one file
    Load(m, 1, dir.Write("m2.bin", std::string(16, '2')));
    m.rows().Controls(1).BinOffsetText = "8";
    prompts.answer = Answer::Cancel;
    MergeBatch(m);  // the overlap cancelled
    m.rows().Controls(1).BinOffsetText = "5FFFF8";
    MergeBatch(m);  // past 6 MiB, not appended
    prompts.answer = Answer::Yes;
    m.rows().Controls(1).BinOffsetText = "10";
    m.MergeFields = {*ParseFieldSpec("crc32@10:0-1F")};
    MergeBatch(m);  // inside its own range
    m.MergeFields = {*ParseFieldSpec("crc32@700000:0-F")};
    MergeBatch(m);  // past the image
    m.MergeFields.clear();
    ASSERT_TRUE(test::MakeFolder(dir.File("m.bin")));
    MergeBatch(m);  // cannot be written
    m.OutputFileText = dir.File("m.hex");
    Load(m, 2, Hex("boot.hex", test::HexBlock(0x08000000, 16)));
    m.rows().Controls(2).BinOffsetText = "100";
    m.MergeFields = {*ParseFieldSpec("crc32@300:0-1F")};
    MergeBatch(m);  // below the flash base chosen by the files
    m.MergeFields = {*ParseFieldSpec("crc32@0:start-end"), *ParseFieldSpec("add8@end:start-end")};
    MergeBatch(m);
    m.MergeFields.clear();
    Load(m, 3, Hex("bad.hex", ":0100000001FF\r\n:00000001FF\r\n"));
    m.rows().Controls(3).Selected = true;
    prompts.answer = Answer::No;
    MergeBatch(m);  // a file left out, not written without it
    prompts.answer = Answer::Yes;
    const std::string gone2 = dir.File("m2.bin");
    std::filesystem::remove(test::FsPath(gone2));
    MergeBatch(m);
    EXPECT_GE(Reasons(), 20u);
}

TEST_F(ReasonsTest, EveryProjectImportAndExportFailureAndTheLogsSave) {
    Workspace& ws = NewWorkspace(WorkMode::MergeMode);
    const std::string big = dir.Write("big.ini", std::string("[FileInfo1]\r\n"));
    ASSERT_TRUE(test::SetFileLength(big, 5 * 1024 * 1024));
    const std::string a = dir.Write("a.bin", std::string(16, 'a'));
    for (const std::string& ini :
         {dir.File("missing.ini"), big, dir.Write("empty.ini", std::string()),
          dir.Write("other.ini", std::string("[Other]\r\nx=1\r\n")),
          dir.Write("f.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMergeFormat=elf\r\n"),
          dir.Write("g.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMergeField1=crc33@10:0-F\r\n"),
          dir.Write("h.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMergeField2=crc32@10:0-F\r\n"),
          dir.Write("i.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nGapFill=FF\r\n"),
          dir.Write("j.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMergeFieldAddresses=x\r\n"),
          dir.Write("k.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMergeBase=0\r\n[FileInfo2]\r\nMergeFormat=hex\r\n"),
          dir.Write("l.ini", "[FileInfo1]\r\nFileName=" + std::string(200, 'n') + "\r\n"),
          dir.Write("m.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nFileSize=99\r\n")}) {
        prompts.opens.push_back(ini);
        ImportConfig(ws);
    }
    // Export.
    Workspace& e = NewWorkspace(WorkMode::MergeMode);
    ExportConfigTo(e, dir.File("none.ini"));  // no row
    Load(e, 0, a);
    ExportConfigTo(e, a);  // onto a row's file
    e.MergeFields = {*ParseFieldSpec("crc32@10:0-1F")};
    ExportConfigTo(e, dir.File("bad.ini"));
    e.MergeFields.assign(65, *ParseFieldSpec("add8@end:start-end"));
    ExportConfigTo(e, dir.File("many.ini"));
    e.MergeFields.clear();
    ASSERT_TRUE(test::MakeFolder(dir.File("folder.ini")));
    ExportConfigTo(e, dir.File("folder.ini"));
#ifndef _WIN32
    Workspace& odd = NewWorkspace(WorkMode::MergeMode);
    Load(odd, 0, dir.Write("line\nbreak.bin", std::string(4, 'l')));
    ExportConfigTo(odd, dir.File("odd.ini"));
#endif
    Workspace& longName = NewWorkspace(WorkMode::MergeMode);
    Load(longName, 0, dir.Write(std::string(130, 'x') + ".bin", std::string(4, 'x')));
    ExportConfigTo(longName, dir.File("long.ini"));
    // The log's save.
    ws.log().Add("line\r\n");
    prompts.saves.push_back(dir.File("folder.ini"));
    ws.log().SaveToFile(prompts);
    EXPECT_GE(Reasons(), 15u);
}

TEST_F(ReasonsTest, EveryToolsFailure) {
    // The check tool.
    for (const char* data : {"", "012", "zz", "0x", "0x12 0x"}) RunCheckComputation("", data, 0, prompts);
    RunCheckComputation(dir.File("gone.bin"), "", 0, prompts);
    RunCheckComputation(dir.File("gone.bin"), "", -1, prompts);
    RunCheckComputation(Hex("bad.hex", ":0100000001FF\r\n"), "", 0, prompts, CheckSource::ImageData);
    // The test file tool.
    TestBinForm form = StartTestBinForm(dir.File("t.bin"));
    for (const auto& change : std::vector<std::function<void(TestBinForm&)>>{
             [](TestBinForm& f) { f.PathText.clear(); }, [](TestBinForm& f) { f.LengthText = "0"; },
             [](TestBinForm& f) { f.LengthText = "3000000"; }, [](TestBinForm& f) { f.StartText = "500"; },
             [](TestBinForm& f) { f.EndText = "500"; },
             [](TestBinForm& f) {
                 f.StartText = "300";
                 f.EndText = "200";
             },
             [this](TestBinForm& f) { f.PathText = dir.File("tfolder"); }}) {
        TestBinForm f = form;
        change(f);
        if (f.PathText == dir.File("tfolder")) {
            ASSERT_TRUE(test::MakeFolder(f.PathText));
        }
        GenerateTestBin(f, prompts);
    }
    // The C array tool.
    const std::string source = dir.Write("s.bin", std::string(4, 's'));
    ConvertBinToC(dir.File("gone.bin"), dir.File("s.h"), prompts);
    ConvertBinToC(source, source, prompts);
    ASSERT_TRUE(test::MakeFolder(dir.File("hfolder")));
    ConvertBinToC(source, dir.File("hfolder"), prompts);
    // The adapter's upgrade image.
    OperationLog list;
    NicConfigBody body;
    LoadNicConfig(dir.File("gone.cfg"), body, list, prompts);
    LoadNicConfig(dir.Write("bad.cfg", std::string("not a configuration")), body, list, prompts);
    LoadNicConfig(dir.Write("short.cfg", std::string("x")), body, list, prompts);
    GenerateMergedFiles("", dir.Write("img.bin", std::string(16, 'i')), dir.File("gone.cfg"), list, prompts);
    for (int i = 0; i < list.LineCount(); ++i) toolLog.push_back(list.Line(i));
    // The stamp tool.
    StampInputs in;
    RunStampTool(in, prompts);
    in.input = source;
    RunStampTool(in, prompts);
    in.output = dir.File("out.bin");
    in.baseText = "xyz";
    in.field = *ParseFieldSpec("crc32@10:0-3");
    RunStampTool(in, prompts);
    in.baseText.clear();
    in.fillText = "123";
    RunStampTool(in, prompts);
    in.fillText.clear();
    for (const char* field : {"crc32@1:0-3", "crc32@8000:0-7FFF", "crc32@FFFFFFF0:0-3", "crc32@end:start-FFFFFFFF"}) {
        in.field = *ParseFieldSpec(field);
        RunStampTool(in, prompts);
    }
    in.field = *ParseFieldSpec("crc32@end:start-end");
    in.output = dir.File("out.elf");
    RunStampTool(in, prompts);
    in.output = dir.File("out.bin");
    in.input = dir.Write("nothing.bin", std::string());
    RunStampTool(in, prompts);
    in.input = dir.File("gone.bin");
    RunStampTool(in, prompts);
    EXPECT_GE(Reasons(), 25u);
}

}  // namespace reasons

}  // namespace
}  // namespace torvane
