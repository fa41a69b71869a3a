#include "formats/intel_hex.h"

#include <algorithm>

#include "formats/hex_record_scanner.h"
#include "platform/format.h"

namespace torvane {
namespace {

struct SparseHandler {
    SparseImage& image;
    uint32_t faultAddress = 0;

    bool Data(uint32_t address, const uint8_t* data, uint8_t count) {
        if (!image.Write(address, std::span<const uint8_t>(data, count))) {
            faultAddress = address;
            return false;
        }
        return true;
    }
    void Start(RecordType type, const uint8_t* data, uint8_t count) {
        if (count != 4) return;  // a start record of another length says nothing usable
        const uint32_t high = static_cast<uint32_t>(data[0] << 8 | data[1]);
        const uint32_t low = static_cast<uint32_t>(data[2] << 8 | data[3]);
        image.start = type == RecordType::StartLinearAddress ? (high << 16 | low) : (high << 4) + low;
    }
};

ReadFault FaultOf(HexFault fault) {
    switch (fault) {
        case HexFault::None: return ReadFault::None;
        case HexFault::NoText:
        case HexFault::NoRecordStart: return ReadFault::Syntax;
        case HexFault::RecordPastText: return ReadFault::CutOff;
        case HexFault::BadDigit: return ReadFault::BadDigit;
        case HexFault::BadChecksum: return ReadFault::BadChecksum;
        case HexFault::BadAddressRecord:
        case HexFault::UnknownType: return ReadFault::BadRecord;
        case HexFault::DataOutsideImage: return ReadFault::OutsideSpace;
        case HexFault::NoEndRecord: return ReadFault::NoEnd;
    }
    return ReadFault::Syntax;
}

constexpr char kDigits[] = "0123456789ABCDEF";

// Appends one record: ':', count, address, type, data, checksum, CR LF.
void AppendRecord(std::string& out, uint8_t type, uint16_t address, const uint8_t* data, size_t count) {
    const size_t at = out.size();
    out.resize(at + 11 + 2 * count + 2);
    char* p = out.data() + at;
    *p++ = ':';
    uint32_t sum = 0;
    auto put = [&p, &sum](uint8_t b) {
        *p++ = kDigits[b >> 4];
        *p++ = kDigits[b & 15];
        sum += b;
    };
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(address >> 8));
    put(static_cast<uint8_t>(address));
    put(type);
    for (size_t i = 0; i < count; ++i) put(data[i]);
    put(static_cast<uint8_t>(0x100 - (sum & 0xFF)));
    *p++ = '\r';
    *p = '\n';
}

}  // namespace

ImageRead ReadIntelHex(std::span<const uint8_t> text) {
    ImageRead read;
    SparseHandler handler{read.image};
    const HexScanStop stop = ScanHexRecords(text, handler);
    read.fault = FaultOf(stop.fault);
    if (stop.fault == HexFault::None) return read;
    read.line = stop.line;
    read.offset = stop.offset;
    read.reason = stop.fault == HexFault::DataOutsideImage
                      ? Format("line %u: the data at 0x%08X runs past the end of the 32-bit address space",
                               static_cast<unsigned>(stop.line), handler.faultAddress)
                      : HexScanReason(stop.fault, stop.line, stop.offset);
    return read;
}

std::string WriteIntelHex(const SparseImage& image, uint32_t recordSize) {
    std::string out;
    // The whole text at once: ":", count, address, type, data, checksum, CR LF
    // a record, with a type 04 record at each 64 KiB.
    uint64_t records = 4;
    for (const ImageSegment& segment : image.segments())
        records += (segment.bytes.size() + recordSize - 1) / recordSize + (segment.bytes.size() >> 16) + 2;
    out.reserve(static_cast<size_t>(image.dataSize() * 2 + records * 17 + 16));
    uint32_t upper = 0;  // the upper half the records now stand in
    for (const ImageSegment& segment : image.segments()) {
        const uint8_t* data = segment.bytes.data();
        uint64_t where = segment.address;
        uint64_t left = segment.bytes.size();
        while (left > 0) {
            const uint32_t high = static_cast<uint32_t>(where >> 16);
            if (high != upper) {
                const uint8_t value[2] = {static_cast<uint8_t>(high >> 8), static_cast<uint8_t>(high)};
                AppendRecord(out, 0x04, 0, value, 2);
                upper = high;
            }
            const uint32_t low = static_cast<uint32_t>(where & 0xFFFF);
            uint64_t now = std::min<uint64_t>(left, recordSize);
            if (low + now > 0x10000) now = 0x10000 - low;  // no record crosses 64 KiB
            AppendRecord(out, 0x00, static_cast<uint16_t>(low), data, static_cast<size_t>(now));
            data += now;
            where += now;
            left -= now;
        }
    }
    if (image.start) {
        const uint32_t s = *image.start;
        const uint8_t value[4] = {static_cast<uint8_t>(s >> 24), static_cast<uint8_t>(s >> 16),
                                  static_cast<uint8_t>(s >> 8), static_cast<uint8_t>(s)};
        AppendRecord(out, 0x05, 0, value, 4);
    }
    AppendRecord(out, 0x01, 0, nullptr, 0);
    return out;
}

}  // namespace torvane
