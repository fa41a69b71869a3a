#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace torvane {

// An MD5 message digest (RFC 1321): the 16 bytes in the order the algorithm
// emits them (A, B, C, D, each low byte first).
using Md5Digest = std::array<uint8_t, 16>;

// The MD5 digest of the bytes. The message bit length is taken modulo 2^64.
Md5Digest Md5(std::span<const uint8_t> bytes);

// The digest as 32 lower-case hexadecimal digits, two per byte, high nibble first.
std::string Md5Text(const Md5Digest& digest);

}  // namespace torvane
