#include "tools/testbin/test_bin_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ReadBytes;
using test::TempDir;

// Values handed out in order; a test that asks for more than it gave fails.
RandomValues Sequence(std::deque<uint32_t> values) {
    return [values]() mutable {
        if (values.empty()) {
            ADD_FAILURE() << "more random values asked for than given";
            return 0u;
        }
        const uint32_t v = values.front();
        values.pop_front();
        return v;
    };
}

TEST(TestBinImageTest, RandomFillTakesEachValueModulo255InOrder) {
    const std::vector<uint8_t> image =
        MakeTestImage(8, 2, 6, true, 0x77, Sequence({254, 255, 256, 509, 0xFFFFFFFF})).value();
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0xFE, 0x00, 0x01, 0xFE, 0x00, 0}), image);
}

TEST(TestBinImageTest, ArgumentsOutsideTheImageGiveNothing) {
    EXPECT_FALSE(MakeTestImage(0, 0, 0, false, 0));
    EXPECT_FALSE(MakeTestImage(kMaxTestImageLength + 1, 0, 0, false, 0));
    EXPECT_FALSE(MakeTestImage(16, 8, 7, false, 0));
    EXPECT_FALSE(MakeTestImage(16, 0, 16, false, 0));
    EXPECT_FALSE(MakeTestImage(16, 0xFFFFFFFF, 0xFFFFFFFF, false, 0));
}

TEST(TestBinFormTest, EndFieldFollowsTheLength) {
    EXPECT_EQ("0003FF", EndFieldText("1024"));
    EXPECT_EQ("000063", EndFieldText("100"));
    EXPECT_EQ("FFFFFFFF", EndFieldText(""));
    EXPECT_EQ("FFFFFFFF", EndFieldText("0"));
    EXPECT_EQ("00000F", EndFieldText("  +16kB"));
    EXPECT_EQ("FFFFFFFA", EndFieldText("-5"));
}

TEST(TestBinFormTest, ResetEmptiesTheNumbersAndKeepsTheCheckBox) {
    TestBinForm form = StartTestBinForm("/opt/t/Test.bin");
    form.Random = false;
    form.FillText = "5A";
    form.PathText = "/elsewhere.bin";
    ResetTestBinForm(form, "/opt/t/Test.bin");
    EXPECT_EQ("", form.LengthText + form.StartText + form.EndText + form.FillText);
    EXPECT_FALSE(form.Random);
    EXPECT_EQ("/opt/t/Test.bin", form.PathText);
}

TEST(TestBinFormTest, HexEditsTakeHexDigitsOnlyAndTheLengthEverything) {
    for (const TestBinField field : {TestBinField::Start, TestBinField::End, TestBinField::Fill}) {
        EXPECT_TRUE(TestBinFieldAcceptsKey(field, U'b') && TestBinFieldAcceptsKey(field, char32_t{8}));
        EXPECT_FALSE(TestBinFieldAcceptsKey(field, U'g') || TestBinFieldAcceptsKey(field, U'-'));
    }
    EXPECT_TRUE(TestBinFieldAcceptsKey(TestBinField::Length, U'-'));
}

class TestBinGenerateTest : public ::testing::Test {
protected:
    // The report of a written file informs; a refused field warns; a file
    // that cannot be written stops.
    void ExpectInformation(const char* text) {
        const std::string t = text;
        const MessageIcon icon = t == kTestBinDoneMessage         ? MessageIcon::Information
                                 : t == kTestBinOpenFailedMessage ? MessageIcon::Error
                                                                  : MessageIcon::Exclamation;
        prompts.ExpectBox(text, ApplicationName(), Answer::Ok, MessageButtons::Ok, icon);
    }
    TestBinForm Form(const std::string& length, const std::string& start, const std::string& end,
                     const std::string* path = nullptr) {
        TestBinForm form = StartTestBinForm(path ? *path : out);
        form.LengthText = length;
        form.StartText = start;
        form.EndText = end;
        return form;
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    test::ScriptedPrompts prompts;
    TempDir dir;
    std::string out = dir.File("Test.bin");
};

TEST_F(TestBinGenerateTest, StartValuesGiveA1024ByteRandomFile) {
    ExpectInformation(kTestBinDoneMessage);
    EXPECT_TRUE(GenerateTestBin(StartTestBinForm(out), prompts));
    const std::vector<uint8_t> bytes = ReadBytes(out);
    ASSERT_EQ(1024u, bytes.size());
    EXPECT_EQ(bytes.end(), std::find(bytes.begin(), bytes.end(), 0xFF));
}

TEST_F(TestBinGenerateTest, ConstantFillWritesTheRangeAndReplacesAnOldFile) {
    dir.Write("Test.bin", std::string(100, 'x'));
    TestBinForm form = Form("16", "4", "7");
    form.Random = false;
    form.FillText = "5A";
    ExpectInformation(kTestBinDoneMessage);
    EXPECT_TRUE(GenerateTestBin(form, prompts));
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0x5A, 0x5A, 0x5A, 0x5A, 0, 0, 0, 0, 0, 0, 0, 0}), ReadBytes(out));

    form.FillText = "";  // no fill data means 0x00
    ExpectInformation(kTestBinDoneMessage);
    EXPECT_TRUE(GenerateTestBin(form, prompts, Sequence({})));
    EXPECT_EQ(std::vector<uint8_t>(16, 0x00), ReadBytes(out));
}

TEST_F(TestBinGenerateTest, TwoMebibytesIsTheLongestLength) {
    ExpectInformation(kTestBinDoneMessage);
    EXPECT_TRUE(GenerateTestBin(Form("2097152", "0", "1FFFFF"), prompts));
    EXPECT_EQ(2097152u, ReadBytes(out).size());

    ExpectInformation(kTestBinTooLongMessage);
    EXPECT_FALSE(GenerateTestBin(Form("2097153", "0", "1FFFFF"), prompts));
}

TEST_F(TestBinGenerateTest, ChecksRunInOrderAndWriteNothing) {
    const std::string noPath;
    const struct {
        TestBinForm form;
        const char* message;
    } cases[] = {
        {Form("0", "0", "0", &noPath), kTestBinNoPathMessage},
        {Form("", "0", "0"), kTestBinNoLengthMessage},
        {Form("0", "17", "0"), kTestBinNoLengthMessage},
        {Form("abc", "0", "0"), kTestBinNoLengthMessage},
        {Form("9999999", "0", "0"), kTestBinTooLongMessage},
        {Form("16", "11", "14"), kTestBinStartPastLengthMessage},  // S = 0x11 = 17
        {Form("16", "10", "F"), kTestBinStartPastEndMessage},  // S = L passes the length check
        {Form("16", "0", "10"), kTestBinEndPastLengthMessage},  // E = 16
        {Form("16", "8", "7"), kTestBinStartPastEndMessage},
        {Form("-5", "0", "0"), kTestBinStartPastLengthMessage},  // a negative length fails on every start
        // Starts and ends that read as negative 32-bit values.
        {Form("16", "FFFFFFFF", "FFFFFFFF"), kTestBinStartPastLengthMessage},
        {Form("16", "80000000", "0"), kTestBinStartPastLengthMessage},
        {Form("16", "123456789", "0"), kTestBinStartPastLengthMessage},
        {Form("16", "0", "FFFFFFFF"), kTestBinStartPastEndMessage},
    };
    for (const auto& c : cases) {
        ExpectInformation(c.message);
        EXPECT_FALSE(GenerateTestBin(c.form, prompts)) << c.form.LengthText << " " << c.form.StartText;
        EXPECT_FALSE(test::Exists(out));
    }
}

TEST_F(TestBinGenerateTest, FileThatCannotBeWrittenIsReported) {
    for (const std::string& path : {dir.File("no/such/folder/t.bin"), std::string(test::kFullDevice)}) {
        TestBinForm form = StartTestBinForm(path);
        ExpectInformation(kTestBinOpenFailedMessage);
        EXPECT_FALSE(GenerateTestBin(form, prompts)) << path;
    }
}

}  // namespace
}  // namespace torvane
