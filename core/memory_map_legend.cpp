#include "core/memory_map_legend.h"

#include "core/messages.h"

#include "platform/files.h"
#include "platform/format.h"

namespace torvane {
namespace {

std::string Hex8(int64_t value) { return Format("0x%08X", static_cast<uint32_t>(value)); }

}  // namespace

std::string MapHeading(const MergeMap& map, bool broken) {
    std::string heading = map.stopped ? Localized("合并将在此中止，不生成合并文件")
                                      : Format(Localized("合并文件大小 %lld 字节"), static_cast<long long>(map.imageSize));
    if (!map.stopped && map.base != 0) heading += Format(Localized("，起始地址 0x%08X"), map.base);
    if (broken) heading += Localized("（刻度未按比例）");
    return heading;
}

std::vector<MapLegendLine> MapLegend(const MergeMap& map) {
    std::vector<MapLegendLine> lines;
    for (const MapRange& r : map.ranges) {
        MapLegendLine line;
        line.kind = r.kind;
        line.row = r.row;
        line.addresses = Hex8(map.Address(r.start)) + " - " + Hex8(map.Address(r.end));
        line.size = Format(Localized("%lld 字节"), static_cast<long long>(r.size()));
        switch (r.kind) {
            case RangeKind::Fill: line.what = Format(Localized("填充 0x%02X"), r.fill); break;
            case RangeKind::Overlap:
                line.what = Format(Localized("重叠：文件%d覆盖文件%d  %s"), r.row, r.coveredRow, FileNameOf(r.path).c_str());
                break;
            case RangeKind::File: line.what = Format(Localized("文件%d  %s"), r.row, FileNameOf(r.path).c_str()); break;
            case RangeKind::Gap:
                line.what = Format(Localized("文件%d内的空隙 填充 0x%02X  %s"), r.row, r.fill, FileNameOf(r.path).c_str());
                break;
            case RangeKind::Field: {
                const MapField& field = map.fields.at(static_cast<size_t>(r.field));
                line.what = Format(Localized("校验值 %s%s%s，范围%s-%s"), field.name.c_str(), field.value.empty() ? "" : " = ",
                                   field.value.c_str(), Hex8(map.Address(field.start)).c_str(), Hex8(map.Address(field.end)).c_str());
                break;
            }
        }
        lines.push_back(std::move(line));
    }
    for (const MapNote& note : map.leftOut) {
        MapLegendLine line;
        line.row = note.row;
        line.leftOut = true;
        line.what = Format(Localized("文件%d未能合并"), note.row);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace torvane
