#include "core/decode_hex.h"

#include <cstring>

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
    // Where a program starts means nothing to a flash image.
    void Start(RecordType, const uint8_t*, uint8_t) {}
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

std::string HexFaultReason(const HexDecodeResult& r) {
    if (r.fault == HexFault::DataOutsideImage)
        return Format("line %u: the data at 0x%08X lies outside the 2 MiB image (addresses "
                      "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)",
                      static_cast<unsigned>(r.faultLine), r.faultAddress);
    return HexScanReason(r.fault, r.faultLine, r.faultOffset);
}

}  // namespace torvane
