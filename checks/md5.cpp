#include "checks/md5.h"

#include <bit>
#include <cstring>

#ifdef TORVANE_OPENSSL_MD5
// The one-shot interface is deprecated in OpenSSL 3 for new code; its block
// routine (hand-tuned assembly) is what this program wants of it.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>
#endif

namespace torvane {
namespace {

constexpr size_t kBlockBytes = 64;

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittle(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

// The four auxiliary functions of the rounds; F and G in the forms that need
// one operation less.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z) { return y ^ (z & (x ^ y)); }
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }

// One step: a = b + ((a + fn(b, c, d) + word + t) <<< s). The 64 steps stand
// written out, with the sine constants T[i] = floor(2^32 * |sin(i + 1)|).
#define MD5_STEP(fn, a, b, c, d, word, t, s) \
    a += fn(b, c, d) + (word) + (t);         \
    a = RotateLeft(a, s) + b

void ProcessBlock(uint32_t state[4], const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLittle(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(F, a, b, c, d, x[0], 0xd76aa478, 7);
    MD5_STEP(F, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(F, c, d, a, b, x[2], 0x242070db, 17);
    MD5_STEP(F, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(F, a, b, c, d, x[4], 0xf57c0faf, 7);
    MD5_STEP(F, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(F, c, d, a, b, x[6], 0xa8304613, 17);
    MD5_STEP(F, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(F, a, b, c, d, x[8], 0x698098d8, 7);
    MD5_STEP(F, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(F, c, d, a, b, x[10], 0xffff5bb1, 17);
    MD5_STEP(F, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(F, a, b, c, d, x[12], 0x6b901122, 7);
    MD5_STEP(F, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(F, c, d, a, b, x[14], 0xa679438e, 17);
    MD5_STEP(F, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_STEP(G, a, b, c, d, x[1], 0xf61e2562, 5);
    MD5_STEP(G, d, a, b, c, x[6], 0xc040b340, 9);
    MD5_STEP(G, c, d, a, b, x[11], 0x265e5a51, 14);
    MD5_STEP(G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_STEP(G, a, b, c, d, x[5], 0xd62f105d, 5);
    MD5_STEP(G, d, a, b, c, x[10], 0x02441453, 9);
    MD5_STEP(G, c, d, a, b, x[15], 0xd8a1e681, 14);
    MD5_STEP(G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_STEP(G, a, b, c, d, x[9], 0x21e1cde6, 5);
    MD5_STEP(G, d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_STEP(G, c, d, a, b, x[3], 0xf4d50d87, 14);
    MD5_STEP(G, b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_STEP(G, a, b, c, d, x[13], 0xa9e3e905, 5);
    MD5_STEP(G, d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_STEP(G, c, d, a, b, x[7], 0x676f02d9, 14);
    MD5_STEP(G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(H, a, b, c, d, x[5], 0xfffa3942, 4);
    MD5_STEP(H, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(H, c, d, a, b, x[11], 0x6d9d6122, 16);
    MD5_STEP(H, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(H, a, b, c, d, x[1], 0xa4beea44, 4);
    MD5_STEP(H, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(H, c, d, a, b, x[7], 0xf6bb4b60, 16);
    MD5_STEP(H, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(H, a, b, c, d, x[13], 0x289b7ec6, 4);
    MD5_STEP(H, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(H, c, d, a, b, x[3], 0xd4ef3085, 16);
    MD5_STEP(H, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(H, a, b, c, d, x[9], 0xd9d4d039, 4);
    MD5_STEP(H, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(H, c, d, a, b, x[15], 0x1fa27cf8, 16);
    MD5_STEP(H, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(I, a, b, c, d, x[0], 0xf4292244, 6);
    MD5_STEP(I, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(I, c, d, a, b, x[14], 0xab9423a7, 15);
    MD5_STEP(I, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(I, a, b, c, d, x[12], 0x655b59c3, 6);
    MD5_STEP(I, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(I, c, d, a, b, x[10], 0xffeff47d, 15);
    MD5_STEP(I, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(I, a, b, c, d, x[8], 0x6fa87e4f, 6);
    MD5_STEP(I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(I, c, d, a, b, x[6], 0xa3014314, 15);
    MD5_STEP(I, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(I, a, b, c, d, x[4], 0xf7537e82, 6);
    MD5_STEP(I, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    MD5_STEP(I, b, c, d, a, x[9], 0xeb86d391, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef MD5_STEP

using BlocksFunction = void (*)(uint32_t state[4], const uint8_t* blocks, size_t bytes);

// The rounds over whole blocks, in this file's own code.
void OwnBlocks(uint32_t state[4], const uint8_t* blocks, size_t bytes) {
    for (size_t i = 0; i < bytes; i += kBlockBytes) ProcessBlock(state, blocks + i);
}

#ifdef TORVANE_OPENSSL_MD5
// The same through libcrypto's block routine, which is faster than the C
// above on x86-64. The padding stays ours: only whole blocks go through it.
void LibraryBlocks(uint32_t state[4], const uint8_t* blocks, size_t bytes) {
    MD5_CTX c;
    MD5_Init(&c);
    c.A = state[0];
    c.B = state[1];
    c.C = state[2];
    c.D = state[3];
    MD5_Update(&c, blocks, bytes);
    state[0] = c.A;
    state[1] = c.B;
    state[2] = c.C;
    state[3] = c.D;
}
constexpr BlocksFunction kBlocks = LibraryBlocks;
#else
constexpr BlocksFunction kBlocks = OwnBlocks;
#endif

void Update(Md5State& state, std::span<const uint8_t> blocks, BlocksFunction run) {
    const size_t whole = blocks.size() / kBlockBytes * kBlockBytes;
    if (whole) run(state.words, blocks.data(), whole);
    state.length += whole;
}

Md5Digest Finish(Md5State state, std::span<const uint8_t> rest, BlocksFunction run) {
    // Whole blocks of the rest first, then the last bytes, 0x80, zeros up to 56
    // modulo 64 and the bit length: one or two blocks.
    Update(state, rest, run);
    const size_t whole = rest.size() / kBlockBytes * kBlockBytes;
    const size_t left = rest.size() - whole;
    const uint64_t length = state.length + left;
    uint8_t tail[2 * kBlockBytes] = {};
    if (left) std::memcpy(tail, rest.data() + whole, left);
    tail[left] = 0x80;
    const size_t tailBytes = left < 56 ? kBlockBytes : 2 * kBlockBytes;
    const uint64_t bits = length * 8u;
    for (int i = 0; i < 8; ++i) tail[tailBytes - 8 + i] = static_cast<uint8_t>(bits >> (8 * i));
    run(state.words, tail, tailBytes);

    Md5Digest digest;
    for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(state.words[i / 4] >> (8 * (i % 4)));
    return digest;
}

}  // namespace

bool Md5UsesLibrary() { return kBlocks != OwnBlocks; }

void Md5Update(Md5State& state, std::span<const uint8_t> blocks) { Update(state, blocks, kBlocks); }

Md5Digest Md5Finish(Md5State state, std::span<const uint8_t> rest) { return Finish(state, rest, kBlocks); }

Md5Digest Md5(std::span<const uint8_t> bytes) { return Md5Finish(Md5State{}, bytes); }

Md5Digest Md5Own(std::span<const uint8_t> bytes) { return Finish(Md5State{}, bytes, OwnBlocks); }

std::string Md5Text(const Md5Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * digest.size());
    for (uint8_t b : digest) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

}  // namespace torvane
