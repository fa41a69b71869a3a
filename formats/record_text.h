#pragma once

// The text a record writer makes, gathered into pieces for its sink. Shared by
// the Intel HEX and S-record writers; not part of the formats' interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/files.h"
#include "platform/memory.h"
#include "platform/piece_buffer.h"

namespace torvane::record_text {

constexpr std::array<std::array<char, 2>, 256> MakeHexPairs() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (size_t b = 0; b < 256; ++b) pairs[b] = {kDigits[b >> 4], kDigits[b & 15]};
    return pairs;
}

inline constexpr std::array<std::array<char, 2>, 256> kHexPairs = MakeHexPairs();

// Writes each of `count` bytes as two upper-case hex digits at `p`, which it
// moves past them; the sum of the bytes. Sixteen bytes at a time where the
// processor has SSE2: a record's data is most of a text's characters.
inline uint32_t PutHexBytes(char*& p, const uint8_t* data, size_t count) {
    uint32_t sum = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi8(0x0F);
    // A digit's character: '0' + n, and 7 more from 10 on, where 'A' follows.
    auto characters = [](__m128i nibbles) {
        const __m128i letter = _mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9));
        return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), _mm_and_si128(letter, _mm_set1_epi8(7)));
    };
    for (; i + 16 <= count; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), low);
        const __m128i lowNibbles = _mm_and_si128(v, low);
        // The high digit of each byte first.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), characters(_mm_unpacklo_epi8(high, lowNibbles)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), characters(_mm_unpackhi_epi8(high, lowNibbles)));
        p += 32;
        const __m128i sums = _mm_sad_epu8(v, _mm_setzero_si128());
        sum += static_cast<uint32_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint32_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < count; ++i) {
        std::memcpy(p, kHexPairs[data[i]].data(), 2);
        p += 2;
        sum += data[i];
    }
    return sum;
}

class RecordText {
public:
    // The longest record either writer makes: S3 with 255 bytes is 4 + 2 * 255
    // + 2 characters, Intel HEX with 255 data bytes 11 + 2 * 255 + 2.
    static constexpr size_t kLongestRecord = 1024;
    // A piece is handed on once it holds this much: as large as the pieces a
    // file write gathers, so it goes to the file without another copy.
    static constexpr size_t kPiece = PieceBuffer::kPieceBufferSize;

    // The buffer is asked for huge pages (ByteBuffer): filled, it costs a
    // page fault or two, not one per 4 KiB.
    explicit RecordText(const ByteSink& sink)
        : sink_(sink), buffer_(kPiece + kLongestRecord, false), text_(reinterpret_cast<char*>(buffer_.data())) {}

    // Where the next record of at most `size` (up to kLongestRecord)
    // characters goes; Used then says how many it took.
    char* Room(size_t size) {
        if (used_ + size > kPiece + kLongestRecord) Hand();
        return text_ + used_;
    }
    void Used(char* end) { used_ = static_cast<size_t>(end - text_); }

    // False once the sink refused a piece: the writer stops, and what it
    // still puts here goes nowhere.
    bool ok() const { return ok_; }

    // Hands on what is left; true when the sink took every piece.
    bool Finish() {
        Hand();
        return ok_;
    }

private:
    void Hand() {
        if (ok_ && used_ > 0) ok_ = sink_(text_, used_);
        used_ = 0;
    }

    const ByteSink& sink_;
    ByteBuffer buffer_;  // not cleared: only what is written is handed on
    char* text_;
    size_t used_ = 0;
    bool ok_ = true;
};

// A sink that appends to a string, for the writers' whole-text forms.
inline ByteSink AppendTo(std::string& text) {
    return [&text](const void* data, size_t size) {
        text.append(static_cast<const char*>(data), size);
        return true;
    };
}

}  // namespace torvane::record_text
