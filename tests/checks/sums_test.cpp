#include "checks/sums.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace torvane {
namespace {

// The streamed position sums give the four sums of the whole, however the
// data is cut into pieces of whole words.
TEST(SumsTest, PiecesOfWholeWordsGiveTheSumsOfTheWhole) {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes(4099);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    PositionSums sums;
    const size_t cuts[] = {8, 0, 2048, 1024, 1019};
    size_t at = 0;
    for (const size_t n : cuts) {
        AddByPosition(sums, std::span<const uint8_t>(bytes).subspan(at, n));
        at += n;
    }
    ASSERT_EQ(bytes.size(), at);
    EXPECT_EQ(Sum8(bytes), Sum8Of(sums));
    EXPECT_EQ(Sum16(bytes), Sum16Of(sums));
    EXPECT_EQ(Sum32(bytes), Sum32Of(sums));
    EXPECT_EQ(Sum64(bytes), Sum64Of(sums));
}

// Past the 256 words that the 16-bit lanes hold at once, nothing is lost.
TEST(SumsTest, LongRunsOfFFKeepEveryByte) {
    const std::vector<uint8_t> bytes(8 * 1000 + 3, 0xFF);
    // 8003 bytes of FF: the byte sum is 8003 * 255 = 0x1F23BD, complemented low byte 0x42.
    EXPECT_EQ(0x42, Sum8(bytes));
    // The words in a plain loop, as a model of the 16-bit sum.
    uint32_t acc = 0;
    for (size_t i = 0; i < bytes.size(); i += 2)
        acc += static_cast<uint32_t>(bytes[i] << 8 | (i + 1 < bytes.size() ? bytes[i + 1] : 0));
    uint32_t folded = (acc & 0xFFFF) + (acc >> 16);
    folded = (folded & 0xFFFF) + (folded >> 16);
    EXPECT_EQ(static_cast<uint16_t>(~folded), Sum16(bytes));
}

}  // namespace
}  // namespace torvane
