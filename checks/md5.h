#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace torvane {

// An MD5 message digest (RFC 1321): the 16 bytes in the order the algorithm
// emits them (A, B, C, D, each low byte first).
using Md5Digest = std::array<uint8_t, 16>;

// The running state of a digest fed in pieces.
struct Md5State {
    uint32_t words[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    uint64_t length = 0;  // bytes taken so far
};

// Takes the whole 64-byte blocks of `blocks`; the caller keeps any rest for the
// next piece or for Md5Finish.
void Md5Update(Md5State& state, std::span<const uint8_t> blocks);

// Takes the last bytes (any number) and gives the digest.
Md5Digest Md5Finish(Md5State state, std::span<const uint8_t> rest);

// The MD5 digest of the bytes. The message bit length is taken modulo 2^64.
Md5Digest Md5(std::span<const uint8_t> bytes);

// The same computed with this program's own rounds, whatever Md5 uses: Md5
// takes libcrypto's block routine where the build has it (faster on x86-64),
// and the two must agree.
Md5Digest Md5Own(std::span<const uint8_t> bytes);
bool Md5UsesLibrary();

// The digest as 32 lower-case hexadecimal digits, two per byte, high nibble first.
std::string Md5Text(const Md5Digest& digest);

}  // namespace torvane
