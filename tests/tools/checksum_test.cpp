#include "tools/checksum/check_value.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace torvane {
namespace {

std::vector<uint8_t> Data(const std::string& hexText) { return ParseHexData(hexText).value(); }

std::string Check(ChecksumMethod method, const std::string& hexText) {
    return ComputeCheckValue(method, Data(hexText));
}

TEST(CheckValueTest, WorkedExamplesOfTheFourSums) {
    // RFC 1071, section 3: the words 0001 f203 f4f5 f6f7 sum to ddf2; complemented 220d.
    EXPECT_EQ("220D", Check(ChecksumMethod::Sum16, "0001f203f4f5f6f7"));
    EXPECT_EQ("FC", Check(ChecksumMethod::Sum8, "0102"));
    EXPECT_EQ("F9FDFCFB", Check(ChecksumMethod::Sum32, "0102030405"));  // last word 05000000
    EXPECT_EQ("FEFDFCFBFAF9F8F7", Check(ChecksumMethod::Sum64, "0102030405060708"));
}

TEST(CheckValueTest, EmptyInputGivesTheComplementOfZeroAndTheEmptyDigest) {
    const std::vector<uint8_t> none;
    EXPECT_EQ("FF", ComputeCheckValue(ChecksumMethod::Sum8, none));
    EXPECT_EQ("FFFF", ComputeCheckValue(ChecksumMethod::Sum16, none));
    EXPECT_EQ("FFFFFFFF", ComputeCheckValue(ChecksumMethod::Sum32, none));
    EXPECT_EQ("FFFFFFFFFFFFFFFF", ComputeCheckValue(ChecksumMethod::Sum64, none));
    EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", ComputeCheckValue(ChecksumMethod::Md5, none));
}

TEST(CheckValueTest, ResultTextHasNoLeadingZeros) {
    EXPECT_EQ("A", Check(ChecksumMethod::Sum8, "F5"));
    EXPECT_EQ("FF", Check(ChecksumMethod::Sum16, "FF00"));
    EXPECT_EQ("0", Check(ChecksumMethod::Sum8, "FF"));
}

TEST(CheckValueTest, Sum16CompletesAnOddLastWordAndFoldsTwice) {
    EXPECT_EQ("FBFD", Check(ChecksumMethod::Sum16, "010203"));  // 0102 + 0300
    // 1FFFF folds to 10000, which needs the second fold to become 0001.
    EXPECT_EQ("FFFE", Check(ChecksumMethod::Sum16, "FFFFFFFF0001"));
}

TEST(CheckValueTest, Sum16LosesCarriesOutOfTheAccumulator) {
    // 65538 words FFFF sum to 1_0000_FFFE; the 32-bit accumulator keeps FFFE.
    const std::vector<uint8_t> bytes(2 * 65538, 0xFF);
    EXPECT_EQ("1", ComputeCheckValue(ChecksumMethod::Sum16, bytes));
}

TEST(CheckValueTest, Sum32FoldKeepsZeroButAddsOtherCarries) {
    // H = 1, L = FFFFFFFF: the fold is 0 with a carry, and stays 0.
    EXPECT_EQ("FFFFFFFF", Check(ChecksumMethod::Sum32, "FFFFFFFFFFFFFFFF00000001"));
    // H = 2, L = FFFFFFFF: the fold is 1 with a carry, which is added.
    EXPECT_EQ("FFFFFFFD", Check(ChecksumMethod::Sum32, "FFFFFFFFFFFFFFFFFFFFFFFF00000002"));
}

TEST(CheckValueTest, Sum64AddsTheOverflowCountOnceWithoutAFurtherFold) {
    EXPECT_EQ("FFFFFFFFFFFFFFFD", Check(ChecksumMethod::Sum64, "FFFFFFFFFFFFFFFF0000000000000002"));
    // V = FFFFFFFFFFFFFFFF after one overflow: V + C wraps to 0, and that carry is dropped.
    EXPECT_EQ("FFFFFFFFFFFFFFFF",
              Check(ChecksumMethod::Sum64, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF0000000000000001"));
    EXPECT_EQ("FAFBFCFDFEFFFFFF", Check(ChecksumMethod::Sum64, "050403020100"));  // zero-completed
}

TEST(CheckValueTest, TypedDataKeepsHexDigitsInPairs) {
    EXPECT_EQ((std::vector<uint8_t>{0x12, 0x34, 0xAB}), ParseHexData("12 34,ab"));
    EXPECT_EQ((std::vector<uint8_t>{0x12, 0x34}), ParseHexData("1 23 4"));  // pairs run across the groups
    EXPECT_EQ((std::vector<uint8_t>{0x12}), ParseHexData("中12"));  // UTF-8 bytes are not letters
}

TEST(CheckValueTest, ZeroXOpensAByteGroup) {
    EXPECT_EQ((std::vector<uint8_t>{0x12}), ParseHexData("0x12"));
    EXPECT_EQ((std::vector<uint8_t>{0x12, 0xAB, 0x00}), ParseHexData("0x12 0XAB,0x00"));
}

TEST(CheckValueTest, LettersPastFAndOddDigitsAreRefusedWithTheReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"012", "the data has an odd number of hex digits (3); each byte takes two"},
        {"12g4", "'g' is not a hex digit"},
        {"12x4", "'x' is not a hex digit"},
        {"x12", "'x' is not a hex digit"},
        {"0x", "\"0x\" stands before no hex digit"},
        {"0x0x12", "'x' is not a hex digit"},
        {"zz", "'z' is not a hex digit"},
    };
    for (const auto& [text, reason] : cases) {
        std::string why;
        EXPECT_FALSE(ParseHexData(text, &why)) << text;
        EXPECT_EQ(reason, why) << text;
    }
}

TEST(CheckValueTest, TypedDataNeedsTwoDigits) {
    EXPECT_FALSE(ParseHexData(""));
    EXPECT_FALSE(ParseHexData("1"));
    EXPECT_FALSE(ParseHexData("   "));
}

TEST(CheckValueTest, TypedDataHasNoLengthBound) {
    EXPECT_EQ(std::vector<uint8_t>(2000, 0x55), ParseHexData(std::string(4000, '5')));
}

// The list's new methods follow the five, which keep their indices.
TEST(CheckValueTest, CrcAndShaMethodsFollowTheSums) {
    const std::string nine = "123456789";
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(nine.data()), nine.size());
    EXPECT_EQ(ChecksumMethod::Md5, ChecksumMethodAt(4));
    EXPECT_EQ("29B1", ComputeCheckValue(ChecksumMethod::Crc16Ibm3740, bytes));
    EXPECT_EQ("CBF43926", ComputeCheckValue(ChecksumMethod::Crc32IsoHdlc, bytes));
    EXPECT_EQ("E3069283", ComputeCheckValue(ChecksumMethod::Crc32Iscsi, bytes));
    EXPECT_EQ("AFF19057", ComputeCheckValue(ChecksumMethod::Stm32Crc, bytes));
    EXPECT_EQ("15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225",
              ComputeCheckValue(ChecksumMethod::Sha256, bytes));
    EXPECT_FALSE(ChecksumMethodAt(kChecksumMethodCount).has_value());
}

}  // namespace
}  // namespace torvane
