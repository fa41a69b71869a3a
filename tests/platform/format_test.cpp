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
