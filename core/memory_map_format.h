#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/memory_map.h"

namespace torvane {

// The memory map as text, JSON and SVG: what torvane-cli prints and writes, and
// what the window exports. All three are UTF-8, and the JSON and the SVG stay
// valid whatever bytes the file names hold: in JSON a name that is not UTF-8
// keeps its exact bytes in a "path_bytes" field (hex) beside "path"; in the
// SVG each byte XML cannot hold is shown as "\xNN".

// One line per range, addresses (image offset + base) as 0x%08X in aligned
// columns, then the image size (and the base, when there is one) and any row
// left out or the point where the merge stops.
std::string MergeMapText(const MergeMap& map);
// {"image_size": N, "base": N, "ranges": [...], "left_out": [...], "stopped": null|{...}};
// a range's start and end are image offsets.
std::string MergeMapJson(const MergeMap& map);
// A standalone SVG picture of the band (see ComputeBand).
std::string MergeMapSvg(const MergeMap& map);

std::string HexInfoText(const std::string& path, const HexFileInfo& info);
// {"path": ..., "segments": [...], "lowest": N, "image_end": N|null, "end_record": b,
//  "warnings": [...], "failure": null|{...}}; image_end is null for a file the
// window's 2 MiB image cannot hold.
std::string HexInfoJson(const std::string& path, const HexFileInfo& info);

// Whether the bytes are UTF-8 throughout.
bool IsUtf8(const std::string& text);
// "\"path\": ..." and, for a name that is not UTF-8, ", \"path_bytes\": HEX".
std::string JsonPath(const std::string& path);

// Where each range of a map goes on a band `width` units wide. Ranges are as
// wide as their share of the image, but never narrower than `minWidth`: when a
// range dwarfs the others the axis breaks, and the band says so.
struct BandPiece {
    double x = 0;
    double width = 0;
};
struct BandLayout {
    std::vector<BandPiece> pieces;  // one per range, in order
    bool broken = false;            // some range was widened: the axis is not to scale
};
BandLayout ComputeBand(const MergeMap& map, double width, double minWidth);

// The colour of a row's file (1..6) as "#RRGGBB"; the window uses the same.
const char* RowColour(int32_t row);
inline constexpr const char* kFillColour = "#D9D9D9";
inline constexpr const char* kOverlapColour = "#D32F2F";
// An integrity field written into the image.
inline constexpr const char* kFieldColour = "#6A1B9A";

// A string as a JSON string literal, quotes included; each byte that is not
// part of well-formed UTF-8 (overlong forms and surrogates included) becomes U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace torvane
