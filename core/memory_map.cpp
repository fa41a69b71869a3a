#include "core/memory_map.h"

#include <algorithm>

namespace torvane {

void MergeMapRecorder::Fill(int64_t from, int64_t to, uint8_t byte) {
    if (to > from) writes_.push_back(Write{from, to, true, byte, 0, std::string()});
}

void MergeMapRecorder::File(int64_t at, int64_t size, int32_t row, const std::string& path) {
    if (size > 0) writes_.push_back(Write{at, at + size, false, 0, row, path, -1, false, at});
}

void MergeMapRecorder::Gap(int64_t from, int64_t to, int32_t row, const std::string& path, uint8_t byte, int64_t at) {
    if (to > from) writes_.push_back(Write{from, to, false, byte, row, path, -1, true, at});
}

void MergeMapRecorder::Field(int64_t at, int64_t size, int32_t index) {
    if (size > 0) writes_.push_back(Write{at, at + size, false, 0, 0, std::string(), index});
}

void MergeMapRecorder::LeaveOut(int32_t row, std::string reason) { leftOut_.push_back(MapNote{row, std::move(reason)}); }

void MergeMapRecorder::Stop(int32_t row, std::string reason) { stopped_ = MapNote{row, std::move(reason)}; }

MergeMap MergeMapRecorder::Finish(int64_t imageSize) const {
    MergeMap map;
    map.imageSize = imageSize;
    map.leftOut = leftOut_;
    map.stopped = stopped_;

    // Every place a write starts or ends cuts the image into pieces that one
    // write, the last over them, decides. A merge has a dozen writes and one
    // for each gap inside its HEX files.
    std::vector<int64_t> cuts = {0, imageSize};
    for (const Write& w : writes_) {
        cuts.push_back(std::clamp<int64_t>(w.from, 0, imageSize));
        cuts.push_back(std::clamp<int64_t>(w.to, 0, imageSize));
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int64_t from = cuts[i];
        const int64_t to = cuts[i + 1];
        std::vector<const Write*> covering;
        for (const Write& w : writes_) {
            if (w.from <= from && w.to >= to) covering.push_back(&w);
        }
        if (covering.empty()) continue;  // no write reaches here: the merge leaves no such byte
        const Write* top = covering.back();
        // The file written here last before `top`: a gap of a file is that
        // file's bytes, which a later file overlaps like any other.
        const Write* under = nullptr;
        for (size_t j = covering.size() - 1; !top->isFill && top->field < 0 && !top->isGap && j-- > 0;) {
            if (!covering[j]->isFill && covering[j]->field < 0 && covering[j]->row != top->row) {
                under = covering[j];
                break;
            }
        }
        MapRange r;
        r.start = from;
        r.end = to - 1;
        if (top->isFill) {
            r.kind = RangeKind::Fill;
            r.fill = top->fill;
        } else if (top->field >= 0) {
            r.kind = RangeKind::Field;
            r.field = top->field;
        } else if (top->isGap) {
            r.kind = RangeKind::Gap;
            r.row = top->row;
            r.path = top->path;
            r.fill = top->fill;
            r.sourceOffset = from - top->origin;
        } else {
            r.kind = under ? RangeKind::Overlap : RangeKind::File;
            r.row = top->row;
            r.path = top->path;
            r.sourceOffset = from - top->origin;
            r.coveredRow = under ? under->row : 0;
        }
        // Pieces that say the same thing join into one range.
        if (!map.ranges.empty()) {
            MapRange& last = map.ranges.back();
            if (last.end + 1 == r.start && last.kind == r.kind && last.row == r.row && last.coveredRow == r.coveredRow &&
                last.fill == r.fill && last.path == r.path && last.field == r.field &&
                (r.kind == RangeKind::Fill || last.sourceOffset + last.size() == r.sourceOffset)) {
                last.end = r.end;
                continue;
            }
        }
        map.ranges.push_back(std::move(r));
    }
    return map;
}

namespace {

class SegmentSink final : public HexRecordSink {
public:
    void OnData(uint32_t address, uint32_t, const uint8_t*, uint8_t count) override {
        if (count == 0) return;
        // Touching or overlapping records join: keyed by start, the end kept.
        const uint64_t end = static_cast<uint64_t>(address) + count - 1;
        runs.push_back({address, static_cast<uint32_t>(std::min<uint64_t>(end, 0xFFFFFFFF))});
    }
    std::vector<HexSegment> runs;
};

}  // namespace

HexFileInfo InspectHex(std::span<const uint8_t> text, const std::string& name) {
    SegmentSink sink;
    HexFileInfo info;
    info.decoded = name.empty() ? ScanHex(text, sink) : ScanRowFile(name, text, sink);
    std::vector<HexSegment>& runs = sink.runs;
    std::sort(runs.begin(), runs.end(), [](const HexSegment& a, const HexSegment& b) { return a.start < b.start; });
    for (const HexSegment& run : runs) {
        if (!info.segments.empty() && static_cast<uint64_t>(info.segments.back().end) + 1 >= run.start) {
            info.segments.back().end = std::max(info.segments.back().end, run.end);
        } else {
            info.segments.push_back(run);
        }
    }
    return info;
}

MergeMap HexSegmentsMap(const HexFileInfo& info, int32_t row, const std::string& path, uint8_t gapFill) {
    MergeMap map;
    if (info.segments.empty()) return map;
    const int64_t base = info.segments.front().start;
    for (const HexSegment& s : info.segments) {
        if (!map.ranges.empty() && map.ranges.back().end + 1 < s.start) {
            MapRange gap;
            gap.start = map.ranges.back().end + 1;
            gap.end = static_cast<int64_t>(s.start) - 1;
            gap.kind = RangeKind::Fill;
            gap.fill = gapFill;
            map.ranges.push_back(gap);
        }
        MapRange r;
        r.start = s.start;
        r.end = s.end;
        r.row = row;
        r.path = path;
        r.sourceOffset = static_cast<int64_t>(s.start) - base;
        map.ranges.push_back(r);
    }
    map.imageSize = map.ranges.back().end + 1 - base;
    return map;
}

const char* HexFaultName(HexFault fault) {
    switch (fault) {
        case HexFault::None: return "none";
        case HexFault::NoText: return "no_text";
        case HexFault::NoRecordStart: return "no_record_start";
        case HexFault::RecordPastText: return "record_past_text";
        case HexFault::BadDigit: return "bad_digit";
        case HexFault::BadChecksum: return "bad_checksum";
        case HexFault::BadAddressRecord: return "bad_address_record";
        case HexFault::DataOutsideImage: return "data_outside_image";
        case HexFault::UnknownType: return "unknown_type";
        case HexFault::NoEndRecord: return "no_end_record";
        case HexFault::BadEndRecord: return "bad_end_record";
        case HexFault::BadStartRecord: return "bad_start_record";
        case HexFault::RecordAfterEnd: return "record_after_end";
        case HexFault::TwoValues: return "two_values";
        case HexFault::NoData: return "no_data";
        case HexFault::AddressNotZero: return "address_not_zero";
    }
    return "unknown";
}

}  // namespace torvane
