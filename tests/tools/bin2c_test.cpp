#include "tools/bin2c/bin_to_c_array.h"
#include "tools/bin2c/bin_to_c_tool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ReadText;
using test::TempDir;

TEST(BinToCArrayTest, ThreeBytesGiveTheFortyEightByteArray) {
    const std::string text = BinToCArray(std::vector<uint8_t>{0x01, 0xAB, 0xFF});
    EXPECT_EQ("const UINT8 Bin_Tab[ ] =\r\n{\r\n\t0X01,0XAB,0XFF\r\n};", text);
    EXPECT_EQ(48u, text.size());
}

TEST(BinToCArrayTest, EmptyInputGivesHeadAndTailOnly) {
    const std::string text = BinToCArray({});
    EXPECT_EQ("const UINT8 Bin_Tab[ ] =\r\n{\r\n\t\r\n};", text);
    EXPECT_EQ(34u, text.size());
}

TEST(BinToCArrayTest, TheStdintTypeIncludesItsHeader) {
    const std::string text = BinToCArray(std::vector<uint8_t>{0x01, 0xAB, 0xFF}, CArrayType::StdintUint8);
    EXPECT_EQ("#include <stdint.h>\r\n\r\nconst uint8_t Bin_Tab[ ] =\r\n{\r\n\t0X01,0XAB,0XFF\r\n};\r\n", text);
    EXPECT_EQ(48u + 27u, text.size());
    EXPECT_EQ(CArrayType::StdintUint8, CArrayTypeNamed("uint8_t"));
    EXPECT_EQ(CArrayType::Uint8, CArrayTypeNamed("UINT8"));
    EXPECT_FALSE(CArrayTypeNamed("uint8"));
}

#if !defined(_WIN32) && defined(TORVANE_C_COMPILERS)
// The file as the converter writes it, compiled as C by each compiler the
// build found (gcc, clang): the uint8_t form as it is, the UINT8 form only
// with the project's own definition.
TEST(BinToCArrayTest, TheStdintFormCompilesAsItIs) {
    TempDir dir;
    std::vector<uint8_t> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    const std::string stdint = dir.Write("stdint.h.c", BinToCArray(bytes, CArrayType::StdintUint8));
    const std::string plain = dir.Write("plain.h.c", BinToCArray(bytes));
    std::istringstream compilers(TORVANE_C_COMPILERS);
    int tried = 0;
    for (std::string cc; compilers >> cc; ++tried) {
        const std::string flags = " -x c -std=c99 -Wall -Wextra -pedantic -Werror -fsyntax-only ";
        EXPECT_EQ(0, std::system((cc + flags + "'" + stdint + "'").c_str())) << cc;
        EXPECT_NE(0, std::system((cc + flags + "'" + plain + "' 2>/dev/null").c_str())) << cc;
        EXPECT_EQ(0, std::system((cc + " -x c -fsyntax-only -DUINT8='unsigned char' '" + plain + "'").c_str())) << cc;
    }
    EXPECT_GT(tried, 0);
}
#endif

TEST(BinToCArrayTest, ProposedTargetCutsAtTheLastDot) {
    EXPECT_EQ("/fw/app.h", ProposedTargetPath("/fw/app.bin"));
    EXPECT_EQ("/fw/app.tar.h", ProposedTargetPath("/fw/app.tar.gz"));
    EXPECT_EQ("/fw.h", ProposedTargetPath("/fw.old/data"));  // a dot in a folder name counts too
    EXPECT_EQ("/fw/data.h", ProposedTargetPath("/fw/data"));
    EXPECT_EQ(".h", ProposedTargetPath(""));
}

class BinToCToolTest : public ::testing::Test {
protected:
    void ExpectError(const char* text, MessageIcon icon = MessageIcon::Exclamation) {
        prompts.ExpectBox(text, kBinToCErrorCaption, Answer::Ok, MessageButtons::Ok, icon);
    }
    void ExpectDone() {
        prompts.ExpectBox(kBinToCDoneMessage, kBinToCTipCaption, Answer::Ok, MessageButtons::Ok,
                          MessageIcon::Information);
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    test::ScriptedPrompts prompts;
    TempDir dir;
    std::string target = dir.File("out.h");
};

TEST_F(BinToCToolTest, TheChosenTypeIsWritten) {
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x42});
    ExpectDone();
    EXPECT_TRUE(ConvertBinToC(source, target, prompts, CArrayType::StdintUint8));
    EXPECT_EQ(0u, ReadText(target).find("#include <stdint.h>\r\n\r\nconst uint8_t Bin_Tab[ ] ="));
}

TEST_F(BinToCToolTest, ConvertsTheSourceAndLeavesItAsItWas) {
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x01, 0xAB, 0xFF});
    dir.Write("out.h", std::string(500, 'o'));
    ExpectDone();
    EXPECT_TRUE(ConvertBinToC(source, target, prompts));
    EXPECT_EQ("const UINT8 Bin_Tab[ ] =\r\n{\r\n\t0X01,0XAB,0XFF\r\n};", ReadText(target));
    EXPECT_EQ(std::string("\x01\xAB\xFF", 3), ReadText(source));
}

TEST_F(BinToCToolTest, MissingSourceIsReportedAndNothingIsCreated) {
    for (const std::string& source : {dir.File("none.bin"), std::string()}) {
        ExpectError(kBinToCMissingMessage);
        EXPECT_FALSE(ConvertBinToC(source, target, prompts));
    }
    EXPECT_FALSE(test::Exists(dir.File("none.bin")));
    EXPECT_FALSE(test::Exists(target));
}

TEST_F(BinToCToolTest, EmptySourceIsReportedAndNothingIsCreated) {
    const std::string source = dir.Write("empty.bin", std::string());
    ExpectError(kBinToCEmptyMessage);
    EXPECT_FALSE(ConvertBinToC(source, target, prompts));
    EXPECT_FALSE(test::Exists(target));
}

TEST_F(BinToCToolTest, SourceAtTheSizeLimitIsTakenAndOnePastIsRefused) {
    const std::string source = dir.Write("big.bin", std::string(1677620, '\x5A'));
    ExpectError(kBinToCTooLargeMessage);
    EXPECT_FALSE(ConvertBinToC(source, target, prompts));
    EXPECT_FALSE(test::Exists(target));

    ASSERT_TRUE(test::SetFileLength(source, 1677619));
    ExpectDone();
    EXPECT_TRUE(ConvertBinToC(source, target, prompts));
    EXPECT_EQ(5u * 1677619 + 33, test::ReadBytes(target).size());
}

TEST_F(BinToCToolTest, SourceThatCannotBeReadLeavesTheTargetAlone) {
    dir.Write("out.h", std::string("keep"));
    ExpectError(kBinToCOpenFailedMessage);
    EXPECT_FALSE(ConvertBinToC(dir.path(), target, prompts));
    EXPECT_EQ("keep", ReadText(target));
}

TEST_F(BinToCToolTest, AReadOnlySourceIsConverted) {
    const std::string readOnly = dir.Write("ro.bin", std::string("abc"));
    ASSERT_TRUE(test::MakeReadOnly(readOnly));
    ExpectDone();
    EXPECT_TRUE(ConvertBinToC(readOnly, target, prompts));
}

TEST_F(BinToCToolTest, TargetThatIsTheSourceIsRefused) {
    const std::string source = dir.Write("app.bin", std::string("abc"));
    for (const std::string& same : {source, dir.path() + "/./app.bin"}) {
        ExpectError(kBinToCSameFileMessage);
        EXPECT_FALSE(ConvertBinToC(source, same, prompts));
    }
    EXPECT_EQ("abc", ReadText(source));
}

TEST_F(BinToCToolTest, TargetThatCannotBeWrittenIsReportedWithAStopIcon) {
    const std::string source = dir.Write("app.bin", std::string("abc"));
    const std::string readOnly = dir.Write("ro.h", std::string("old"));
    ASSERT_TRUE(test::MakeReadOnly(readOnly));
    for (const std::string& bad : {dir.File("no/folder/out.h"), std::string(test::kFullDevice), std::string(), readOnly}) {
        ExpectError(kBinToCWriteFailedMessage, MessageIcon::Error);
        EXPECT_FALSE(ConvertBinToC(source, bad, prompts)) << bad;
    }
    EXPECT_EQ("old", ReadText(readOnly));
}

TEST_F(BinToCToolTest, BrowsingTheSourceProposesTheTarget) {
    prompts.ExpectOpen(std::string("/fw/app.bin"));
    const std::optional<BinToCPaths> paths = BrowseBinToCSource(prompts);
    ASSERT_TRUE(paths);
    EXPECT_EQ("/fw/app.bin", paths->Source);
    EXPECT_EQ("/fw/app.h", paths->Target);

    prompts.ExpectOpen(std::nullopt);
    EXPECT_FALSE(BrowseBinToCSource(prompts));
}

}  // namespace
}  // namespace torvane
