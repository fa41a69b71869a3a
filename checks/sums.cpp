#include "checks/sums.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace torvane {

// The sums of the bytes at each position modulo 8 (the byte at index i counts
// in sums[i % 8]). Every method but MD5 is a weighted sum of these eight, so the
// data is read once, eight bytes at a time, with no branch per byte. Bytes past
// the data count as 0, which completes a last partial word with zeros.
void AddByPosition(PositionSums& out, std::span<const uint8_t> bytes) {
    constexpr uint64_t kLow = 0x00FF00FF00FF00FFull;
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left >= 8) {
        // Up to 256 words fit 16-bit lanes (256 * 255 < 65536) before they are
        // added to the totals.
        const size_t words = std::min<size_t>(left / 8, 256);
        uint64_t even = 0;  // lanes: bytes 0, 2, 4, 6 of each word
        uint64_t odd = 0;   // lanes: bytes 1, 3, 5, 7
        for (size_t w = 0; w < words; ++w) {
            uint64_t x;
            std::memcpy(&x, p + 8 * w, 8);
            if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);  // byte 0 low
            even += x & kLow;
            odd += (x >> 8) & kLow;
        }
        for (int lane = 0; lane < 4; ++lane) {
            out.sums[2 * lane] += (even >> (16 * lane)) & 0xFFFF;
            out.sums[2 * lane + 1] += (odd >> (16 * lane)) & 0xFFFF;
        }
        p += 8 * words;
        left -= 8 * words;
    }
    for (size_t i = 0; i < left; ++i) out.sums[i] += p[i];
}

namespace {

PositionSums SumByPosition(std::span<const uint8_t> bytes) {
    PositionSums out;
    AddByPosition(out, bytes);
    return out;
}

}  // namespace

uint8_t Sum8(std::span<const uint8_t> bytes) { return Sum8Of(SumByPosition(bytes)); }

uint8_t Sum8Of(const PositionSums& s) {
    uint64_t total = 0;
    for (uint64_t v : s.sums) total += v;
    return static_cast<uint8_t>(~total);
}

uint16_t Sum16(std::span<const uint8_t> bytes) { return Sum16Of(SumByPosition(bytes)); }

uint16_t Sum16Of(const PositionSums& s) {
    // The sum of the words (even byte high) wraps modulo 2^32 on purpose: a
    // carry out of bit 31 is lost. Summed exactly, then cut to 32 bits.
    const uint64_t even = s.sums[0] + s.sums[2] + s.sums[4] + s.sums[6];
    const uint64_t odd = s.sums[1] + s.sums[3] + s.sums[5] + s.sums[7];
    const uint32_t sum = static_cast<uint32_t>(even * 256 + odd);
    uint32_t folded = (sum & 0xFFFF) + (sum >> 16);
    if (folded > 0xFFFF) folded = (folded & 0xFFFF) + (folded >> 16);
    return static_cast<uint16_t>(~folded & 0xFFFF);
}

uint32_t Sum32(std::span<const uint8_t> bytes) { return Sum32Of(SumByPosition(bytes)); }

uint32_t Sum32Of(const PositionSums& s) {
    // The exact sum of the big-endian words: no overflow below 2^32 words.
    const uint64_t total = ((s.sums[0] + s.sums[4]) << 24) + ((s.sums[1] + s.sums[5]) << 16) +
                           ((s.sums[2] + s.sums[6]) << 8) + (s.sums[3] + s.sums[7]);
    const uint32_t high = static_cast<uint32_t>(total >> 32);
    const uint32_t low = static_cast<uint32_t>(total);
    uint32_t sum = high + low;
    const uint32_t carry = sum < high ? 1u : 0u;
    // A fold that ends at exactly 0 keeps 0 and drops its carry.
    if (sum != 0) sum += carry;
    return ~sum;
}

uint64_t Sum64(std::span<const uint8_t> bytes) { return Sum64Of(SumByPosition(bytes)); }

uint64_t Sum64Of(const PositionSums& s) {
    // The exact sum of the big-endian words: its low 64 bits are the wrapped
    // sum, its high bits the number of additions that overflowed.
    unsigned __int128 total = 0;
    for (int j = 0; j < 8; ++j) total += static_cast<unsigned __int128>(s.sums[j]) << (8 * (7 - j));
    const uint64_t sum = static_cast<uint64_t>(total);
    const uint64_t overflows = static_cast<uint64_t>(total >> 64);
    // The overflow count is added once; a carry out of this addition is not folded again.
    return ~(sum + overflows);
}

}  // namespace torvane
