#include "formats/intel_hex.h"

#include <algorithm>
#include <cstring>

#include "formats/hex_record_scanner.h"
#include "formats/read_progress.h"
#include "formats/record_text.h"
#include "platform/format.h"

namespace torvane {
namespace {

struct SparseHandler {
    SparseImage& image;
    ProgressReports reports;
    uint32_t faultAddress = 0;
    SparseImage::Clash clash{};
    uint32_t repeatedLine = 0;  // the first record that repeats bytes with their own values
    uint32_t repeatedAddress = 0;

    HexFault Data(uint32_t address, const uint8_t* data, uint8_t count, uint32_t line) {
        switch (image.WriteNew(address, std::span<const uint8_t>(data, count), clash)) {
            case SparseImage::NewWrite::Written: return HexFault::None;
            case SparseImage::NewWrite::Repeated:
                if (repeatedLine == 0) {
                    repeatedLine = line;
                    repeatedAddress = clash.address;
                }
                return HexFault::None;
            case SparseImage::NewWrite::OutsideSpace: faultAddress = address; return HexFault::DataOutsideImage;
            case SparseImage::NewWrite::OtherValue: return HexFault::TwoValues;
        }
        return HexFault::None;
    }
    void Passed(uint64_t offset) { reports.Passed(offset); }
    void Start(RecordType type, const uint8_t* data) {
        const uint32_t high = static_cast<uint32_t>(data[0] << 8 | data[1]);
        const uint32_t low = static_cast<uint32_t>(data[2] << 8 | data[3]);
        image.start = type == RecordType::StartLinearAddress ? (high << 16 | low) : (high << 4) + low;
    }
};

// Finds the first record that gave `address` a byte: its line. Run only for
// the reason of a fault.
struct RecordFinder {
    uint32_t address;
    ProgressReports reports;
    uint32_t line = 0;
    void Passed(uint64_t offset) { reports.Passed(offset); }
    HexFault Data(uint32_t at, const uint8_t*, uint8_t count, uint32_t recordLine) {
        if (address < at || address - at >= count) return HexFault::None;
        line = recordLine;
        return HexFault::TwoValues;
    }
    void Start(RecordType, const uint8_t*) {}
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
        case HexFault::BadEndRecord:
        case HexFault::BadStartRecord:
        case HexFault::AddressNotZero: return ReadFault::BadRecord;
        case HexFault::RecordAfterEnd: return ReadFault::AfterEnd;
        case HexFault::TwoValues: return ReadFault::TwoValues;
        case HexFault::NoData: return ReadFault::NoData;
    }
    return ReadFault::Syntax;
}

// Appends one record: ':', count, address, type, data, checksum, CR LF.
void AppendRecord(record_text::RecordText& out, uint8_t type, uint16_t address, const uint8_t* data, size_t count) {
    char* p = out.Room(11 + 2 * count + 2);
    *p++ = ':';
    uint32_t sum = 0;
    auto put = [&p, &sum](uint8_t b) {
        std::memcpy(p, record_text::kHexPairs[b].data(), 2);
        p += 2;
        sum += b;
    };
    put(static_cast<uint8_t>(count));
    put(static_cast<uint8_t>(address >> 8));
    put(static_cast<uint8_t>(address));
    put(type);
    sum += record_text::PutHexBytes(p, data, count);
    put(static_cast<uint8_t>(0x100 - (sum & 0xFF)));
    *p++ = '\r';
    *p++ = '\n';
    out.Used(p);
}

}  // namespace

ImageRead ReadIntelHex(std::span<const uint8_t> text, HexScanStop* where, const ReadProgress& progress) {
    ImageRead read;
    SparseHandler handler{read.image, ProgressReports(progress)};
    HexScanStop stop = ScanHexRecords(text, handler);
    if (stop.fault == HexFault::None && read.image.empty()) stop.fault = HexFault::NoData;
    if (where) *where = stop;
    if (handler.repeatedLine != 0)
        read.warnings.push_back(Format("line %u: the record gives 0x%08X the value it was given before",
                                       static_cast<unsigned>(handler.repeatedLine), handler.repeatedAddress));
    if (stop.textAfterEnd != 0)
        read.warnings.push_back(Format("line %u: text after the end-of-file record is not read",
                                       static_cast<unsigned>(stop.textAfterEnd)));
    read.fault = FaultOf(stop.fault);
    if (stop.fault == HexFault::None) return read;
    read.line = stop.line;
    read.offset = stop.offset;
    if (stop.fault == HexFault::DataOutsideImage) {
        read.reason = Format("line %u: the data at 0x%08X runs past the end of the 32-bit address space",
                             static_cast<unsigned>(stop.line), handler.faultAddress);
    } else if (stop.fault == HexFault::TwoValues) {
        RecordFinder finder{handler.clash.address, ProgressReports(progress)};
        ScanHexRecords(text, finder);
        read.reason = Format("line %u: 0x%08X is given two values, 0x%02X on line %u and 0x%02X on line %u",
                             static_cast<unsigned>(stop.line), handler.clash.address, handler.clash.held,
                             static_cast<unsigned>(finder.line), handler.clash.given, static_cast<unsigned>(stop.line));
    } else {
        read.reason = HexScanReason(stop.fault, stop.line, stop.offset);
    }
    return read;
}

bool WriteIntelHex(const SparseImage& image, uint32_t recordSize, const ByteSink& sink) {
    record_text::RecordText out(sink);
    uint32_t upper = 0;  // the upper half the records now stand in
    for (const ImageSegment& segment : image.segments()) {
        const uint8_t* data = segment.bytes.data();
        uint64_t where = segment.address;
        uint64_t left = segment.bytes.size();
        while (left > 0 && out.ok()) {
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
    return out.Finish();
}

std::string WriteIntelHex(const SparseImage& image, uint32_t recordSize) {
    std::string out;
    // Room for the whole text at once: ":", count, address, type, data,
    // checksum, CR LF a record, with a type 04 record at each 64 KiB.
    uint64_t records = 4;
    for (const ImageSegment& segment : image.segments())
        records += (segment.bytes.size() + recordSize - 1) / recordSize + (segment.bytes.size() >> 16) + 2;
    out.reserve(static_cast<size_t>(image.dataSize() * 2 + records * 17 + 16));
    WriteIntelHex(image, recordSize, record_text::AppendTo(out));
    return out;
}

}  // namespace torvane
