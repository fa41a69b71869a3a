#include "core/decode_hex.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/format.h"

namespace torvane {
namespace {

constexpr uint8_t kNotHex = 0xFF;

constexpr std::array<uint8_t, 256> MakeHexTable() {
    std::array<uint8_t, 256> t{};
    for (auto& v : t) v = kNotHex;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<uint8_t>(c - 'A' + 10);
    return t;
}

constexpr std::array<uint8_t, 256> kHexTable = MakeHexTable();

// A pair with a character that is not a hex digit.
constexpr uint16_t kBadPair = 0x100;

// The value of the pair at p, or kBadPair.
inline uint16_t PairAt(const uint8_t* p) {
    const uint8_t hi = kHexTable[p[0]];
    const uint8_t lo = kHexTable[p[1]];
    return (hi | lo) & 0xF0 ? kBadPair : static_cast<uint16_t>((hi << 4) | lo);
}

// Reads the pair at p into `out`; false (and `out` untouched) when either
// character is not a hex digit.
inline bool ReadPair(const uint8_t* p, uint8_t& out) {
    const uint8_t hi = kHexTable[p[0]];
    const uint8_t lo = kHexTable[p[1]];
    if ((hi | lo) & 0xF0) return false;
    out = static_cast<uint8_t>((hi << 4) | lo);
    return true;
}

#if defined(__SSE2__)
// Decodes 16 characters into 8 bytes at `out`. Returns the sum of the bytes in
// the low 16 bits and kBadPair in the high bits when a character is not a hex
// digit (the bytes written are then not used).
inline uint32_t DecodeSixteen(const uint8_t* in, uint8_t* out) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    const __m128i l = _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(l, _mm_set1_epi8(5)), l);
    const __m128i value = _mm_or_si128(_mm_and_si128(d, isDigit),
                                       _mm_and_si128(_mm_add_epi8(l, _mm_set1_epi8(10)), isLetter));
    const int valid = _mm_movemask_epi8(_mm_or_si128(isDigit, isLetter));
    // Each 16-bit lane holds (high digit, low digit): byte = high << 4 | low.
    const __m128i high = _mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0x00FF)), 4);
    const __m128i bytes = _mm_or_si128(high, _mm_srli_epi16(value, 8));
    const __m128i packed = _mm_packus_epi16(bytes, _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    const uint32_t sum = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_sad_epu8(packed, _mm_setzero_si128())));
    return sum | (valid == 0xFFFF ? 0u : static_cast<uint32_t>(kBadPair) << 16);
}
#endif

// Positions inside a record, counted from its ':'.
constexpr uint32_t kCountPos = 1;
constexpr uint32_t kBodyPos = 3;  // address high, address low, type, data, checksum
// The record buffer holds address (2), type (1), up to 255 data bytes and the
// checksum: 259 bytes, so byte counts up to 255 decode without overrun.
constexpr size_t kRecordBufferSize = 2 + 1 + 255 + 1;

}  // namespace

namespace {

// The one decoding loop. `out` is the image to write (nothing is written when
// null); `sink`, when given, hears of every data record placed.
HexDecodeResult Decode(std::span<const uint8_t> input, uint8_t* out, HexRecordSink* sink) {
    HexDecodeResult result;
    const uint8_t* const text = input.data();
    const uint64_t n = input.size();
    if (text == nullptr) return result;

    uint16_t ela = 0;
    uint16_t esa = 0;
    // The running minimum starts at 0x0FFFFFFF, not at the largest address, as
    // the program has always started it; every address a record can be placed
    // at (below 0x00200000, or from 0x08000000 below 0x08200000) lies below it.
    uint32_t runningMinimum = 0x0FFFFFFF;
    // Kept across records on purpose: a pair that is not hex leaves the byte the
    // previous record had at that position, and only the checksum catches it.
    uint8_t record[kRecordBufferSize];
    std::memset(record, 0, sizeof record);

    if (n < 2) return result;

    uint64_t p = 0;
    uint32_t recordNo = 1;
    // Where the record before this one ended (its line end starts there).
    uint64_t previousEnd = 0;
    auto stop = [&](HexFault fault, uint32_t where, uint64_t offset) {
        result.fault = fault;
        result.faultRecord = where;
        result.faultOffset = offset;
        return result;
    };
    for (;; ++recordNo) {
        if (text[p] != ':') {
            // A record ended by one line-end byte leaves the next one a byte
            // early: the usual sign of a file with LF or CR line ends.
            const bool afterLineEnd = recordNo > 1 && previousEnd + 2 == p;
            if (afterLineEnd && text[previousEnd] == '\n')
                return stop(HexFault::LfLineEnd, recordNo - 1, previousEnd);
            if (afterLineEnd && text[previousEnd] == '\r' && text[previousEnd + 1] != '\n')
                return stop(HexFault::CrLineEnd, recordNo - 1, previousEnd);
            return stop(HexFault::NoRecordStart, recordNo, p);
        }
        // The byte count must lie inside the text.
        if (p + kBodyPos > n) return stop(HexFault::RecordPastText, recordNo, p);
        uint8_t count = 0;
        ReadPair(text + p + kCountPos, count);  // not hex: the count reads as 0

        // Everything up to and including the checksum must lie inside the text.
        const uint32_t bodyBytes = static_cast<uint32_t>(count) + 4;
        if (p + kBodyPos + 2ull * bodyBytes > n) return stop(HexFault::RecordPastText, recordNo, p);

        // Straight into the record buffer, eight bytes at a time. A chunk with a
        // pair that is not hex goes pair by pair instead, so that such a pair
        // keeps the byte the buffer held from the record before.
        const uint8_t* pair = text + p + kBodyPos;
        uint32_t sum = count;
        uint32_t i = 0;
#if defined(__SSE2__)
        for (; i + 8 <= bodyBytes; i += 8) {
            uint8_t chunk[8];
            const uint32_t decoded = DecodeSixteen(pair + 2 * i, chunk);
            if ((decoded >> 16) == 0) {
                std::memcpy(record + i, chunk, 8);
                sum += decoded & 0xFFFF;
                continue;
            }
            for (uint32_t j = i; j < i + 8; ++j) {
                ReadPair(pair + 2 * j, record[j]);
                sum += record[j];
            }
        }
#endif
        for (; i < bodyBytes; ++i) {
            const uint16_t v = PairAt(pair + 2 * i);
            if ((v & kBadPair) == 0) record[i] = static_cast<uint8_t>(v);
            sum += record[i];
        }
        if ((sum & 0xFF) != 0) return stop(HexFault::BadChecksum, recordNo, p);

        const uint8_t* data = record + 3;
        uint64_t next;
        switch (static_cast<RecordType>(record[2])) {
            case RecordType::Data: {
                const uint32_t address = static_cast<uint32_t>(ela) * 65536u + static_cast<uint32_t>(esa) * 16u +
                                         (static_cast<uint32_t>(record[0]) << 8 | record[1]);
                const uint32_t index = ImageIndexOf(address);
                if (static_cast<uint64_t>(index) + count > kHexImageSize)
                    return stop(HexFault::DataOutsideImage, recordNo, p);
                if (address < runningMinimum) {
                    runningMinimum = address;
                    result.LowestAddress = address;
                }
                result.foundData = true;
                if (out) {
                    // The usual record sizes as fixed copies, which compile to a
                    // few moves; any other size through the library's copy.
                    if (count == 16) std::memcpy(out + index, data, 16);
                    else if (count == 32) std::memcpy(out + index, data, 32);
                    else std::memcpy(out + index, data, count);
                }
                if (sink) sink->OnData(address, index, data, count);
                if (index + count > result.ImageEnd) result.ImageEnd = index + count;
                next = p + 2ull * count + 13;  // 11 characters of frame and CR LF
                break;
            }
            case RecordType::EndOfFile:
                result.code = 1;
                result.fault = HexFault::None;
                return result;
            case RecordType::ExtendedSegmentAddress:
                esa = static_cast<uint16_t>(data[0] << 8 | data[1]);
                next = p + 17;  // a byte count of 2 is taken for granted
                break;
            case RecordType::ExtendedLinearAddress:
                ela = static_cast<uint16_t>(data[0] << 8 | data[1]);
                next = p + 17;
                break;
            case RecordType::StartSegmentAddress:
            case RecordType::StartLinearAddress:
                next = p + 21;  // a byte count of 4 is taken for granted
                break;
            default:
                return stop(HexFault::UnknownType, recordNo, p);
        }
        // The line end of this record begins after its checksum.
        previousEnd = p + kBodyPos + 2ull * bodyBytes;
        if (next + 2 > n) return stop(HexFault::NoEndRecord, recordNo + 1, std::min(next, n));
        p = next;
    }
}

}  // namespace

HexDecodeResult DecodeHex(std::span<const uint8_t> text, HexImage& image) { return Decode(text, image.data(), nullptr); }

HexDecodeResult ScanHex(std::span<const uint8_t> text, HexRecordSink& sink) { return Decode(text, nullptr, &sink); }

std::string HexFaultReason(const HexDecodeResult& r) {
    const unsigned line = r.faultRecord;
    const unsigned long long at = r.faultOffset;
    switch (r.fault) {
        case HexFault::None: return std::string();
        case HexFault::NoText: return "the file holds no record";
        case HexFault::NoRecordStart:
            return Format("line %u: no record starts at byte %llu (a record begins with ':')", line, at);
        case HexFault::LfLineEnd:
            return Format("line %u: a record must end with CR LF; this file uses LF line ends", line);
        case HexFault::CrLineEnd:
            return Format("line %u: a record must end with CR LF; this file uses CR line ends", line);
        case HexFault::RecordPastText: return Format("line %u: the record is cut off by the end of the file", line);
        case HexFault::BadChecksum: return Format("line %u: the record's checksum does not match", line);
        case HexFault::DataOutsideImage:
            return Format("line %u: the data lies outside the 2 MiB image (addresses 0x00000000-0x001FFFFF and "
                          "0x08000000-0x081FFFFF)",
                          line);
        case HexFault::UnknownType: return Format("line %u: unknown record type", line);
        case HexFault::NoEndRecord: return Format("line %u: the file ends without an end-of-file record", line);
    }
    return std::string();
}

}  // namespace torvane
