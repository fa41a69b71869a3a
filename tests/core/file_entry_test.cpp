#include "core/file_entry.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/format.h"

namespace torvane {
namespace {

TEST(FileTypeTest, HexEndingInAnyCaseAndIhxAreHex) {
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/app.hex"));
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/myhex"));  // the dot is not checked
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/BOOT.HEX"));
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/app.Hex"));
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/main.ihx"));
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/MAIN.IHX"));
    EXPECT_EQ(kBinFile, FileTypeOf("/fw/ihx"));  // no dot: not the SDCC name
    EXPECT_EQ(kBinFile, FileTypeOf("/fw/app.bin"));
    EXPECT_EQ(kBinFile, FileTypeOf("/fw/app.hexdump"));
    EXPECT_EQ(kBinFile, FileTypeOf("ex"));
    EXPECT_EQ(kBinFile, FileTypeOf(""));
    EXPECT_EQ(kHexFile, FileTypeOf("固件.hex"));
}

TEST(FileTypeTest, TheRuleReadsTheCodePagesBytes) {
    // In GBK the last byte of 癶 (B0 68) is an 'h': "癶ex" ends in "hex" there,
    // and not in UTF-8.
    ASSERT_TRUE(SetCodePage("UTF-8"));
    EXPECT_EQ(kBinFile, FileTypeOf("/fw/\xe7\x99\xb6" "ex"));
    ASSERT_TRUE(SetCodePage("GBK"));
    EXPECT_EQ(kHexFile, FileTypeOf("/fw/\xe7\x99\xb6" "ex"));
    EXPECT_EQ(kBinFile, FileTypeOf("/fw/\xe5\x9b\xba" "ex"));  // 固: B9 CC
    SetCodePage("");
}

TEST(ParseHexNumberTest, TakesAnOptionalPrefixAndOnlyDigits) {
    EXPECT_EQ(0x7FFCu, ParseHexNumber("7ffc", 8));
    EXPECT_EQ(0x7FFCu, ParseHexNumber("0X7FFC", 8));
    EXPECT_EQ(0u, ParseHexNumber("0", 8));
    for (const char* bad : {"", "0x", "7g", "123456789", " 1", "-1"}) EXPECT_FALSE(ParseHexNumber(bad, 8)) << bad;
}

TEST(ParseHexFieldTest, ReadsLeadingHexDigits) {
    EXPECT_EQ(0, ParseHexField(""));
    EXPECT_EQ(0, ParseHexField("g12"));
    EXPECT_EQ(0, ParseHexField(" 12"));
    EXPECT_EQ(0, ParseHexField("-12"));
    EXPECT_EQ(0x1000, ParseHexField("1000"));
    EXPECT_EQ(0xABCDEF, ParseHexField("abcDEF"));
    EXPECT_EQ(0x12, ParseHexField("12zz"));
    EXPECT_EQ(0x10, ParseHexField("0x10"));
    EXPECT_EQ(0, ParseHexField("0x"));
}

TEST(ParseHexFieldTest, EightDigitTextsReadBackAsTheirPattern) {
    EXPECT_EQ(INT32_MAX, ParseHexField("7FFFFFFF"));
    EXPECT_EQ(INT32_MIN, ParseHexField("80000000"));
    EXPECT_EQ(-1, ParseHexField("FFFFFFFF"));
    for (uint32_t v : {0u, 1u, 0x08000000u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(static_cast<int32_t>(v), ParseHexField(Format("%.8X", v)));
    }
}

TEST(ParseHexFieldTest, LongerTextsKeepTheirValueOrSaturate) {
    EXPECT_EQ(0x1000, ParseHexField("000000001000"));  // leading zeros do not count
    EXPECT_EQ(-1, ParseHexField("100000000"));          // needs 33 bits
    EXPECT_EQ(-1, ParseHexField("123456789ABCDEF0123"));
}

}  // namespace
}  // namespace torvane
