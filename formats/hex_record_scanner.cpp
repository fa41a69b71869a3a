#include "formats/hex_record_scanner.h"

#include "platform/format.h"

namespace torvane {

bool StartsWithHexRecord(std::span<const uint8_t> bytes) {
    using namespace hex_scan;
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

std::string HexScanReason(HexFault fault, uint32_t line, uint64_t offset) {
    const unsigned at = line;
    const unsigned long long byte = offset;
    switch (fault) {
        case HexFault::None: return std::string();
        case HexFault::NoText: return "the file holds no record";
        case HexFault::NoRecordStart:
            return Format("line %u: no record starts at byte %llu (a record begins its line with ':')", at, byte);
        case HexFault::RecordPastText: return Format("line %u: the record is cut off by the end of the file", at);
        case HexFault::BadDigit: return Format("line %u: the record holds a character that is not a hex digit", at);
        case HexFault::BadChecksum: return Format("line %u: the record's checksum does not match", at);
        case HexFault::BadAddressRecord: return Format("line %u: an extended address record must hold two bytes", at);
        case HexFault::DataOutsideImage: return Format("line %u: the record's data has no place", at);
        case HexFault::UnknownType: return Format("line %u: unknown record type", at);
        case HexFault::NoEndRecord: return Format("line %u: the file ends without an end-of-file record", at);
    }
    return std::string();
}

}  // namespace torvane
