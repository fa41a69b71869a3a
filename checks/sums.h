#pragma once

#include <cstdint>
#include <span>

namespace torvane {

// The complemented sums of the check tool and of the sum fields.

// The one's complement of the byte sum modulo 256. Empty input gives 0xFF.
uint8_t Sum8(std::span<const uint8_t> bytes);

// The complemented one's-complement sum of big-endian 16-bit words; an odd last
// byte is the high byte of a last word. The words are summed in a 32-bit
// accumulator whose carries out of bit 31 are lost, then folded twice.
uint16_t Sum16(std::span<const uint8_t> bytes);

// The complemented end-around-carry sum of big-endian 32-bit words, the last one
// completed with zero bytes. A folded sum of 0 stays 0 even with a carry.
uint32_t Sum32(std::span<const uint8_t> bytes);

// The complement of the sum of big-endian 64-bit words (the last completed with
// zero bytes) plus the number of word additions that overflowed.
uint64_t Sum64(std::span<const uint8_t> bytes);

// The byte sums at each position modulo 8, from which the four sums follow.
struct PositionSums {
    uint64_t sums[8] = {};
};
// Adds the bytes as if they followed what was added before; every piece but the
// last must hold a multiple of 8 bytes for the positions to line up.
void AddByPosition(PositionSums& sums, std::span<const uint8_t> bytes);
uint8_t Sum8Of(const PositionSums& sums);
uint16_t Sum16Of(const PositionSums& sums);
uint32_t Sum32Of(const PositionSums& sums);
uint64_t Sum64Of(const PositionSums& sums);

}  // namespace torvane
