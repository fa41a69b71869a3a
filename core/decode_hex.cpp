#include "core/decode_hex.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "formats/image_formats.h"

#include "platform/format.h"

namespace torvane {
namespace {

// The other absolute address that lands on the same image index.
uint32_t AliasOf(uint32_t address) { return address < kFlashBase ? address + kFlashBase : address - kFlashBase; }

// The handler of the window's decoding: each data record goes to its place in
// the 2 MiB image and to `sink`, when given.
struct ImageHandler {
    HexDecodeResult& result;
    uint8_t* out;
    HexRecordSink* sink;
    // The running minimum starts at 0x0FFFFFFF, not at the largest address, as
    // the program has always started it; every address a record can be placed
    // at (below 0x00200000, or from 0x08000000 below 0x08200000) lies below it.
    uint32_t runningMinimum = 0x0FFFFFFF;
    // The image indexes written, for a record that lands below the highest one
    // written so far (rare: records nearly always ascend). Ascending records
    // only extend the run [runFrom, runTo) or start a new one after it (the
    // earlier runs kept in `runs`); the first record below runTo turns them
    // into the bitmap `written`, kept from then on, and runTo into
    // kBitmapMode, which no index reaches: every record then comes to
    // CheckPlace.
    static constexpr uint32_t kBitmapMode = 0xFFFFFFFF;
    uint32_t runFrom = 0;
    uint32_t runTo = 0;
    std::vector<std::pair<uint32_t, uint32_t>> runs{};
    std::vector<uint64_t> written{};
    bool repeated = false;  // a record gave bytes their own value again
    uint8_t earlierValue = 0;
    uint8_t laterValue = 0;

    // Whether the record may be placed: no byte of it already holds another
    // value. Out of line: the ascending records never come here.
#if defined(__GNUC__)
    __attribute__((noinline))
#endif
    bool CheckPlace(uint32_t address, uint32_t index, const uint8_t* data, uint8_t count, uint32_t line) {
        if (runTo != kBitmapMode) {
            written.assign(kHexImageSize / 64, 0);
            runs.emplace_back(runFrom, runTo);
            runTo = kBitmapMode;
            for (const auto& [from, to] : runs)
                for (uint32_t i = from; i < to; ++i) written[i >> 6] |= uint64_t{1} << (i & 63);
            runs.clear();
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t at = index + i;
            if (!(written[at >> 6] >> (at & 63) & 1)) continue;
            if (out[at] != data[i]) {
                result.faultAddress = address + i;
                earlierValue = out[at];
                laterValue = data[i];
                return false;
            }
            if (!repeated) {
                repeated = true;
                result.warnings.push_back(
                    Format("line %u: the record gives 0x%08X the value it was given before", line, address + i));
            }
        }
        for (uint32_t i = 0; i < count; ++i) written[(index + i) >> 6] |= uint64_t{1} << ((index + i) & 63);
        return true;
    }

#if defined(__GNUC__)
    __attribute__((always_inline))
#endif
    HexFault Data(uint32_t address, const uint8_t* data, uint8_t count, uint32_t line) {
        const uint32_t index = ImageIndexOf(address);
        if (static_cast<uint64_t>(index) + count > kHexImageSize) [[unlikely]] {
            result.faultAddress = address;
            return HexFault::DataOutsideImage;
        }
        if (index == runTo) [[likely]] {
            runTo = index + count;
        } else if (index > runTo) {
            if (runTo != runFrom) runs.emplace_back(runFrom, runTo);
            runFrom = index;
            runTo = index + count;
        } else if (!CheckPlace(address, index, data, count, line)) {
            return HexFault::TwoValues;
        }
        if (address < runningMinimum) [[unlikely]] {
            runningMinimum = address;
            result.LowestAddress = address;
        }
        result.foundData = true;
        // The usual record sizes as fixed copies, which compile to a few
        // moves; any other size through the library's copy.
        if (count == 16) std::memcpy(out + index, data, 16);
        else if (count == 32) std::memcpy(out + index, data, 32);
        else std::memcpy(out + index, data, count);
        if (sink) sink->OnData(address, index, data, count);
        if (index + count > result.ImageEnd) result.ImageEnd = index + count;
        return HexFault::None;
    }
    // The runs written so far, ascending and apart.
    std::vector<ImageRun> Runs() const {
        std::vector<ImageRun> found;
        if (runTo != kBitmapMode) {
            for (const auto& [from, to] : runs) found.push_back(ImageRun{from, to});
            if (runTo != runFrom) found.push_back(ImageRun{runFrom, runTo});
            return found;
        }
        // Bit by bit, a word of 64 at a time where it is all set or all clear.
        uint32_t i = 0;
        while (i < kHexImageSize) {
            const uint64_t word = written[i >> 6];
            if ((i & 63) == 0 && word == 0) {
                i += 64;
                continue;
            }
            if (!(word >> (i & 63) & 1)) {
                ++i;
                continue;
            }
            const uint32_t from = i;
            while (i < kHexImageSize) {
                const uint64_t w = written[i >> 6];
                if ((i & 63) == 0 && w == ~uint64_t{0}) i += 64;
                else if (w >> (i & 63) & 1) ++i;
                else break;
            }
            found.push_back(ImageRun{from, i});
        }
        return found;
    }
    // Kept for a HEX or S-record output of the merge; the image ignores it.
    void Start(RecordType type, const uint8_t* data) {
        const uint32_t high = static_cast<uint32_t>(data[0] << 8 | data[1]);
        const uint32_t low = static_cast<uint32_t>(data[2] << 8 | data[3]);
        result.start = type == RecordType::StartLinearAddress ? (high << 16 | low) : (high << 4) + low;
    }
};

// Finds the first record that placed a byte at image index `index`: its line
// and the address it gave that byte. Run only for the reason of a fault.
struct EarlierRecordFinder {
    uint32_t index;
    uint32_t line = 0;
    uint32_t address = 0;
    HexFault Data(uint32_t at, const uint8_t*, uint8_t count, uint32_t recordLine) {
        const uint32_t from = ImageIndexOf(at);
        if (index < from || index - from >= count) return HexFault::None;
        line = recordLine;
        address = at + (index - from);
        return HexFault::TwoValues;
    }
    void Start(RecordType, const uint8_t*) {}
};

std::string TwoValuesReason(uint32_t line, uint32_t address, uint8_t later, uint32_t earlierLine,
                            uint32_t earlierAddress, uint8_t earlier) {
    if (earlierAddress == address)
        return Format("line %u: 0x%08X is given two values, 0x%02X on line %u and 0x%02X on line %u", line, address,
                      earlier, earlierLine, later, line);
    return Format("line %u: 0x%08X (line %u, 0x%02X) and 0x%08X (line %u, 0x%02X) fall on one place of the 2 MiB "
                  "image with two values",
                  line, earlierAddress, earlierLine, earlier, address, line, later);
}

HexDecodeResult Decode(std::span<const uint8_t> input, uint8_t* out, HexRecordSink* sink) {
    HexDecodeResult result;
    // Without an image of the caller's, one of its own: a repeated place is
    // judged by the value the image holds.
    std::optional<HexImage> own;
    if (out == nullptr) out = own.emplace().data();
    ImageHandler handler{result, out, sink};
    const HexScanStop stop = ScanHexRecords(input, handler);
    result.dataRuns = handler.Runs();
    result.fault = stop.fault;
    if (stop.fault == HexFault::None && !result.foundData) result.fault = HexFault::NoData;
    if (result.fault == HexFault::None) {
        result.code = 1;
    } else if (stop.fault != HexFault::NoText) {
        result.faultLine = stop.line;
        result.faultOffset = stop.offset;
    }
    if (stop.textAfterEnd != 0)
        result.warnings.push_back(Format("line %u: text after the end-of-file record is not read", stop.textAfterEnd));
    if (stop.fault == HexFault::TwoValues) {
        EarlierRecordFinder finder{ImageIndexOf(result.faultAddress)};
        ScanHexRecords(input, finder);
        result.reason = TwoValuesReason(stop.line, result.faultAddress, handler.laterValue, finder.line,
                                        finder.address, handler.earlierValue);
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
        case ReadFault::TwoValues: return HexFault::TwoValues;
        case ReadFault::AfterEnd: return HexFault::RecordAfterEnd;
        case ReadFault::NoData: return HexFault::NoData;
        default: return HexFault::NoRecordStart;
    }
}

HexDecodeResult PlaceImage(const std::string& name, std::span<const uint8_t> bytes, uint8_t* out,
                           HexRecordSink* sink) {
    const ImageFormat format = FormatOfName(name);
    if (format != ImageFormat::SRecord && format != ImageFormat::Elf) return Decode(bytes, out, sink);
    const ImageRead read = ReadImage(format, bytes);
    HexDecodeResult result;
    result.warnings = read.warnings;
    std::optional<HexImage> own;
    if (out == nullptr) out = own.emplace().data();
    ImageHandler handler{result, out, sink};
    for (const ImageSegment& s : read.image.segments()) {
        // In pieces of at most 255 bytes, as records are: the sink takes a byte count.
        for (uint64_t i = 0; i < s.bytes.size(); i += 255) {
            const uint8_t count = static_cast<uint8_t>(std::min<uint64_t>(255, s.bytes.size() - i));
            const uint32_t address = static_cast<uint32_t>(s.address + i);
            const HexFault fault = handler.Data(address, s.bytes.data() + i, count, 0);
            if (fault == HexFault::None) continue;
            result.dataRuns = handler.Runs();
            result.fault = fault;
            if (fault == HexFault::TwoValues) {
                // The file itself gives no address two values: two of its
                // addresses meet in the image.
                result.reason = Format("0x%08X (0x%02X) and 0x%08X (0x%02X) fall on one place of the 2 MiB image "
                                       "with two values",
                                       AliasOf(result.faultAddress), handler.earlierValue, result.faultAddress,
                                       handler.laterValue);
            } else {
                result.reason = Format("the data at 0x%08X lies outside the 2 MiB image (addresses "
                                       "0x00000000-0x001FFFFF and 0x08000000-0x081FFFFF)",
                                       address);
            }
            return result;
        }
    }
    result.dataRuns = handler.Runs();
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

std::vector<ImageRun> GapsBetweenRuns(const std::vector<ImageRun>& runs, uint32_t from, uint32_t end) {
    std::vector<ImageRun> gaps;
    for (size_t i = 1; i < runs.size(); ++i) {
        const uint32_t gapFrom = std::max(runs[i - 1].to, from);
        const uint32_t gapTo = std::min(runs[i].from, end);
        if (gapFrom < gapTo) gaps.push_back(ImageRun{gapFrom, gapTo});
    }
    return gaps;
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
