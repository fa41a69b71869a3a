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

HexScanStop ScanAfterEnd(const uint8_t* text, uint64_t n, uint64_t recordEnd, uint32_t line, uint64_t endRecord) {
    using hex_scan::IsBlank;
    using hex_scan::kCtrlZ;
    HexScanStop stop;
    stop.fault = HexFault::None;
    stop.line = line;
    stop.offset = endRecord;
    uint64_t q = recordEnd;
    // The rest of the end record's own line: blanks and Ctrl-Z only.
    while (q < n && (IsBlank(text[q]) || text[q] == kCtrlZ)) ++q;
    if (q < n && text[q] != '\r' && text[q] != '\n') {
        stop.fault = text[q] == ':' ? HexFault::RecordAfterEnd : HexFault::NoRecordStart;
        stop.offset = q;
        return stop;
    }
    // The lines after it.
    while (q < n) {
        const uint8_t c = text[q];
        if (c == '\r' || c == '\n') {
            ++q;
            if (c == '\r' && q < n && text[q] == '\n') ++q;
            ++line;
            continue;
        }
        const uint64_t lineStart = q;
        while (q < n && (IsBlank(text[q]) || text[q] == kCtrlZ)) ++q;
        if (q == n || text[q] == '\r' || text[q] == '\n') continue;
        if (text[q] == ':') {
            stop.fault = HexFault::RecordAfterEnd;
            stop.line = line;
            stop.offset = lineStart;
            return stop;
        }
        if (stop.textAfterEnd == 0) stop.textAfterEnd = line;
        while (q < n && text[q] != '\r' && text[q] != '\n') ++q;
    }
    return stop;
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
        case HexFault::BadEndRecord:
            return Format("line %u: an end-of-file record holds no data (its byte count must be 00)", at);
        case HexFault::BadStartRecord: return Format("line %u: a start address record must hold four bytes", at);
        case HexFault::RecordAfterEnd:
            return Format("line %u: a record follows the end-of-file record, and records after it are not read", at);
        case HexFault::TwoValues: return Format("line %u: the record gives an address a second, other value", at);
        case HexFault::NoData: return "the file contains no data";
        case HexFault::AddressNotZero:
            return Format("line %u: the address field of an address or start record must be 0000", at);
    }
    return std::string();
}

}  // namespace torvane
