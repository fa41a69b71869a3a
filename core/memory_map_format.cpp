#include "core/memory_map_format.h"

#include "core/messages.h"

#include <algorithm>
#include <cmath>

#include "platform/files.h"
#include "platform/format.h"
#include "platform/utf8.h"

namespace torvane {
namespace {

// Text as XML character data or attribute value. What XML cannot hold (a
// byte that is not UTF-8, U+FFFE, U+FFFF) is shown as "\xNN" per byte, so
// the name stays readable and the picture well formed; a control character
// is shown as '?'.
std::string Xml(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const size_t len = Utf8ValidLength(text, i, &cp);
        if (len == 0 || cp == 0xFFFE || cp == 0xFFFF) {
            const size_t bad = len == 0 ? 1 : len;
            for (size_t k = 0; k < bad; ++k)
                out += Format("\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[i + k])));
            i += bad;
            continue;
        }
        const char c = text[i];
        if (len == 1 && static_cast<unsigned char>(c) < 0x20) out += '?';
        else if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out.append(text, i, len);
        i += len;
    }
    return out;
}

const char* KindName(RangeKind kind) {
    switch (kind) {
        case RangeKind::File: return "file";
        case RangeKind::Fill: return "fill";
        case RangeKind::Overlap: return "overlap";
        case RangeKind::Field: return "field";
        case RangeKind::Gap: return "gap";
    }
    return "file";
}

std::string Hex8(int64_t value) { return Format("0x%08X", static_cast<uint32_t>(value)); }

std::string NoteJson(const MapNote& note) {
    return Format("{\"row\": %d, \"reason\": ", note.row) + JsonString(note.reason) + "}";
}

}  // namespace

bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const size_t len = Utf8ValidLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// "path": the name as a JSON string; for a name that is not UTF-8 also
// "path_bytes": its bytes in hex, from which a script gets the exact name.
std::string JsonPath(const std::string& path) {
    std::string out = "\"path\": " + JsonString(path);
    if (IsUtf8(path)) return out;
    out += ", \"path_bytes\": \"";
    for (const char c : path) out += Format("%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    return out + "\"";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const size_t len = Utf8ValidLength(text, i);
        if (len == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        const char c = text[i];
        if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else if (len == 1 && static_cast<unsigned char>(c) < 0x20) out += Format("\\u%04x", static_cast<unsigned>(c));
        else out.append(text, i, len);
        i += len;
    }
    return out + "\"";
}

const char* RowColour(int32_t row) {
    static constexpr const char* kColours[] = {"#1F77B4", "#2CA02C", "#FF7F0E", "#9467BD", "#17BECF", "#8C564B"};
    return kColours[static_cast<size_t>(std::clamp(row, 1, 6) - 1)];
}

std::string MergeMapText(const MergeMap& map) {
    std::string out;
    for (const MapRange& r : map.ranges) {
        out += Format("%s  %s  %10lld  %-7s  ", Hex8(map.Address(r.start)).c_str(), Hex8(map.Address(r.end)).c_str(),
                      static_cast<long long>(r.size()), KindName(r.kind));
        switch (r.kind) {
            case RangeKind::Fill: out += Format("byte 0x%02X", r.fill); break;
            case RangeKind::File: out += Format("row %d  %s", r.row, r.path.c_str()); break;
            case RangeKind::Overlap:
                out += Format("row %d over row %d  %s", r.row, r.coveredRow, r.path.c_str());
                break;
            case RangeKind::Gap: out += Format("row %d  byte 0x%02X  %s", r.row, r.fill, r.path.c_str()); break;
            case RangeKind::Field: {
                const MapField& field = map.fields.at(static_cast<size_t>(r.field));
                out += Format("%s = %s  over %s-%s", field.name.c_str(),
                              field.value.empty() ? "(computed by the merge)" : field.value.c_str(),
                              Hex8(map.Address(field.start)).c_str(), Hex8(map.Address(field.end)).c_str());
                break;
            }
        }
        out += "\n";
    }
    for (const MapNote& note : map.leftOut) out += Format("left out: row %d: %s\n", note.row, note.reason.c_str());
    if (map.stopped) {
        out += map.stopped->row > 0 ? Format("stops at row %d: %s; no image is written\n", map.stopped->row,
                                             map.stopped->reason.c_str())
                                    : Format("stops: %s; no image is written\n", map.stopped->reason.c_str());
    } else {
        out += Format("image size %lld bytes\n", static_cast<long long>(map.imageSize));
        if (map.base != 0) out += Format("addresses are image offsets + base 0x%08X\n", map.base);
    }
    return out;
}

std::string MergeMapJson(const MergeMap& map) {
    std::string out = Format("{\"image_size\": %lld,\n \"base\": %u,\n \"ranges\": [",
                             static_cast<long long>(map.imageSize), map.base);
    for (size_t i = 0; i < map.ranges.size(); ++i) {
        const MapRange& r = map.ranges[i];
        out += i == 0 ? "\n  " : ",\n  ";
        out += Format("{\"start\": %lld, \"end\": %lld, \"kind\": \"%s\"", static_cast<long long>(r.start),
                      static_cast<long long>(r.end), KindName(r.kind));
        switch (r.kind) {
            case RangeKind::Fill: out += Format(", \"byte\": %u}", static_cast<unsigned>(r.fill)); break;
            case RangeKind::File: out += Format(", \"row\": %d, ", r.row) + JsonPath(r.path) + "}"; break;
            case RangeKind::Overlap:
                out += Format(", \"rows\": [%d, %d], \"row\": %d, ", r.coveredRow, r.row, r.row) +
                       JsonPath(r.path) + "}";
                break;
            case RangeKind::Gap:
                out += Format(", \"row\": %d, \"byte\": %u, ", r.row, static_cast<unsigned>(r.fill)) + JsonPath(r.path) +
                       "}";
                break;
            case RangeKind::Field: {
                const MapField& field = map.fields.at(static_cast<size_t>(r.field));
                out += ", \"name\": " + JsonString(field.name) + ", \"value\": " +
                       (field.value.empty() ? std::string("null") : JsonString(field.value)) +
                       Format(", \"covers\": [%lld, %lld]}", static_cast<long long>(field.start),
                              static_cast<long long>(field.end));
                break;
            }
        }
    }
    out += "],\n \"left_out\": [";
    for (size_t i = 0; i < map.leftOut.size(); ++i) out += (i == 0 ? "" : ", ") + NoteJson(map.leftOut[i]);
    out += "],\n \"stopped\": " + (map.stopped ? NoteJson(*map.stopped) : std::string("null")) + "}\n";
    return out;
}

BandLayout ComputeBand(const MergeMap& map, double width, double minWidth) {
    BandLayout band;
    const size_t n = map.ranges.size();
    band.pieces.resize(n);
    if (n == 0 || width <= 0) return band;
    minWidth = std::min(minWidth, width / static_cast<double>(n));

    // To scale while the ranges are alike; when one dwarfs another (more than
    // 64 times as large) every range is weighed by the square root of its size,
    // so a 256-byte file beside a 2 MiB fill still shows. A floor keeps the
    // smallest visible either way.
    int64_t smallest = map.ranges[0].size();
    int64_t largest = smallest;
    for (const MapRange& r : map.ranges) {
        smallest = std::min(smallest, r.size());
        largest = std::max(largest, r.size());
    }
    band.broken = largest > 64 * smallest;
    std::vector<double> weight(n);
    for (size_t i = 0; i < n; ++i) {
        const double size = static_cast<double>(map.ranges[i].size());
        weight[i] = band.broken ? std::sqrt(size) : size;
    }

    // Ranges below the floor get it; the others share what is left in
    // proportion to their weights, until none of those falls below.
    std::vector<bool> floored(n, false);
    auto share = [&](size_t i, double& left, double& total) {
        left = width;
        total = 0;
        for (size_t j = 0; j < n; ++j) {
            if (floored[j]) left -= minWidth;
            else total += weight[j];
        }
        return total > 0 ? left * weight[i] / total : 0;
    };
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 0; i < n; ++i) {
            double left = 0;
            double total = 0;
            if (!floored[i] && share(i, left, total) < minWidth) {
                floored[i] = true;
                changed = true;
            }
        }
    }
    double x = 0;
    for (size_t i = 0; i < n; ++i) {
        double left = 0;
        double total = 0;
        const double w = floored[i] ? minWidth : share(i, left, total);
        band.broken = band.broken || floored[i];
        band.pieces[i] = BandPiece{x, w};
        x += w;
    }
    return band;
}

std::string MergeMapSvg(const MergeMap& map) {
    constexpr double kLeft = 20, kTop = 40, kWidth = 960, kBand = 70, kMin = 6;
    const BandLayout band = ComputeBand(map, kWidth, kMin);
    const double height = kTop + kBand + 120 + 22.0 * static_cast<double>(map.ranges.size());
    std::string out = Format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"%.0f\" viewBox=\"0 0 1000 %.0f\" "
        "font-family=\"sans-serif\" font-size=\"12\">\n"
        "<defs><pattern id=\"fill\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\" "
        "patternTransform=\"rotate(45)\"><rect width=\"8\" height=\"8\" fill=\"%s\"/>"
        "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"8\" stroke=\"#8C8C8C\" stroke-width=\"2\"/></pattern></defs>\n"
        "<rect width=\"1000\" height=\"%.0f\" fill=\"#FFFFFF\"/>\n",
        height, height, kFillColour, height);
    // A gap inside a file: the file's colour, striped white.
    for (int row = 1; row <= 6; ++row)
        out += Format("<defs><pattern id=\"gap%d\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                      "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"%s\"/>"
                      "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#FFFFFF\" stroke-width=\"3\"/></pattern></defs>\n",
                      row, RowColour(row));
    std::string title = map.stopped ? Localized("合并将在此中止，不生成合并文件")
                                    : Format(Localized("合并文件大小 %lld 字节"), static_cast<long long>(map.imageSize));
    if (!map.stopped && map.base != 0) title += Format(Localized("，起始地址 0x%08X"), map.base);
    out += Format("<text x=\"%.0f\" y=\"24\" font-size=\"14\">%s%s</text>\n", kLeft, Xml(title).c_str(),
                  band.broken ? Localized("（刻度未按比例）") : "");
    double lastLabel = -1e9;
    for (size_t i = 0; i < map.ranges.size(); ++i) {
        const MapRange& r = map.ranges[i];
        const double x = kLeft + band.pieces[i].x;
        const double w = band.pieces[i].width;
        const std::string paint = r.kind == RangeKind::Fill      ? "url(#fill)"
                                  : r.kind == RangeKind::Overlap ? kOverlapColour
                                  : r.kind == RangeKind::Field   ? kFieldColour
                                  : r.kind == RangeKind::Gap     ? Format("url(#gap%d)", std::clamp(r.row, 1, 6))
                                                                 : RowColour(r.row);
        const std::string tip = Format(Localized("%s-%s, %lld 字节"), Hex8(map.Address(r.start)).c_str(), Hex8(map.Address(r.end)).c_str(),
                                       static_cast<long long>(r.size()));
        out += Format("<rect x=\"%.2f\" y=\"%.0f\" width=\"%.2f\" height=\"%.0f\" fill=\"%s\" stroke=\"#FFFFFF\" "
                      "stroke-width=\"0.5\"><title>%s</title></rect>\n",
                      x, kTop, w, kBand, paint.c_str(), Xml(tip).c_str());
        std::string label;
        if (r.kind == RangeKind::Fill || r.kind == RangeKind::Gap) label = Format("0x%02X", r.fill);
        else if (r.kind == RangeKind::Overlap) label = Format("%d/%d", r.coveredRow, r.row);
        else if (r.kind == RangeKind::Field) label = "✓";
        else label = Format("%d", r.row);
        if (w >= 8.0 * static_cast<double>(label.size())) {
            out += Format("<text x=\"%.2f\" y=\"%.0f\" text-anchor=\"middle\" fill=\"%s\">%s</text>\n", x + w / 2,
                          kTop + kBand / 2 + 4, r.kind == RangeKind::Fill ? "#000000" : "#FFFFFF", Xml(label).c_str());
        }
        // Address ticks at the start of each range, where there is room.
        out += Format("<line x1=\"%.2f\" y1=\"%.0f\" x2=\"%.2f\" y2=\"%.0f\" stroke=\"#000000\"/>\n", x,
                      kTop + kBand, x, kTop + kBand + 6);
        if (x - lastLabel >= 80 && x <= kLeft + kWidth - 80) {
            out += Format("<text x=\"%.2f\" y=\"%.0f\" font-size=\"10\">%s</text>\n", x, kTop + kBand + 18,
                          Hex8(map.Address(r.start)).c_str());
            lastLabel = x;
        }
    }
    if (!map.ranges.empty()) {
        const double end = kLeft + kWidth;
        out += Format("<line x1=\"%.2f\" y1=\"%.0f\" x2=\"%.2f\" y2=\"%.0f\" stroke=\"#000000\"/>\n", end,
                      kTop + kBand, end, kTop + kBand + 6);
        out += Format("<text x=\"%.2f\" y=\"%.0f\" font-size=\"10\" text-anchor=\"end\">%s</text>\n", end,
                      kTop + kBand + 18, Hex8(map.Address(map.ranges.back().end + 1)).c_str());
    }
    // The table of ranges under the band.
    double y = kTop + kBand + 60;
    for (const MapRange& r : map.ranges) {
        std::string what;
        if (r.kind == RangeKind::Fill) what = Format(Localized("填充 0x%02X"), r.fill);
        else if (r.kind == RangeKind::Gap)
            what = Format(Localized("文件%d内的空隙 填充 0x%02X  %s"), r.row, r.fill, FileNameOf(r.path).c_str());
        else if (r.kind == RangeKind::Field) {
            const MapField& field = map.fields.at(static_cast<size_t>(r.field));
            what = Format(Localized("校验值 %s%s%s，范围%s-%s"), field.name.c_str(), field.value.empty() ? "" : " = ",
                          field.value.c_str(), Hex8(map.Address(field.start)).c_str(), Hex8(map.Address(field.end)).c_str());
        } else if (r.kind == RangeKind::Overlap)
            what = Format(Localized("重叠：文件%d覆盖文件%d  %s"), r.row, r.coveredRow, FileNameOf(r.path).c_str());
        else what = Format(Localized("文件%d  %s"), r.row, FileNameOf(r.path).c_str());
        const std::string swatch = r.kind == RangeKind::Fill      ? "url(#fill)"
                                   : r.kind == RangeKind::Overlap ? kOverlapColour
                                   : r.kind == RangeKind::Field   ? kFieldColour
                                   : r.kind == RangeKind::Gap     ? Format("url(#gap%d)", std::clamp(r.row, 1, 6))
                                                                  : RowColour(r.row);
        out += Format("<rect x=\"%.0f\" y=\"%.0f\" width=\"12\" height=\"12\" fill=\"%s\"/>\n", kLeft, y - 10,
                      swatch.c_str());
        out += Format("<text x=\"%.0f\" y=\"%.0f\">%s - %s</text>\n", kLeft + 20, y, Hex8(map.Address(r.start)).c_str(),
                      Hex8(map.Address(r.end)).c_str());
        out += Format(Localized("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"end\">%lld 字节</text>\n"), kLeft + 330, y,
                      static_cast<long long>(r.size()));
        out += Format("<text x=\"%.0f\" y=\"%.0f\">%s</text>\n", kLeft + 350, y, Xml(what).c_str());
        y += 22;
    }
    for (const MapNote& note : map.leftOut) {
        out += Format(Localized("<text x=\"%.0f\" y=\"%.0f\" fill=\"%s\">文件%d未能合并</text>\n"), kLeft, y, kOverlapColour,
                      note.row);
        y += 22;
    }
    out += "</svg>\n";
    return out;
}

std::string HexInfoText(const std::string& path, const HexFileInfo& info) {
    std::string out = path + "\n";
    for (const HexSegment& s : info.segments) {
        out += Format("segment  0x%08X  0x%08X  %10u bytes\n", s.start, s.end, s.bytes());
    }
    const HexDecodeResult& d = info.decoded;
    const std::string end = info.inImage ? Format("0x%08X", d.ImageEnd) : std::string("none (outside the 2 MiB image)");
    out += Format("lowest address 0x%08X, image end %s, end record %s\n", d.LowestAddress, end.c_str(),
                  d.code == 1 ? "reached" : "not reached");
    if (d.fault != HexFault::None) out += "stops: " + HexFaultReason(d) + "\n";
    return out;
}

std::string HexInfoJson(const std::string& path, const HexFileInfo& info) {
    // Appended piece by piece: GCC 12 at -O3 misreads "{" + a temporary as an
    // overlapping copy (-Wrestrict).
    std::string out = "{";
    out += JsonPath(path);
    out += ", \"segments\": [";
    for (size_t i = 0; i < info.segments.size(); ++i) {
        const HexSegment& s = info.segments[i];
        out += Format("%s{\"start\": %u, \"end\": %u, \"bytes\": %u}", i == 0 ? "" : ", ", s.start, s.end, s.bytes());
    }
    const HexDecodeResult& d = info.decoded;
    out += Format("], \"lowest\": %u, \"image_end\": ", d.LowestAddress);
    out += info.inImage ? std::to_string(d.ImageEnd) : std::string("null");
    out += Format(", \"end_record\": %s, \"warnings\": [", d.code == 1 ? "true" : "false");
    for (size_t i = 0; i < d.warnings.size(); ++i) out += (i == 0 ? "" : ", ") + JsonString(d.warnings[i]);
    out += "], \"failure\": ";
    if (d.fault == HexFault::None) {
        out += "null";
    } else {
        out += Format("{\"kind\": \"%s\", \"line\": %u, \"offset\": %llu}", HexFaultName(d.fault), d.faultLine,
                      static_cast<unsigned long long>(d.faultOffset));
    }
    return out + "}\n";
}

}  // namespace torvane
