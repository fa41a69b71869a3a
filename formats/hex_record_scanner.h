#pragma once

// The one Intel HEX record scanner. DecodeHex (the window's 2 MiB image) and the
// sparse reader of formats/intel_hex.h both run it, each with its own handler
// for the data records, so there is one set of rules for what a HEX text is.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace torvane {

// Intel HEX record types.
enum class RecordType : uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    StartSegmentAddress = 0x03,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

// Why a scan stopped before an end-of-file record.
enum class HexFault : uint8_t {
    None,              // an end-of-file record was reached
    NoText,            // fewer than two characters
    NoRecordStart,     // no ':' where a record must start: text before the first record,
                       // something other than blanks and line ends between two records
    RecordPastText,    // a record runs past the end of the text
    BadDigit,          // a character of the record is not a hex digit
    BadChecksum,       // the record's bytes do not sum to 0
    BadAddressRecord,  // an extended address record (02, 04) that does not hold two bytes
    DataOutsideImage,  // the handler refused a data record's place
    UnknownType,       // a record type of 06 or above
    NoEndRecord,       // the text ended without an end-of-file record
    BadEndRecord,      // an end-of-file record that holds data
    BadStartRecord,    // a start address record (03, 05) that does not hold four bytes
    RecordAfterEnd,    // a record after the end-of-file record, which would not be read
    TwoValues,         // the handler found a byte given another value before
    AddressNotZero,    // an address or start record (02 to 05) whose address field is not 0000
    NoData,            // a whole file without a single data byte
};

// Where and why a scan stopped: the line (1 for the first) and the byte offset
// of the record, or of the text that is not one.
struct HexScanStop {
    HexFault fault = HexFault::NoText;
    uint32_t line = 0;
    uint64_t offset = 0;
    // The first line after the end-of-file record that holds text other than
    // blanks and Ctrl-Z (0x1A); 0 when none. Such text is not read.
    uint32_t textAfterEnd = 0;
};

// The English reason of a fault other than DataOutsideImage and TwoValues,
// whose words depend on what the handler refused ("line 2: the record's
// checksum does not match").
std::string HexScanReason(HexFault fault, uint32_t line, uint64_t offset);

namespace hex_scan {

inline constexpr uint8_t kNotHex = 0xFF;

constexpr std::array<uint8_t, 256> MakeHexTable() {
    std::array<uint8_t, 256> t{};
    for (auto& v : t) v = kNotHex;
    for (int c = '0'; c <= '9'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) t[static_cast<size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
    return t;
}

inline constexpr std::array<uint8_t, 256> kHexTable = MakeHexTable();

// A pair with a character that is not a hex digit.
inline constexpr uint16_t kBadPair = 0x100;

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
inline constexpr uint32_t kCountPos = 1;
inline constexpr uint32_t kBodyPos = 3;  // address high, address low, type, data, checksum
// The record buffer holds address (2), type (1), up to 255 data bytes and the
// checksum: 259 bytes, so byte counts up to 255 decode without overrun.
inline constexpr size_t kRecordBufferSize = 2 + 1 + 255 + 1;

inline bool IsBlank(uint8_t c) { return c == ' ' || c == '\t'; }
// Ctrl-Z, which old editors put at the end of a text file.
inline constexpr uint8_t kCtrlZ = 0x1A;

// Two bytes as one 16-bit value in memory order, so CR LF is one compare.
inline uint16_t LoadPair(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline constexpr uint16_t kCrLf = std::endian::native == std::endian::little ? 0x0A0D : 0x0D0A;

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

}  // namespace hex_scan

// What follows the end-of-file record at `endRecord` (on `line`), whose text
// ends at `recordEnd`: the stop of a whole file, or RecordAfterEnd for a
// record behind it (a line whose first character other than blanks is ':'),
// or NoRecordStart for text on the end record's own line.
HexScanStop ScanAfterEnd(const uint8_t* text, uint64_t n, uint64_t recordEnd, uint32_t line, uint64_t endRecord);

// Scans the Intel HEX text record by record. Records are separated by line ends
// of any kind (CR LF, LF, CR), with blanks or tabs allowed before a line end and
// empty lines between records; the last record needs no line end. Anything else
// before, between or inside records stops the scan. Type 02 and 04 records each
// set the base of the records after them, replacing the other's.
//
// An end-of-file record holds no data, a start record (03, 05) four bytes; the
// address field of a record of type 02 to 05 is 0000.
// After the end-of-file record only blanks, line ends and Ctrl-Z (0x1A) are
// expected: a record there (a line that starts with ':') is a fault, as it
// would not be read; other text is not read, and its line is reported.
//
// A type 02 base puts the records in a 64 KiB segment: a record that runs past
// the segment's end goes on at its start, as in the processors that segment
// addressing came from. Under a type 04 base, or none, addresses run on. The
// last of the records 02 to 05 chooses: 02 and 03 segments, 04 and 05 linear.
//
// The handler is told of each data record with bytes, and each start record:
//   HexFault Data(uint32_t address, const uint8_t* data, uint8_t count, uint32_t line)
//       address = base + the record's own; a fault other than None stops the scan
//   void Start(RecordType type, const uint8_t* data)  (four bytes)
// and, where it has one, of each record's offset before the record is read,
// as the scan needs no byte before it any more:
//   void Passed(uint64_t offset)
// A record that would run past the text is a fault and reaches no handler.
template <class Handler>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline HexScanStop ScanHexRecords(std::span<const uint8_t> input, Handler& handler) {
    using namespace hex_scan;
    HexScanStop stop;
    const uint8_t* const text = input.data();
    const uint64_t n = input.size();
    if (text == nullptr || n < 2) return stop;

    // The base address of the records that follow: from the last type 04
    // record (upper 16 bits) or the last type 02 record (segment times 16),
    // whichever came last.
    uint32_t base = 0;
    bool segmented = false;  // the last of the records 02 to 05 was 02 or 03
    uint8_t record[kRecordBufferSize];

    uint64_t p = 0;
    uint32_t line = 1;
    // The line is passed, not captured, so that the loop keeps it in a register.
    auto fail = [&stop](HexFault fault, uint32_t atLine, uint64_t offset) {
        stop.fault = fault;
        stop.line = atLine;
        stop.offset = offset;
        return stop;
    };
    // Every record the loop starts on begins with ':': the first is checked
    // here, the others where their line end is found.
    if (text[0] != ':') return fail(HexFault::NoRecordStart, line, 0);
    for (;;) {
        if constexpr (requires { handler.Passed(p); }) handler.Passed(p);
        // The byte count must lie inside the text.
        if (p + kBodyPos > n) return fail(HexFault::RecordPastText, line, p);
        const uint16_t countPair = PairAt(text + p + kCountPos);
        if (countPair & kBadPair) {
            // A cut-off count is the end of the text, not a damaged digit.
            return fail(p + kBodyPos + 8 > n ? HexFault::RecordPastText : HexFault::BadDigit, line, p);
        }
        const uint8_t count = static_cast<uint8_t>(countPair);

        // Everything up to and including the checksum must lie inside the text.
        const uint32_t bodyBytes = static_cast<uint32_t>(count) + 4;
        const uint64_t recordEnd = p + kBodyPos + 2ull * bodyBytes;
        if (recordEnd > n) return fail(HexFault::RecordPastText, line, p);

        const uint32_t decoded = DecodeBody(text + p + kBodyPos, bodyBytes, record);
        if (decoded >> 16) return fail(HexFault::BadDigit, line, p);
        if (((decoded + count) & 0xFF) != 0) return fail(HexFault::BadChecksum, line, p);

        const uint8_t* data = record + 3;
        switch (static_cast<RecordType>(record[2])) {
            case RecordType::Data: {
                const uint32_t offset = static_cast<uint32_t>(record[0]) << 8 | record[1];
                if (count == 0) break;  // no bytes: nothing to place
                if (segmented && offset + count > 0x10000) [[unlikely]] {
                    // The part past the segment's end wraps to its start.
                    const uint32_t first = 0x10000 - offset;
                    HexFault f = handler.Data(base + offset, data, static_cast<uint8_t>(first), line);
                    if (f == HexFault::None)
                        f = handler.Data(base, data + first, static_cast<uint8_t>(count - first), line);
                    if (f != HexFault::None) return fail(f, line, p);
                    break;
                }
                const HexFault f = handler.Data(base + offset, data, count, line);
                if (f != HexFault::None) [[unlikely]] return fail(f, line, p);
                break;
            }
            case RecordType::EndOfFile:
                if (count != 0) return fail(HexFault::BadEndRecord, line, p);
                return ScanAfterEnd(text, n, recordEnd, line, p);
            case RecordType::ExtendedSegmentAddress:
                if (count != 2) return fail(HexFault::BadAddressRecord, line, p);
                if (record[0] | record[1]) return fail(HexFault::AddressNotZero, line, p);
                base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 4;
                segmented = true;
                break;
            case RecordType::ExtendedLinearAddress:
                if (count != 2) return fail(HexFault::BadAddressRecord, line, p);
                if (record[0] | record[1]) return fail(HexFault::AddressNotZero, line, p);
                base = static_cast<uint32_t>(data[0] << 8 | data[1]) << 16;
                segmented = false;
                break;
            case RecordType::StartSegmentAddress:
            case RecordType::StartLinearAddress:
                if (count != 4) return fail(HexFault::BadStartRecord, line, p);
                if (record[0] | record[1]) return fail(HexFault::AddressNotZero, line, p);
                // A start record says which addressing the file uses, as for
                // srec_cat: 03 segments, 05 linear, the base kept.
                segmented = record[2] == static_cast<uint8_t>(RecordType::StartSegmentAddress);
                handler.Start(static_cast<RecordType>(record[2]), data);
                break;
            default:
                return fail(HexFault::UnknownType, line, p);
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
        if (q == n) return fail(HexFault::NoEndRecord, line, n);
        // A record must start its line: not after blanks, nor behind another record.
        if (!lineEnded || lineStart != q || text[q] != ':')
            return fail(HexFault::NoRecordStart, line, lineEnded ? lineStart : recordEnd);
        p = q;
    }
}

// Whether the bytes begin as an Intel HEX text does: a ':' at the start and a
// whole, valid first record on the first line. A file named as a BIN file that
// passes this is most likely a HEX file under the wrong name.
bool StartsWithHexRecord(std::span<const uint8_t> bytes);
// Enough of a file's start for StartsWithHexRecord: the longest record (255
// data bytes) with its line end.
inline constexpr size_t kHexLineProbe = 11 + 2 * 255 + 2;

}  // namespace torvane
