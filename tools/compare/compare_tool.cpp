#include "tools/compare/compare_tool.h"

#include "core/messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"

namespace torvane {
namespace {

std::string PassesSpaceEnd(const std::string& path, uint64_t length, uint32_t base) {
    return Format("%s: %llu bytes at 0x%08X would pass the end of the 32-bit address space", path.c_str(),
                  static_cast<unsigned long long>(length), base);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Reads exactly `n` bytes; false at an error or an early end.
bool ReadExactly(std::FILE* f, uint8_t* into, size_t n) { return std::fread(into, 1, n, f) == n; }

// Bytes read at once from each file: two such buffers stay in the cache
// while they are compared, and a read of this size costs little per byte.
constexpr size_t kPiece = 256u << 10;

std::string SizeText(uint64_t bytes) { return Format(Localized("%llu字节"), static_cast<unsigned long long>(bytes)); }

std::string SideLine(const char* label, const CompareSide& s) {
    std::string line = Format(Localized("%s：%s（%s"), label, s.path.c_str(), FormatName(s.format));
    if (s.format == ImageFormat::Binary) line += Format(Localized("，起始地址0x%08X"), s.base);
    line += Format(Localized("，%llu段，%s"), static_cast<unsigned long long>(s.segments), SizeText(s.bytes).c_str());
    if (s.bytes) line += Format(Localized("，0x%08X-0x%08llX"), s.lowest, static_cast<unsigned long long>(s.end - 1));
    return line + Localized("）\n");
}

}  // namespace

LoadedImage LoadImageFile(const std::string& path, uint32_t base) {
    LoadedImage loaded;
    loaded.path = AbsolutePath(path);
    loaded.format = FormatOfName(loaded.path);
    loaded.base = base;
    ReadFailure why = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(loaded.path, kCompareReadLimit, &why);
    if (!bytes) {
        loaded.reason = why == ReadFailure::TooLarge   ? std::string("the file is larger than 256 MiB")
                        : why == ReadFailure::NoMemory ? std::string("out of memory")
                                                       : FileProblem(loaded.path, FileUse::Read);
        return loaded;
    }
    ImageRead read = ReadImage(loaded.format, *bytes, base);
    loaded.warnings = read.warnings;
    if (!read.ok()) {
        loaded.reason = read.reason;
        return loaded;
    }
    loaded.image = std::move(read.image);
    loaded.ok = true;
    return loaded;
}

CompareSide SideOf(const LoadedImage& loaded) {
    CompareSide s;
    s.path = loaded.path;
    s.format = loaded.format;
    s.base = loaded.base;
    s.segments = loaded.image.segments().size();
    s.bytes = loaded.image.dataSize();
    s.lowest = loaded.image.lowest();
    s.end = loaded.image.end();
    return s;
}

std::optional<std::string> CompareBinFiles(const std::string& pathA, uint32_t baseA, const std::string& pathB,
                                           uint32_t baseB, uint32_t from, uint64_t to, ComparisonBuilder& builder,
                                           CompareSide& a, CompareSide& b) {
    struct Side {
        std::string path;
        uint32_t base = 0;
        uint64_t length = 0;
        FileHandle file;
        uint64_t position = 0;  // bytes of the file read so far
        std::vector<uint8_t> buffer;
    };
    Side sides[2];
    sides[0].path = AbsolutePath(pathA);
    sides[0].base = baseA;
    sides[1].path = AbsolutePath(pathB);
    sides[1].base = baseB;
    for (Side& s : sides) {
        const std::optional<uint64_t> length = FileLength(s.path);
        s.file.reset(length ? OpenReadStream(s.path) : nullptr);
        if (!s.file) return s.path + ": " + FileProblem(s.path, FileUse::Read);
        s.length = *length;
        if (s.base + s.length > kAddressSpaceEnd) return PassesSpaceEnd(s.path, s.length, s.base);
        // Our buffer is the only one: each read goes straight into it.
        std::setvbuf(s.file.get(), nullptr, _IONBF, 0);
    }
    for (int i = 0; i < 2; ++i) {
        CompareSide& d = i == 0 ? a : b;
        d = CompareSide{};
        d.path = sides[i].path;
        d.base = sides[i].base;
        d.segments = sides[i].length ? 1 : 0;
        d.bytes = sides[i].length;
        d.lowest = sides[i].length ? sides[i].base : 0;
        d.end = sides[i].length ? sides[i].base + sides[i].length : 0;
    }
    // Moves a file to the byte of `address` (never back) and reads `n` bytes there.
    auto read = [](Side& s, uint64_t address, size_t n) -> std::optional<std::string> {
        const uint64_t want = address - s.base;
        if (s.buffer.size() < kPiece) s.buffer.resize(kPiece);
        while (s.position < want) {
            const size_t skip = static_cast<size_t>(std::min<uint64_t>(want - s.position, kPiece));
            if (!ReadExactly(s.file.get(), s.buffer.data(), skip)) break;
            s.position += skip;
        }
        if (s.position == want && ReadExactly(s.file.get(), s.buffer.data(), n)) {
            s.position += n;
            return std::nullopt;
        }
        if (std::ferror(s.file.get())) return s.path + ": " + FileProblem(s.path, FileUse::Read);
        return s.path + ": the file became shorter while it was read";
    };
    constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
    to = std::min(to, kAddressSpaceEnd);
    uint64_t x = from;
    while (x < to) {
        bool has[2];
        uint64_t first[2], last[2];
        for (int i = 0; i < 2; ++i) {
            first[i] = sides[i].base;
            last[i] = sides[i].base + sides[i].length;
            has[i] = sides[i].length > 0 && last[i] > x;
        }
        if (!has[0] && !has[1]) break;
        x = std::max(x, std::min(has[0] ? first[0] : kNever, has[1] ? first[1] : kNever));
        if (x >= to) break;
        const bool in[2] = {has[0] && first[0] <= x, has[1] && first[1] <= x};
        const uint64_t change0 = !has[0] ? kNever : in[0] ? last[0] : first[0];
        const uint64_t change1 = !has[1] ? kNever : in[1] ? last[1] : first[1];
        const uint64_t end = std::min({change0, change1, to});
        while (x < end) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(end - x, kPiece));
            for (int i = 0; i < 2; ++i)
                if (in[i])
                    if (std::optional<std::string> problem = read(sides[i], x, n)) return problem;
            const uint32_t at = static_cast<uint32_t>(x);
            const std::span<const uint8_t> va(sides[0].buffer.data(), in[0] ? n : 0);
            const std::span<const uint8_t> vb(sides[1].buffer.data(), in[1] ? n : 0);
            if (in[0] && in[1]) builder.Both(at, va, vb);
            else if (in[0]) builder.OnlyA(at, va);
            else builder.OnlyB(at, vb);
            x += n;
        }
    }
    return std::nullopt;
}

CompareBandLayout LayoutCompareBand(const std::vector<CompareRange>& ranges, double width, double minWidth,
                                    double breakWidth) {
    CompareBandLayout band;
    const size_t n = ranges.size();
    band.x.assign(n, 0);
    band.width.assign(n, 0);
    if (n == 0 || width <= 0) return band;
    size_t breaks = 0;
    for (size_t i = 1; i < n; ++i) breaks += ranges[i - 1].end != ranges[i].start;
    // The breaks give way first when the band is crowded.
    breakWidth = std::min(breakWidth, width / 4 / static_cast<double>(std::max<size_t>(breaks, 1)));
    const double room = width - breakWidth * static_cast<double>(breaks);
    minWidth = std::min(minWidth, room / static_cast<double>(n));
    uint64_t smallest = ranges[0].size();
    uint64_t largest = smallest;
    for (const CompareRange& r : ranges) {
        smallest = std::min(smallest, r.size());
        largest = std::max(largest, r.size());
    }
    band.broken = breaks > 0 || largest > 64 * smallest;
    const bool rooted = largest > 64 * smallest;
    std::vector<double> weight(n);
    double total = 0;
    for (size_t i = 0; i < n; ++i) {
        const double size = static_cast<double>(ranges[i].size());
        weight[i] = rooted ? std::sqrt(size) : size;
        total += weight[i];
    }
    // The lightest ranges take the floor, one by one, while their share of
    // what is left falls below it; a heavier range's share is larger.
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t l, size_t r) { return weight[l] < weight[r]; });
    double left = room;
    std::vector<bool> floored(n, false);
    for (const size_t i : order) {
        if (total <= 0 || left * weight[i] / total >= minWidth) break;
        floored[i] = true;
        left -= minWidth;
        total -= weight[i];
    }
    double x = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && ranges[i - 1].end != ranges[i].start) {
            band.breaks.push_back(x);
            x += breakWidth;
        }
        const double w = floored[i] || total <= 0 ? minWidth : left * weight[i] / total;
        band.broken = band.broken || floored[i];
        band.x[i] = x;
        band.width[i] = w;
        x += w;
    }
    return band;
}

const char* CompareKindCaption(CompareKind kind) {
    switch (kind) {
        case CompareKind::Same: return Localized("相同");
        case CompareKind::Differ: return Localized("不同");
        case CompareKind::OnlyA: return Localized("仅A有");
        case CompareKind::OnlyB: return Localized("仅B有");
    }
    return "";
}

std::string CompareReportText(const CompareSide& a, const CompareSide& b, const CompareOptions& options,
                              const ImageComparison& comparison) {
    std::string text = Localized("比较映像文件\n");
    text += SideLine(Localized("文件A"), a);
    text += SideLine(Localized("文件B"), b);
    text += Format(Localized("比较范围：0x%08X-0x%08llX"), options.from,
                   static_cast<unsigned long long>(std::min(options.to, kAddressSpaceEnd) - 1));
    if (options.fill) text += Format(Localized("；只在一个文件中的地址按0x%02X与另一个文件比较"), *options.fill);
    text += "\n";
    const CompareTotals& t = comparison.totals;
    text += t.equal() ? Localized("结果：两个文件的内容相同\n\n") : Localized("结果：两个文件的内容不同\n\n");
    for (const CompareRange& r : comparison.ranges) {
        if (r.kind == CompareKind::Same) continue;
        // Padded by the columns the words take: a Chinese character takes two.
        const char* pad = r.kind == CompareKind::Differ ? "    " : "   ";
        text += Format("%s%s0x%08X-0x%08llX  %s", CompareKindCaption(r.kind), pad, r.start,
                       static_cast<unsigned long long>(r.end - 1), SizeText(r.size()).c_str());
        if (r.kind == CompareKind::Differ)
            text += Format(Localized("，其中%s不同"), SizeText(r.differing).c_str());
        text += "\n";
        for (const ByteDifference& d : r.first) text += Format("        0x%08X  A=%02X  B=%02X\n", d.address, d.a, d.b);
        if (r.kind == CompareKind::Differ && r.differing > r.first.size() && !r.first.empty())
            text += Format(Localized("        ……另有%llu字节不同\n"), static_cast<unsigned long long>(r.differing - r.first.size()));
    }
    text += Format(Localized("\n合计：不同%s（%llu处），仅A有%s（%llu处），仅B有%s（%llu处），相同%s\n"),
                   SizeText(t.differing).c_str(), static_cast<unsigned long long>(t.differRanges),
                   SizeText(t.onlyA).c_str(), static_cast<unsigned long long>(t.onlyARanges),
                   SizeText(t.onlyB).c_str(), static_cast<unsigned long long>(t.onlyBRanges),
                   SizeText(t.same).c_str());
    return text;
}

std::optional<std::string> VerifyFieldsProblem(std::span<const FieldSpec> fields) {
    if (fields.empty()) return std::string("no field was given");
    return FieldsProblem(fields, 0, kAddressSpaceEnd);
}

std::string VerifyReportText(const std::string& path, const std::vector<FieldCheck>& checks) {
    std::string text = Format(Localized("校验值字段（文件%s）\n"), path.c_str());
    size_t wrong = 0;
    for (const FieldCheck& c : checks) {
        const FieldSpec& f = c.field;
        text += Format(Localized("%s  写在0x%08X  范围0x%08X-0x%08X  计算值%s  "), f.Name().c_str(), f.at, f.start, f.end,
                       c.computed.valueText.c_str());
        if (!c.stored) text += Localized("文件中没有该字段的数据  不一致\n");
        else text += Format(Localized("存储值%s  %s\n"), c.storedText.c_str(), c.matches() ? Localized("一致") : Localized("不一致"));
        wrong += c.matches() ? 0 : 1;
    }
    text += wrong ? Format(Localized("结果：%zu个字段不一致\n"), wrong) : std::string(Localized("结果：全部字段一致\n"));
    return text;
}

}  // namespace torvane
