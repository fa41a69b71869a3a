#include "platform/format.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(FormatTest, FormatsPrintfStyle) {
    EXPECT_EQ("文件3：#第2步：0x0800ABCD 0xFF -5", Format("文件%d：#第%d步：0x%.8X 0x%.2X %d", 3, 2, 0x0800ABCDu, 0xFFu, -5));
    EXPECT_EQ("", Format("%s", ""));
}

TEST(FormatTest, LongTextsAreNotCut) {
    const std::string longText(10000, 'x');
    EXPECT_EQ(longText + "!", Format("%s!", longText.c_str()));
}

}  // namespace
}  // namespace torvane

#include "platform/prompts.h"

namespace torvane {
namespace {

TEST(ParseFilterTest, SplitsDescriptionsAndPatterns) {
    const std::vector<FilterEntry> e = ParseFilter("(*.HEX;*.BIN)|*.HEX;*.BIN|(*.HEX)|*.HEX|(*.BIN)|*.BIN||");
    ASSERT_EQ(3u, e.size());
    EXPECT_EQ("(*.HEX;*.BIN)", e[0].description);
    EXPECT_EQ((std::vector<std::string>{"*.HEX", "*.BIN"}), e[0].patterns);
    EXPECT_EQ((std::vector<std::string>{"*.BIN"}), e[2].patterns);
    EXPECT_EQ(1u, ParseFilter("ini文件(*.ini)|*.ini||").size());
    EXPECT_TRUE(ParseFilter("").empty());
    EXPECT_TRUE(ParseFilter("broken|").empty());
}

}  // namespace
}  // namespace torvane
