#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/memory_map.h"

namespace torvane {

// The words that go with a picture of the memory map: the heading above the
// band and the legend under it, one line per range and per row left out. The
// PNG export draws them; each line carries its range's kind and row so that
// the picture can colour its swatch.

// "合并文件大小 N 字节", or the notice that the merge stops there; the band's
// note that it is not to scale follows when `broken`.
std::string MapHeading(const MergeMap& map, bool broken);

struct MapLegendLine {
    RangeKind kind = RangeKind::File;
    int32_t row = 0;        // the range's row; for a row left out, that row
    bool leftOut = false;   // the line names a row the merge left out
    std::string addresses;  // "0x00000000 - 0x000000FF"; empty for a row left out
    std::string size;       // "256 字节"; empty for a row left out
    std::string what;       // "文件1  app.bin", "填充 0xFF", "文件2未能合并" ...
};
std::vector<MapLegendLine> MapLegend(const MergeMap& map);

}  // namespace torvane
