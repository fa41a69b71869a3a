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

inline bool IsBlank(uint8_t c) { return c == ' ' || c == '\t'; }

// Two bytes as one 16-bit value in memory order, so CR LF is one compare.
inline uint16_t LoadPair(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
constexpr uint8_t kCrLfBytes[2] = {'\r', '\n'};
inline const uint16_t kCrLf = LoadPair(kCrLfBytes);

// Decodes the `bodyBytes` pairs at `pair` into `record`. The sum of the bytes,
// or kBadPair in the high bits when a character is not a hex digit.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline uint32_t DecodeBody(const uint8_t* pair, uint32_t bodyBytes, uint8_t* record) {
    uint32_t sum = 0;
    uint32_t bad = 0;
    uint32_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= bodyBytes; i += 8) {
        const uint32_t decoded = DecodeSixteen(pair + 2 * i, record + i);
        sum += decoded & 0xFFFF;
        bad |= decoded >> 16;
    }
#endif
    for (; i < bodyBytes; ++i) {
        const uint16_t v = PairAt(pair + 2 * i);
        bad |= v;
        record[i] = static_cast<uint8_t>(v);
        sum += record[i];
    }
    return (bad & kBadPair) ? static_cast<uint32_t>(kBadPair) << 16 : sum;
}

// The one decoding loop. `out` is the image to write (nothing is written when
// null); `sink`, when given, hears of every data record placed.
HexDecodeResult Decode(std::span<const uint8_t> input, uint8_t* out, HexRecordSink* sink) {
    HexDecodeResult result;
    const uint8_t* const text = input.data();
    const uint64_t n = input.size();
    if (text == nullptr) return result;

    // The base address of the records that follow: from the last type 04
    // record (upper 16 bits) or the last type 02 record (segment times 16),
    // whichever came last.
    uint32_t base = 0;
    // The running minimum starts at 0x0FFFFFFF, not at the largest address, as
    // the program has always started it; every address a record can be placed
    // at (below 0x00200000, or from 0x08000000 below 0x08200000) lies below it.
    uint32_t runningMinimum = 0x0FFFFFFF;
    uint8_t record[kRecordBufferSize];

    if (n < 2) return result;

    uint64_t p = 0;
    uint32_t line = 1;
    // The line is passed, not captured, so that the loop keeps it in a register.
    auto stop = [&result](HexFault fault, uint32_t atLine, uint64_t offset) {
        result.fault = fault;
        result.faultLine = atLine;
        result.faultOffset = offset;
        return result;
    };
    // Every record the loop starts on begins with ':': the first is checked
    // here, the others where their line end is found.
    if (text[0] != ':') return stop(HexFault::NoRecordStart, line, 0);
    for (;;) {
        // The byte count must lie inside the text.
        if (p + kBodyPos > n) return stop(HexFault::RecordPastText, line, p);
        const uint16_t countPair = PairAt(text + p + kCountPos);
        if (countPair & kBadPair) {
            // A cut-off count is the end of the text, not a damaged digit.
            return stop(p + kBodyPos + 8 > n ? HexFault::RecordPastText : HexFault::BadDigit, line, p);
        }
        const uint8_t count = static_cast<uint8_t>(countPair);

        // Everything up to and including the checksum must lie inside the text.
        const uint32_t bodyBytes = static_cast<uint32_t>(count) + 4;
        const uint64_t recordEnd = p + kBodyPos + 2ull * bodyBytes;
        if (recordEnd > n) return stop(HexFault::RecordPastText, line, p);

        const uint32_t decoded = DecodeBody(text + p + kBodyPos, bodyBytes, record);
        if (decoded >> 16) return stop(HexFault::BadDigit, line, p);
        if (((decoded + count) & 0xFF) != 0) return stop(HexFault::BadChecksum, line, p);

        const uint8_t* data = record + 3;
        switch (static_cast<RecordType>(record[2])) {
            case RecordType::Data: {
                const uint32_t address = base + (static_cast<uint32_t>(record[0]) << 8 | record[1]);
                const uint32_t index = ImageIndexOf(address);
                if (static_cast<uint64_t>(index) + count > kHexImageSize) {
                    result.faultAddress = address;
                    return stop(HexFault::DataOutsideImage, line, p);
                }
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
                break;
            }
            case RecordType::EndOfFile:
                result.code = 1;
                result.fault = HexFault::None;
                return result;
            case RecordType::ExtendedSegmentAddress:
                if (count != 2) return stop(HexFault::BadAddressRecord, line, p);
                base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 4;
                break;
            case RecordType::ExtendedLinearAddress:
                if (count != 2) return stop(HexFault::BadAddressRecord, line, p);
                base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 16;
                break;
            case RecordType::StartSegmentAddress:
            case RecordType::StartLinearAddress:
                break;  // where a program starts means nothing to a flash image
            default:
                return stop(HexFault::UnknownType, line, p);
        }

        // The next record: straight after one line end in the usual files, or
        // after any run of blanks and line ends that holds at least one.
        uint64_t q = recordEnd;
        if (q + 2 < n && LoadPair(text + q) == kCrLf && text[q + 2] == ':') [[likely]] {
            p = q + 2;
            ++line;
            continue;
        }
        if (q + 1 < n && text[q] == '\n' && text[q + 1] == ':') [[likely]] {
            p = q + 1;
            ++line;
            continue;
        }
        bool lineEnded = false;
        uint64_t lineStart = q;  // where what follows the last line end begins
        while (q < n) {
            const uint8_t c = text[q];
            if (IsBlank(c)) {
                ++q;
            } else if (c == '\n' || c == '\r') {
                ++q;
                if (c == '\r' && q < n && text[q] == '\n') ++q;
                ++line;
                lineEnded = true;
                lineStart = q;
            } else {
                break;
            }
        }
        if (q == n) return stop(HexFault::NoEndRecord, line, n);
        // A record must start its line: not after blanks, nor behind another record.
        if (!lineEnded || lineStart != q || text[q] != ':')
            return stop(HexFault::NoRecordStart, line, lineEnded ? lineStart : recordEnd);
        p = q;
    }
}

}  // namespace

bool StartsWithHexRecord(std::span<const uint8_t> bytes) {
    const uint64_t n = bytes.size();
    const uint8_t* text = bytes.data();
    if (n < 11 || text == nullptr || text[0] != ':') return false;
    const uint16_t countPair = PairAt(text + kCountPos);
    if (countPair & kBadPair) return false;
    const uint32_t bodyBytes = static_cast<uint32_t>(countPair) + 4;
    const uint64_t recordEnd = kBodyPos + 2ull * bodyBytes;
    if (recordEnd > n) return false;
    uint8_t record[kRecordBufferSize];
    const uint32_t sum = DecodeBody(text + kBodyPos, bodyBytes, record);
    if ((sum >> 16) || ((sum + countPair) & 0xFF) != 0 || record[2] > 0x05) return false;
    // The record must be all of its line.
    uint64_t q = recordEnd;
    while (q < n && IsBlank(text[q])) ++q;
    return q == n || text[q] == '\r' || text[q] == '\n';
}

HexDecodeResult DecodeHex(std::span<const uint8_t> text, HexImage& image) { return Decode(text, image.data(), nullptr); }

HexDecodeResult ScanHex(std::span<const uint8_t> text, HexRecordSink& sink) { return Decode(text, nullptr, &sink); }

std::string HexFaultReason(const HexDecodeResult& r) {
    const unsigned line = r.faultLine;
    const unsigned long long at = r.faultOffset;
    switch (r.fault) {
        case HexFault::None: return std::string();
        case HexFault::NoText: return "the file holds no record";
        case HexFault::NoRecordStart:
            return Format("line %u: no record starts at byte %llu (a record begins its line with ':')", line, at);
        case HexFault::RecordPastText: return Format("line %u: the record is cut off by the end of the file", line);
        case HexFault::BadDigit: return Format("line %u: the record holds a character that is not a hex digit", line);
        case HexFault::BadChecksum: return Format("line %u: the record's checksum does not match", line);
        case HexFault::BadAddressRecord:
            return Format("line %u: an extended address record must hold two bytes", line);
        case HexFault::DataOutsideImage:
            return Format("line %u: the data at 0x%08X lies outside the 2 MiB image (addresses "
                          "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)",
                          line, r.faultAddress);
        case HexFault::UnknownType: return Format("line %u: unknown record type", line);
        case HexFault::NoEndRecord: return Format("line %u: the file ends without an end-of-file record", line);
    }
    return std::string();
}

}  // namespace torvane
