#include "tools/serialize/serial_number.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace torvane {
namespace {

// The model: the number's bytes by shifts, or its digits as printf writes them.
std::vector<uint8_t> Model(const SerialPlace& p, uint64_t n) {
    std::vector<uint8_t> bytes;
    if (p.kind == SerialKind::Decimal || p.kind == SerialKind::Hex) {
        char text[32];
        std::snprintf(text, sizeof text, p.kind == SerialKind::Decimal ? "%0*llu" : "%0*llX", p.digits,
                      static_cast<unsigned long long>(n));
        return std::vector<uint8_t>(text, text + p.digits);
    }
    for (uint32_t i = 0; i < p.Width(); ++i) bytes.push_back(static_cast<uint8_t>(n >> (8 * i)));
    if (p.bigEndian) std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

TEST(SerialPlaceTest, EveryKindInBothOrdersMatchesTheModel) {
    const char* texts[] = {"100:u8",     "100:u16",   "100:u16:be", "100:u32",   "100:u32:be", "100:u64",
                           "100:U64:BE", "100:dec:8", "100:dec:20", "100:hex:6", "100:hex:16"};
    for (const char* text : texts) {
        const std::optional<SerialPlace> p = ParseSerialPlace(text);
        ASSERT_TRUE(p) << text;
        EXPECT_EQ(0x100u, p->at);
        for (const uint64_t n : {uint64_t{0}, uint64_t{1}, uint64_t{0xA5}, uint64_t{0x1234}, uint64_t{0x89ABCDEF},
                                 uint64_t{0x0123456789ABCDEF}, UINT64_MAX}) {
            if (n > p->Largest()) continue;
            EXPECT_EQ(Model(*p, n), EncodeSerial(*p, n)) << text << " " << n;
        }
        // The text reads back as the same place.
        const std::optional<SerialPlace> again = ParseSerialPlace(SerialPlaceText(*p));
        ASSERT_TRUE(again) << SerialPlaceText(*p);
        EXPECT_EQ(SerialPlaceText(*p), SerialPlaceText(*again));
    }
}

TEST(SerialPlaceTest, TheLargestNumberOfEachWidth) {
    EXPECT_EQ(0xFFu, ParseSerialPlace("0:u8")->Largest());
    EXPECT_EQ(0xFFFFu, ParseSerialPlace("0:u16:be")->Largest());
    EXPECT_EQ(0xFFFFFFFFu, ParseSerialPlace("0:u32")->Largest());
    EXPECT_EQ(UINT64_MAX, ParseSerialPlace("0:u64")->Largest());
    EXPECT_EQ(999u, ParseSerialPlace("0:dec:3")->Largest());
    EXPECT_EQ(9999999999999999999ull, ParseSerialPlace("0:dec:19")->Largest());
    EXPECT_EQ(UINT64_MAX, ParseSerialPlace("0:dec:20")->Largest());
    EXPECT_EQ(0xFFFFFu, ParseSerialPlace("0:hex:5")->Largest());
    EXPECT_EQ(UINT64_MAX, ParseSerialPlace("0:hex:16")->Largest());
}

TEST(SerialPlaceTest, OtherTextIsRefusedWithItsReason) {
    for (const char* text : {"", "100", "100:", "100:u24", "100:u32:xx", "100:dec", "100:dec:0", "100:dec:21",
                             "100:hex:17", "100:u8:be:x", "123456789:u8", "G:u8", "100:dec:1a"}) {
        std::string why;
        EXPECT_FALSE(ParseSerialPlace(text, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    EXPECT_EQ(0x8000000u, ParseSerialPlace("0x8000000:u8")->at);
}

TEST(SerialNumberTest, DecimalOrHexUpToTwoToTheSixtyFour) {
    EXPECT_EQ(1000u, ParseSerialNumber("1000"));
    EXPECT_EQ(0x1000u, ParseSerialNumber("0x1000"));
    EXPECT_EQ(UINT64_MAX, ParseSerialNumber("18446744073709551615"));
    for (const char* text : {"", "0x", "18446744073709551616", "0x10000000000000000", "-1", "1e3", " 1", "12a"})
        EXPECT_FALSE(ParseSerialNumber(text)) << text;
    EXPECT_EQ(30u, NthNumber(10, 5, 4));
    EXPECT_FALSE(NthNumber(UINT64_MAX - 4, 5, 1));
    EXPECT_EQ(UINT64_MAX, NthNumber(UINT64_MAX - 5, 5, 1));
}

TEST(MacTest, ReadsTheUsualFormsAndWritesTheFirstOctetFirst) {
    EXPECT_EQ(0x001122AABBCCull, ParseMac("00:11:22:AA:BB:CC"));
    EXPECT_EQ(0x001122AABBCCull, ParseMac("00-11-22-aa-bb-cc"));
    EXPECT_EQ(0x001122AABBCCull, ParseMac("001122aabbcc"));
    for (const char* text : {"", "00:11:22:AA:BB", "00:11:22:AA:BB:CC:DD", "00:11-22:AA:BB:CC", "00:11:22:AA:BB:CG",
                             "0011:22AA:BBCC", "00112233445"})
        EXPECT_FALSE(ParseMac(text)) << text;
    const std::array<uint8_t, 6> bytes = MacBytes(0x001122AABBCCull);
    EXPECT_EQ((std::array<uint8_t, 6>{0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}), bytes);
    EXPECT_EQ("00:11:22:AA:BB:CC", MacText(0x001122AABBCCull));
    EXPECT_EQ("001122AABBCC", MacNameText(0x001122AABBCCull));
}

TEST(NamePatternTest, PlaceholdersAndBraces) {
    const std::optional<NamePattern> p = NamePattern::Parse("/out/dev_{serial}_{serial:hex}_{mac}{{x}}.bin");
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->HasPlaceholder());
    EXPECT_TRUE(p->UsesMac());
    EXPECT_EQ("/out/dev_255_FF_001122AABBCC{x}.bin", p->Expand(255, 0x001122AABBCCull));
    const std::optional<NamePattern> plain = NamePattern::Parse("/out/one.bin");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->HasPlaceholder());
    EXPECT_EQ("/out/one.bin", plain->Expand(1, 2));
}

TEST(NamePatternTest, APlaceholderItDoesNotKnowOrInTheFolderIsRefused) {
    for (const char* text : {"dev_{serial.bin", "dev_{number}.bin", "dev_}.bin", "/out/{serial}/fw.bin",
                             "C:\\out\\{serial}\\fw.bin", "{SERIAL}.bin"}) {
        std::string why;
        EXPECT_FALSE(NamePattern::Parse(text, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
}

}  // namespace
}  // namespace torvane
