#include "tools/checksum/check_tool.h"

#include <gtest/gtest.h>


#include "platform/program_path.h"
#include "support/hex_text.h"
#include "support/image_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/checksum/check_value.h"

namespace torvane {
namespace {

using test::TempDir;

constexpr int kSum8 = 0;
constexpr int kSum32 = 2;
constexpr int kNoMethod = -1;

class CheckToolTest : public ::testing::Test {
protected:
    // What was typed or left out is a warning; a file that does not open, a stop.
    void ExpectInformation(const char* text) {
        const bool stop = std::string(text) == kCheckOpenFailedMessage;
        prompts.ExpectBox(text, ApplicationName(), Answer::Ok, MessageButtons::Ok,
                          stop ? MessageIcon::Error : MessageIcon::Exclamation);
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    test::ScriptedPrompts prompts;
    TempDir dir;
};

TEST_F(CheckToolTest, NoPathAndNoDataAsksForOneAndClearsTheSelection) {
    ExpectInformation(kCheckNothingMessage);
    const CheckOutcome outcome = RunCheckComputation("", "", kSum8, prompts);
    EXPECT_EQ("", outcome.ResultText);
    EXPECT_TRUE(outcome.ClearSelection);
}

TEST_F(CheckToolTest, FileIsReadWholeAndWinsOverData) {
    const std::string p = dir.Write("a.bin", std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                    0x00, 0x00, 0x00, 0x01});
    // The data is malformed, but it is not even looked at.
    const CheckOutcome outcome = RunCheckComputation(p, "1", kSum32, prompts);
    EXPECT_EQ("FFFFFFFF", outcome.ResultText);
    EXPECT_FALSE(outcome.ClearSelection);
}

TEST_F(CheckToolTest, LargeFileReadInPiecesGivesTheValuesOfItsWholeBytes) {
    // Longer than one read piece, and not a multiple of a block.
    std::vector<uint8_t> bytes(3 * 262144 + 12345);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    const std::string p = dir.Write("big.bin", bytes);
    for (int m = 0; m < kChecksumMethodCount; ++m) {
        EXPECT_EQ(ComputeCheckValue(static_cast<ChecksumMethod>(m), bytes), RunCheckComputation(p, "", m, prompts).ResultText)
            << m;
    }
}

TEST(CheckValueStreamTest, PiecesGiveTheOneShotValue) {
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    for (int m = 0; m < kChecksumMethodCount; ++m) {
        const auto method = static_cast<ChecksumMethod>(m);
        for (size_t cut : {0u, 64u, 128u, 960u}) {
            CheckValueStream stream(method);
            stream.Add(std::span<const uint8_t>(bytes.data(), cut));
            stream.Add(std::span<const uint8_t>(bytes.data() + cut, bytes.size() - cut));
            EXPECT_EQ(ComputeCheckValue(method, bytes), stream.Finish()) << m << " " << cut;
        }
    }
}

TEST_F(CheckToolTest, EmptyFileGivesEachMethodsEmptyValue) {
    const std::string p = dir.Write("empty.bin", std::string());
    const char* expected[] = {"FF",       "FFFF",     "FFFFFFFF", "FFFFFFFFFFFFFFFF", "d41d8cd98f00b204e9800998ecf8427e",
                              "FFFF",     "00000000", "00000000", "FFFFFFFF",
                              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"};
    static_assert(std::size(expected) == kChecksumMethodCount);
    for (int i = 0; i < kChecksumMethodCount; ++i)
        EXPECT_EQ(expected[i], RunCheckComputation(p, "", i, prompts).ResultText) << i;
}

TEST_F(CheckToolTest, FileThatCannotBeReadIsRefusedAndAReadOnlyOneIsRead) {
    const std::string readOnly = dir.Write("ro.bin", std::string("\x01\x02", 2));
    ASSERT_TRUE(test::MakeReadOnly(readOnly));
    EXPECT_EQ("FC", RunCheckComputation(readOnly, "", kSum8, prompts).ResultText.value_or("none"));
    for (const std::string& p : {dir.File("missing.bin"), dir.path()}) {
        ExpectInformation(kCheckOpenFailedMessage);
        EXPECT_EQ("", RunCheckComputation(p, "0102", kSum8, prompts).ResultText) << p;
    }
    EXPECT_FALSE(test::Exists(dir.File("missing.bin")));
}

TEST_F(CheckToolTest, FileOfFourGibibytesIsRefusedUnread) {
    const std::string p = dir.File("huge.bin");
    const bool sparse = test::SetFileLength(p, 0x100000000LL);
    if (!sparse) GTEST_SKIP() << "no sparse 4 GiB file here";
    ExpectInformation(kCheckOpenFailedMessage);
    EXPECT_EQ("", RunCheckComputation(p, "", kSum8, prompts).ResultText);
}

// The value of `bytes` as a BIN file of them gives it.
std::string ValueOfBytes(TempDir& dir, const std::vector<uint8_t>& bytes, int method) {
    test::ScriptedPrompts quiet;
    return RunCheckComputation(dir.Write("plain.bin", bytes), "", method, quiet).ResultText.value_or("?");
}

TEST_F(CheckToolTest, AHexFileIsCheckedOverItsTextOrOverTheDataItDescribes) {
    // Two runs with a gap of four addresses between them.
    const std::string text = test::DataRecord(0x1000, {1, 2, 3, 4}) + test::DataRecord(0x1008, {5, 6}) + test::EndRecord();
    const std::string hex = dir.Write("app.HEX", text);
    const std::vector<uint8_t> data = {1, 2, 3, 4, 0, 0, 0, 0, 5, 6};
    for (const int method : {kSum8, kSum32, 4 /* MD5 */}) {
        EXPECT_EQ(ValueOfBytes(dir, std::vector<uint8_t>(text.begin(), text.end()), method),
                  RunCheckComputation(hex, "", method, prompts).ResultText);
        EXPECT_EQ(ValueOfBytes(dir, data, method),
                  RunCheckComputation(hex, "", method, prompts, CheckSource::ImageData).ResultText);
    }
    // S-records and ELF files describe data the same way; a BIN file is its bytes either way.
    const std::string srec = dir.Write("app.s19", test::SRecordText(0x08000000, data));
    const std::string elf = dir.Write("app.axf", test::ElfImage(0x08000000, data));
    for (const std::string& path : {srec, elf})
        EXPECT_EQ(ValueOfBytes(dir, data, kSum32),
                  RunCheckComputation(path, "", kSum32, prompts, CheckSource::ImageData).ResultText) << path;
    const std::string bin = dir.Write("text.bin", text);
    EXPECT_EQ(RunCheckComputation(bin, "", kSum32, prompts).ResultText,
              RunCheckComputation(bin, "", kSum32, prompts, CheckSource::ImageData).ResultText);
}

TEST_F(CheckToolTest, DescribedDataThatDoesNotReadOrSpansTooMuchIsRefusedWithItsFormatsWord) {
    const std::string badText = test::DataRecord(0, {1, 2}) + test::EndRecord();
    std::string damaged = badText;
    damaged[10] = damaged[10] == '0' ? '1' : '0';  // a data digit: the checksum no longer matches
    prompts.ExpectBox("错误的Hex文件！", ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Error);
    CheckOutcome outcome = RunCheckComputation(dir.Write("bad.hex", damaged), "", kSum8, prompts, CheckSource::ImageData);
    EXPECT_TRUE(outcome.Failed);
    EXPECT_EQ("", outcome.ResultText);
    prompts.ExpectBox("错误的S-record文件！", ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Error);
    RunCheckComputation(dir.Write("bad.srec", test::SRecordText(0, {1, 2}, true)), "", kSum8, prompts,
                        CheckSource::ImageData);
    // 0x00000000 and 0x05000000: a BIN of it would be 80 MiB.
    const std::string far = test::DataRecord(0, {1}) + test::LinearRecord(0x0500) + test::DataRecord(0, {2}) +
                            test::EndRecord();
    prompts.ExpectBox("HEX文件描述的数据范围大于64M，未计算校验值！", ApplicationName(), Answer::Ok, MessageButtons::Ok,
                      MessageIcon::Error);
    outcome = RunCheckComputation(dir.Write("far.hex", far), "", kSum8, prompts, CheckSource::ImageData);
    EXPECT_TRUE(outcome.Failed);
    // Over its text the same file is checked as ever.
    EXPECT_FALSE(RunCheckComputation(dir.File("far.hex"), "", kSum8, prompts).Failed);
}

TEST(CheckToolTextTest, TheNoteAndTheChoiceNameTheFormatOfTheFile) {
    EXPECT_EQ("按HEX文件描述的数据计算", ImageDataCaption("/fw/app.hex"));
    EXPECT_EQ("按S-record文件描述的数据计算", ImageDataCaption("app.S37"));
    EXPECT_EQ("按ELF文件描述的数据计算", ImageDataCaption("app.elf"));
    EXPECT_EQ("", ImageDataCaption("app.bin"));
    EXPECT_EQ(0u, CheckFileNote("app.ihx").find("HEX文件是文本，默认按文件的文本计算校验值"));
    EXPECT_EQ(0u, CheckFileNote("app.elf").find("ELF文件默认按整个文件的字节计算校验值"));
    EXPECT_EQ("", CheckFileNote("app.bin"));
}

TEST_F(CheckToolTest, MalformedDataWithoutPathIsADataError) {
    for (const char* data : {"1", ",;-", "012", "0x1g"}) {
        ExpectInformation(kCheckDataErrorMessage);
        EXPECT_EQ("", RunCheckComputation("", data, kSum8, prompts).ResultText) << data;
    }
}

// A failure empties the result, so it never shows the value of other input.
TEST_F(CheckToolTest, AFailedComputationClearsTheResult) {
    ExpectInformation(kCheckOpenFailedMessage);
    EXPECT_EQ("", RunCheckComputation(dir.File("missing.bin"), "", kSum8, prompts).ResultText);
    ExpectInformation(kCheckDataErrorMessage);
    EXPECT_EQ("", RunCheckComputation("", "0x12g", kSum8, prompts).ResultText);
    EXPECT_EQ("ED", RunCheckComputation("", "0x12", kSum8, prompts).ResultText);
}

TEST_F(CheckToolTest, NoMethodSelectedStopsSilentlyAfterTheSourceChecks) {
    const CheckOutcome outcome = RunCheckComputation("", "0102", kNoMethod, prompts);
    EXPECT_FALSE(outcome.ResultText);
    EXPECT_FALSE(outcome.ClearSelection);
    EXPECT_FALSE(RunCheckComputation("", "0102", kChecksumMethodCount, prompts).ResultText);

    // The source is checked first, so its message still comes.
    ExpectInformation(kCheckDataErrorMessage);
    EXPECT_EQ("", RunCheckComputation("", "x", kNoMethod, prompts).ResultText);
}

TEST_F(CheckToolTest, DataEditTakesHexDigitsTheXOfZeroXAndBackspaceOnly) {
    for (char32_t ch : {U'0', U'9', U'A', U'F', U'a', U'f', U'x', U'X', char32_t{8}}) EXPECT_TRUE(AcceptsCheckDataKey(ch));
    for (char32_t ch : {U'G', U'g', U' ', U',', U'中'}) EXPECT_FALSE(AcceptsCheckDataKey(ch));
}

}  // namespace
}  // namespace torvane
