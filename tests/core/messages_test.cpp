#include "core/messages.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "core/language.h"
#include "core/operation_log.h"

namespace torvane {
namespace {

// A code point of the CJK blocks or of full-width punctuation, in UTF-8.
bool HasChinese(const std::string& text) {
    for (size_t i = 0; i + 2 < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xE4 && lead <= 0xE9) return true;           // U+4E00..U+9FFF
        if (lead == 0xE3 && next == 0x80) return true;                  // U+3000..U+303F
        if (lead == 0xEF && (next == 0xBC || next == 0xBD)) return true;  // full-width forms
    }
    return false;
}

std::vector<std::string> Conversions(const std::string& format) {
    static const std::regex conversion(R"(%(%|[-+ #0]*\d*(\.\d+)?(hh|h|ll|l|z|j|t|L)?[diouxXeEfgGcspn]))");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(format.begin(), format.end(), conversion); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

class English : public ::testing::Test {
protected:
    void SetUp() override { SetLanguage(Language::English); }
    void TearDown() override { SetLanguage(Language::Chinese); }
};

TEST(MessagesTest, EveryTextHasItsEnglishWithTheSameConversionsInOrder) {
    std::set<std::string> ids;
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e) {
        const std::string chinese = e->chinese, english = e->english;
        EXPECT_TRUE(ids.insert(chinese).second) << "twice: " << chinese;
        EXPECT_TRUE(HasChinese(chinese)) << chinese;
        EXPECT_FALSE(english.empty()) << chinese;
        EXPECT_FALSE(HasChinese(english)) << chinese << " -> " << english;
        // A swapped or missing conversion would read the wrong argument.
        EXPECT_EQ(Conversions(chinese), Conversions(english)) << chinese << " -> " << english;
        // Line ends are where the log and the boxes split lines.
        EXPECT_EQ(chinese.ends_with("\r\n"), english.ends_with("\r\n")) << chinese;
    }
    EXPECT_GT(ids.size(), 300u);
}

TEST(MessagesTest, UnderChineseEveryTextIsItselfAndUnknownTextsPassInEither) {
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e)
        EXPECT_EQ(e->chinese, Localized(e->chinese));
    SetLanguage(Language::English);
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e) {
        EXPECT_STREQ(e->english, Localized(e->chinese));
        EXPECT_EQ(e->english, Localized(std::string(e->chinese)));
    }
    EXPECT_STREQ("not a text of ours", Localized("not a text of ours"));
    SetLanguage(Language::Chinese);
}

TEST_F(English, ReasonsStayAsTheCoreGivesThem) {
    EXPECT_EQ("No such file or directory", ShownReason("No such file or directory"));
    EXPECT_EQ("File 2: /tmp/a.hex\nthe file is empty", ShownReasonDetail(FailureReason{2, "/tmp/a.hex", "the file is empty"}));
    EXPECT_EQ("File: /tmp/a.hex", ShownReasonDetail(FailureReason{0, "/tmp/a.hex", ""}));
    SetLanguage(Language::Chinese);
    EXPECT_EQ("文件或文件夹不存在", ShownReason("No such file or directory"));
}

TEST_F(English, LogLinesAndRowTextsAreMadeFromTheEnglishFormat) {
    OperationLog log;
    log.Addf("文件%d：#第%d步：文件%s已读取%d字节数据\r\n", 1, 1, "/tmp/a.bin", 12);
    log.Add("***************合并操作***************\r\n");
    EXPECT_FALSE(HasChinese(log.Line(0))) << log.Line(0);
    EXPECT_NE(std::string::npos, log.Line(0).find("/tmp/a.bin")) << log.Line(0);
    EXPECT_NE(std::string::npos, log.Line(0).find("12")) << log.Line(0);
    EXPECT_FALSE(HasChinese(log.Line(1))) << log.Line(1);
    // A box about an S-record row names its format, in English as in Chinese.
    const std::string text = RowFileText("错误的Hex文件！", "app.s19");
    EXPECT_FALSE(HasChinese(text)) << text;
    EXPECT_NE(std::string::npos, text.find("S-record")) << text;
}

}  // namespace
}  // namespace torvane
