#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/decode_hex.h"

namespace torvane {

class Workspace;

// What a merged image holds, byte range by byte range: the picture of a merge,
// computed from the same placement rules the merge follows.
enum class RangeKind {
    File,     // one file's bytes
    Fill,     // the fill byte between files
    Overlap,  // a file's bytes written over an earlier file's: the later one stays
    Field,    // an integrity field written after the files (MergeMap::fields[field])
    Gap,      // a gap between the records of a HEX, S-record or ELF file, inside its bytes
};

struct MapRange {
    int64_t start = 0;
    int64_t end = 0;  // inclusive
    RangeKind kind = RangeKind::File;
    int32_t row = 0;       // File, Overlap, Gap: the file whose bytes the image holds (its FileNo)
    std::string path;      // File, Overlap, Gap: that file (a HEX row's BIN file)
    int64_t sourceOffset = 0;  // File, Overlap, Gap: where in that file the range's first byte is
    int32_t coveredRow = 0;  // Overlap: the earlier file written over
    uint8_t fill = 0;        // Fill, Gap: the byte
    int32_t field = -1;      // Field: its index in MergeMap::fields
    int64_t size() const { return end - start + 1; }
};

// A file the image lacks, or the point where the merge ends without an image.
struct MapNote {
    int32_t row = 0;
    std::string reason;  // English, as torvane-cli prints reasons
};

// An integrity field the merge writes into its image.
struct MapField {
    int64_t at = 0;
    uint32_t width = 0;   // bytes
    std::string name;     // "CRC-32/ISO-HDLC", "add16", ...
    std::string value;    // as the check tool shows it; empty in a plan
    int64_t start = 0;    // the range it covers, inclusive
    int64_t end = 0;
};

struct MergeMap {
    int64_t imageSize = 0;  // the length the merge writes; 0 when it stops
    // The address of the image's first byte: the base of a HEX or S-record
    // output, or one given; 0 for a BIN. The ranges are image offsets; the
    // text, the SVG and the view show them as addresses (Address).
    uint32_t base = 0;
    int64_t Address(int64_t offset) const { return static_cast<int64_t>(base) + offset; }
    std::vector<MapRange> ranges;
    std::vector<MapField> fields;  // in the order they are written, after the files
    std::vector<MapNote> leftOut;
    std::optional<MapNote> stopped;
    // True when the merge writes an image with every selected file in it.
    bool Complete() const { return !stopped && leftOut.empty(); }
};

// Collects the writes of one merge, in order, and turns them into ranges.
class MergeMapRecorder {
public:
    void Fill(int64_t from, int64_t to, uint8_t byte);  // [from, to)
    void File(int64_t at, int64_t size, int32_t row, const std::string& path);
    // A gap [from, to) of the file of `row` placed at `at`, which holds `byte`.
    void Gap(int64_t from, int64_t to, int32_t row, const std::string& path, uint8_t byte, int64_t at);
    // An integrity field, the `index`-th of the merge's, written over whatever is there.
    void Field(int64_t at, int64_t size, int32_t index);
    void LeaveOut(int32_t row, std::string reason);
    void Stop(int32_t row, std::string reason);
    // The ranges of [0, imageSize): the last write over a byte decides what it
    // is; a file written over an earlier file's bytes is an overlap.
    MergeMap Finish(int64_t imageSize) const;

private:
    struct Write {
        int64_t from;
        int64_t to;  // exclusive
        bool isFill;
        uint8_t fill;
        int32_t row;
        std::string path;
        int32_t field = -1;
        bool isGap = false;
        int64_t origin = 0;  // a file's or gap's: where the file's first byte went
    };
    std::vector<Write> writes_;
    std::vector<MapNote> leftOut_;
    std::optional<MapNote> stopped_;
};

// The answers a merge plan takes where the merge asks: by default the ones that
// show every file (force an overlap, append a file that would pass 6 MiB).
struct MergeAnswers {
    enum class Overlap { Force, Append, Cancel } overlap = Overlap::Force;
    enum class Oversize { Append, Cancel } oversize = Oversize::Append;
    // A file was left out: write the image without it, or nothing.
    enum class Incomplete { Write, Keep } incomplete = Incomplete::Write;
};

// Why a plan of fewer than two selected files stops before its first file.
inline constexpr const char* kTooFewFilesReason = "a merge needs at least two selected files";

// The map of the merge the workspace's selected rows would make with these
// answers, computed without writing anything (HEX rows are decoded, not
// converted) and without a box or a log line. A merge that would refuse to start
// (fewer than two files) gives an empty map with `stopped` set.
MergeMap PlanMerge(const Workspace& ws, const MergeAnswers& answers);

// One HEX file as its decoding sees it.
struct HexSegment {
    uint32_t start = 0;  // absolute address
    uint32_t end = 0;    // inclusive
    uint32_t bytes() const { return end - start + 1; }
};
struct HexFileInfo {
    std::vector<HexSegment> segments;  // runs of contiguous data, in address order
    HexDecodeResult decoded;           // lowest address, image end, end record, fault
    // Whether every segment lies in the window's 2 MiB image: only then does
    // the image end say something.
    bool inImage = true;
};

// The segments of a HEX text: every data record the decoder places, joined
// where they touch or overlap.
// `name`, when given, chooses the format as for a row (S-records, ELF).
HexFileInfo InspectHex(std::span<const uint8_t> text, const std::string& name = std::string());

// A HEX file's segments as a map over its addresses: each segment a file range
// of `row`, the gaps between them Fill ranges of `gapFill` (as its BIN file
// has them). Addresses are absolute; imageSize is the span from the first
// segment to the last.
MergeMap HexSegmentsMap(const HexFileInfo& info, int32_t row, const std::string& path, uint8_t gapFill = 0x00);

// The English name of a fault kind in the map's data ("bad_checksum", ...).
const char* HexFaultName(HexFault fault);

}  // namespace torvane
