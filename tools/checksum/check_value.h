#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

// The check-value methods, numbered as the method list shows them: the list
// index is the method. To add one: give it the next number here, its caption in
// kChecksumMethodCaptions (check_tool.h), its case in ComputeCheckValue, and its
// name in the checksum command's table (cli/tool_commands.cpp).
enum class ChecksumMethod {
    Sum8 = 0,   // "校验和"
    Sum16 = 1,  // "2字节校验和"
    Sum32 = 2,  // "4字节校验和"
    Sum64 = 3,  // "8字节校验和"
    Md5 = 4,    // "MD5"
};
inline constexpr int kChecksumMethodCount = 5;

// The method at a list index; nothing for an index outside the list (-1 = none selected).
std::optional<ChecksumMethod> ChecksumMethodAt(int index);

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

// Runs one method and returns the result text: the four sums in upper-case hex
// without leading zeros ("%X"), MD5 as 32 lower-case hex digits.
std::string ComputeCheckValue(ChecksumMethod method, std::span<const uint8_t> bytes);

// The bytes of typed data text. Only ASCII letters and digits count, every other
// character is dropped; a letter is worth 10 for A/a up to 35 for Z/z, so letters
// past F are taken too. The kept characters give one byte per pair, first the
// high nibble, keeping the low 8 bits; an odd last character is ignored. Any
// length is accepted. Nothing when fewer than two characters are kept.
std::optional<std::vector<uint8_t>> ParseHexData(std::string_view text);

}  // namespace torvane
