#include "core/decode_hex.h"

#include <algorithm>
#include <cstring>

#include "formats/image_formats.h"

#include "platform/format.h"

namespace torvane {
namespace {

// The handler of the window's decoding: each data record goes to its place in
// the 2 MiB image (`out`, nothing written when null) and to `sink`, when given.
struct ImageHandler {
    HexDecodeResult& result;
    uint8_t* out;
    HexRecordSink* sink;
    // The running minimum starts at 0x0FFFFFFF, not at the largest address, as
    // the program has always started it; every address a record can be placed
    // at (below 0x00200000, or from 0x08000000 below 0x08200000) lies below it.
    uint32_t runningMinimum = 0x0FFFFFFF;

    bool Data(uint32_t address, const uint8_t* data, uint8_t count) {
        const uint32_t index = ImageIndexOf(address);
        if (static_cast<uint64_t>(index) + count > kHexImageSize) {
            result.faultAddress = address;
            return false;
        }
        if (address < runningMinimum) {
            runningMinimum = address;
            result.LowestAddress = address;
        }
        result.foundData = true;
        if (out) {
            // The usual record sizes as fixed copies, which compile to a few
            // moves; any other size through the library's copy.
            if (count == 16) std::memcpy(out + index, data, 16);
            else if (count == 32) std::memcpy(out + index, data, 32);
            else std::memcpy(out + index, data, count);
        }
        if (sink) sink->OnData(address, index, data, count);
        if (index + count > result.ImageEnd) result.ImageEnd = index + count;
        return true;
    }
    // Kept for a HEX or S-record output of the merge; the image ignores it.
    void Start(RecordType type, const uint8_t* data, uint8_t count) {
        if (count != 4) return;
        const uint32_t high = static_cast<uint32_t>(data[0] << 8 | data[1]);
        const uint32_t low = static_cast<uint32_t>(data[2] << 8 | data[3]);
        result.start = type == RecordType::StartLinearAddress ? (high << 16 | low) : (high << 4) + low;
    }
};

HexDecodeResult Decode(std::span<const uint8_t> input, uint8_t* out, HexRecordSink* sink) {
    HexDecodeResult result;
    ImageHandler handler{result, out, sink};
    const HexScanStop stop = ScanHexRecords(input, handler);
    result.fault = stop.fault;
    if (stop.fault == HexFault::None) {
        result.code = 1;
    } else if (stop.fault != HexFault::NoText) {
        result.faultLine = stop.line;
        result.faultOffset = stop.offset;
    }
    return result;
}

}  // namespace

HexDecodeResult DecodeHex(std::span<const uint8_t> text, HexImage& image) { return Decode(text, image.data(), nullptr); }

HexDecodeResult ScanHex(std::span<const uint8_t> text, HexRecordSink& sink) { return Decode(text, nullptr, &sink); }

namespace {

HexFault HexFaultOf(ReadFault fault) {
    switch (fault) {
        case ReadFault::None: return HexFault::None;
        case ReadFault::CutOff: return HexFault::RecordPastText;
        case ReadFault::BadDigit: return HexFault::BadDigit;
        case ReadFault::BadChecksum: return HexFault::BadChecksum;
        case ReadFault::BadRecord:
        case ReadFault::BadCount: return HexFault::UnknownType;
        case ReadFault::OutsideSpace: return HexFault::DataOutsideImage;
        case ReadFault::NoEnd: return HexFault::NoEndRecord;
        default: return HexFault::NoRecordStart;
    }
}

HexDecodeResult PlaceImage(const std::string& name, std::span<const uint8_t> bytes, uint8_t* out,
                           HexRecordSink* sink) {
    const ImageFormat format = FormatOfName(name);
    if (format != ImageFormat::SRecord && format != ImageFormat::Elf) return Decode(bytes, out, sink);
    const ImageRead read = ReadImage(format, bytes);
    HexDecodeResult result;
    ImageHandler handler{result, out, sink};
    for (const ImageSegment& s : read.image.segments()) {
        // In pieces of at most 255 bytes, as records are: the sink takes a byte count.
        for (uint64_t i = 0; i < s.bytes.size(); i += 255) {
            const uint8_t count = static_cast<uint8_t>(std::min<uint64_t>(255, s.bytes.size() - i));
            const uint32_t address = static_cast<uint32_t>(s.address + i);
            if (!handler.Data(address, s.bytes.data() + i, count)) {
                result.fault = HexFault::DataOutsideImage;
                result.reason = Format("the data at 0x%08X lies outside the 2 MiB image (addresses "
                                       "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)",
                                       address);
                return result;
            }
        }
    }
    result.start = read.image.start;
    result.fault = HexFaultOf(read.fault);
    result.reason = read.reason;
    result.faultLine = read.line;
    result.faultOffset = read.offset;
    result.code = read.ok() ? 1 : 0;
    return result;
}

}  // namespace

HexDecodeResult DecodeRowFile(const std::string& name, std::span<const uint8_t> bytes, HexImage& image) {
    return PlaceImage(name, bytes, image.data(), nullptr);
}

HexDecodeResult ScanRowFile(const std::string& name, std::span<const uint8_t> bytes, HexRecordSink& sink) {
    return PlaceImage(name, bytes, nullptr, &sink);
}

std::string HexFaultReason(const HexDecodeResult& r) {
    if (!r.reason.empty()) return r.reason;
    if (r.fault == HexFault::DataOutsideImage)
        return Format("line %u: the data at 0x%08X lies outside the 2 MiB image (addresses "
                      "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)",
                      static_cast<unsigned>(r.faultLine), r.faultAddress);
    return HexScanReason(r.fault, r.faultLine, r.faultOffset);
}

}  // namespace torvane
