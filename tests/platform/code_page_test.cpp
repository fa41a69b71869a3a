#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace torvane {
namespace {

class CodePageTest : public ::testing::Test {
protected:
    void TearDown() override { SetCodePage(""); }
};

TEST_F(CodePageTest, Utf8KeepsTextAsIs) {
    ASSERT_TRUE(SetCodePage("UTF-8"));
    EXPECT_TRUE(CodePageIsUtf8());
    EXPECT_EQ("文件1：#第1步", ToCodePage("文件1：#第1步"));
    EXPECT_EQ("文件1：#第1步", FromCodePage("文件1：#第1步"));
}

TEST_F(CodePageTest, Utf8ReplacesBrokenSequences) {
    ASSERT_TRUE(SetCodePage("UTF-8"));
    EXPECT_EQ("a?b", ToCodePage("a\xE6\x96" "b"));  // a sequence cut short
    EXPECT_EQ("a?z", ToCodePage("a\xFFz"));
    EXPECT_EQ("a\xEF\xBF\xBDz", FromCodePage("a\xFFz"));
}

TEST_F(CodePageTest, GbkConvertsBothWays) {
    ASSERT_TRUE(SetCodePage("GBK"));
    EXPECT_FALSE(CodePageIsUtf8());
    // "文件" in GBK is CE C4 BC FE.
    EXPECT_EQ("\xCE\xC4\xBC\xFE.hex", ToCodePage("文件.hex"));
    EXPECT_EQ("文件.hex", FromCodePage("\xCE\xC4\xBC\xFE.hex"));
}

TEST_F(CodePageTest, GbkWritesTheDefaultCharacterForUnrepresentableOnes) {
    ASSERT_TRUE(SetCodePage("GBK"));
    // An emoji and a Hangul syllable have no GBK form.
    EXPECT_EQ("a?b?c", ToCodePage("a\U0001F600b\uD55Cc"));
}

TEST_F(CodePageTest, UnknownNameIsRefused) {
    ASSERT_TRUE(SetCodePage("UTF-8"));
    EXPECT_FALSE(SetCodePage("NO-SUCH-CODE-PAGE"));
    EXPECT_EQ("UTF-8", CodePageName());
}

#ifdef _WIN32
TEST_F(CodePageTest, TheDefaultIsTheSystemsAnsiCodePage) {
    ASSERT_TRUE(SetCodePage(""));
    const unsigned acp = ::GetACP();
    EXPECT_EQ(acp == 65001 ? "UTF-8" : acp == 936 ? "GBK" : "CP" + std::to_string(acp), CodePageName());
    EXPECT_EQ(acp == 65001, CodePageIsUtf8());
}

TEST_F(CodePageTest, NamesOfOtherCodePagesAreTaken) {
    ASSERT_TRUE(SetCodePage("CP1252"));
    EXPECT_EQ("caf\xE9", ToCodePage("café"));
    EXPECT_EQ("café", FromCodePage("caf\xE9"));
    EXPECT_TRUE(SetCodePage("windows-1251"));
    EXPECT_EQ("\xC4", ToCodePage("Д"));
}

TEST_F(CodePageTest, ABrokenDoubleByteCharacterLosesOnlyItsLeadByte) {
    ASSERT_TRUE(SetCodePage("GBK"));
    // A lead byte followed by a line end: the line end stays.
    EXPECT_EQ("a\xEF\xBF\xBD\r\nb", FromCodePage("a\xCE\r\nb"));
}
#else
// The locale's environment variables are how POSIX names the code page.
TEST_F(CodePageTest, CAndPosixLocalesCountAsUtf8) {
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    for (const char* name : {"C", "POSIX"}) {
        ::setenv("LC_ALL", name, 1);
        ASSERT_TRUE(SetCodePage(""));
        EXPECT_TRUE(CodePageIsUtf8()) << name << " gave " << CodePageName();
    }
    if (old) ::setenv("LC_ALL", saved.c_str(), 1); else ::unsetenv("LC_ALL");
    SetCodePage("");
}

// A name whose code set part is UTF-8 is taken at its word, installed or not;
// the first of LC_ALL, LC_CTYPE and LANG that is set names the locale.
TEST_F(CodePageTest, ALocaleNamedUtf8IsUtf8WithoutItsFiles) {
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        saved.emplace_back(variable, value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("LC_ALL", "", 1);
    ::setenv("LC_CTYPE", "", 1);
    for (const char* name : {"C.UTF-8", "xx_YY.utf8", "xx_YY.Utf-8@euro", "en_US.UTF8"}) {
        ::setenv("LANG", name, 1);
        ASSERT_TRUE(SetCodePage(""));
        EXPECT_TRUE(CodePageIsUtf8()) << name << " gave " << CodePageName();
    }
    ::setenv("LC_CTYPE", "C", 1);
    ::setenv("LANG", "xx_YY.GB18030", 1);
    ASSERT_TRUE(SetCodePage(""));
    EXPECT_TRUE(CodePageIsUtf8()) << CodePageName();
    for (const auto& [variable, value] : saved) {
        if (value) ::setenv(variable, value->c_str(), 1);
        else ::unsetenv(variable);
    }
    SetCodePage("");
}
#endif

}  // namespace
}  // namespace torvane
