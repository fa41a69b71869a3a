#include "checks/crc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "checks/sha256.h"

namespace torvane {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// The model's definition, one bit at a time.
uint64_t BitByBit(const CrcModel& m, std::span<const uint8_t> bytes) {
    auto reflect = [](uint64_t v, int w) {
        uint64_t r = 0;
        for (int i = 0; i < w; ++i) r |= ((v >> i) & 1) << (w - 1 - i);
        return r;
    };
    const uint64_t top = 1ull << (m.width - 1);
    const uint64_t mask = m.width == 64 ? ~0ull : (1ull << m.width) - 1;
    uint64_t reg = m.init;
    for (uint8_t b : bytes) {
        const uint64_t in = m.refin ? reflect(b, 8) : b;
        for (int i = 7; i >= 0; --i) {
            const bool bit = ((reg & top) != 0) != (((in >> i) & 1) != 0);
            reg = ((reg << 1) & mask) ^ (bit ? m.poly : 0);
        }
    }
    if (m.refout) reg = reflect(reg, m.width);
    return (reg ^ m.xorout) & mask;
}

TEST(CrcTest, EveryPresetGivesItsCatalogueCheckValue) {
    ASSERT_GE(CrcPresets().size(), 14u);
    for (const CrcPreset& p : CrcPresets()) {
        EXPECT_TRUE(IsValidCrcModel(p.model)) << p.name;
        EXPECT_EQ(p.check, ComputeCrc(p, Bytes("123456789"))) << p.name;
    }
}

TEST(CrcTest, NamesAndAliasesInAnySpelling) {
    for (const char* name : {"crc32", "CRC-32/ISO-HDLC", "pkzip", "crc_32"})
        EXPECT_STREQ("CRC-32/ISO-HDLC", FindCrcPreset(name)->name) << name;
    EXPECT_STREQ("CRC-32/ISCSI", FindCrcPreset("crc32c")->name);
    EXPECT_STREQ("CRC-16/IBM-3740", FindCrcPreset("crc16-ccitt-false")->name);
    EXPECT_STREQ("CRC-16/XMODEM", FindCrcPreset("xmodem")->name);
    EXPECT_STREQ("CRC-16/MODBUS", FindCrcPreset("Modbus")->name);
    EXPECT_STREQ("STM32", FindCrcPreset("stm32")->name);
    EXPECT_STREQ("CRC-64/ECMA-182", FindCrcPreset("crc64")->name);  // the catalogue's alias
    EXPECT_EQ(nullptr, FindCrcPreset("crc31"));
    EXPECT_EQ(nullptr, FindCrcPreset("--"));
}

// The STM32 unit takes 32-bit little-endian words: "12345678" is the words
// 0x34333231 0x38373635 (srec_cat's -stm32 gives the same value).
TEST(CrcTest, Stm32FeedsLittleEndianWordsAndCompletesTheLastWithZeros) {
    const CrcPreset& stm32 = *FindCrcPreset("stm32");
    EXPECT_EQ(0xFEFC54F9u, ComputeCrc(stm32, Bytes("12345678")));
    EXPECT_EQ(ComputeCrc(stm32, Bytes(std::string("123456789\0\0\0", 12))), ComputeCrc(stm32, Bytes("123456789")));
}

// The fast paths (eight bytes a step, the processor's CRC-32C) against the
// byte-at-a-time definition, for every length and any split into pieces.
TEST(CrcTest, PiecesAndFastPathsAgreeWithTheDefinition) {
    std::mt19937 random(25);
    std::vector<uint8_t> data(1000);
    for (uint8_t& b : data) b = static_cast<uint8_t>(random());
    for (const CrcPreset& p : CrcPresets()) {
        if (p.feed != CrcFeed::Bytes) continue;
        for (size_t n : {0u, 1u, 7u, 8u, 9u, 63u, 1000u}) {
            const std::span<const uint8_t> part(data.data(), n);
            const uint64_t whole = ComputeCrc(p, part);
            EXPECT_EQ(whole, ComputeCrcPortable(p.model, part)) << p.name << " " << n;
            EXPECT_EQ(whole, BitByBit(p.model, part)) << p.name << " " << n;
            Crc pieces(p);
            for (size_t at = 0; at < n;) {
                const size_t step = std::min<size_t>(n - at, 1 + random() % 13);
                pieces.Update(part.subspan(at, step));
                at += step;
            }
            EXPECT_EQ(whole, pieces.Value()) << p.name << " " << n;
        }
    }
}

TEST(CrcTest, CustomModelsAreChecked) {
    std::string why;
    EXPECT_FALSE(IsValidCrcModel(CrcModel{7, 0x07, 0, false, false, 0}, &why));
    EXPECT_FALSE(IsValidCrcModel(CrcModel{8, 0x107, 0, false, false, 0}, &why));
    EXPECT_FALSE(IsValidCrcModel(CrcModel{16, 0x1020, 0, false, false, 0}, &why));
    EXPECT_TRUE(IsValidCrcModel(CrcModel{24, 0x864CFB, 0xB704CE, false, false, 0}));
    // CRC-24/OPENPGP, a width no preset has.
    EXPECT_EQ(0x21CF02u, ComputeCrc(CrcModel{24, 0x864CFB, 0xB704CE, false, false, 0}, Bytes("123456789")));
    EXPECT_EQ("0376E6E7", CrcText(0x0376E6E7, 32));
    EXPECT_EQ("F4", CrcText(0xF4, 8));
}

TEST(Sha256Test, KnownAnswersInAnyPieces) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha256Text(ComputeSha256({})));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Text(ComputeSha256(Bytes("abc"))));
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    Sha256 s;
    for (char c : two) s.Update(Bytes(std::string(1, c)));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1", Sha256Text(s.Digest()));
}

}  // namespace
}  // namespace torvane
