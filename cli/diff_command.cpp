#include "cli/diff_command.h"

#include <exception>
#include <new>
#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/file_entry.h"
#include "core/image_compare.h"
#include "core/memory_map_format.h"
#include "platform/format.h"
#include "tools/compare/compare_tool.h"

namespace torvane::cli {
namespace {

// diff's statuses, as diff(1) and cmp(1) give them.
constexpr int kSame = 0;
constexpr int kDiffer = 1;
constexpr int kTrouble = 2;

// The differing bytes shown per range when --bytes does not say.
constexpr uint32_t kDefaultShownBytes = 8;

std::optional<uint32_t> Hex32(const std::string& text, unsigned digits) {
    const std::optional<uint64_t> v = ParseHexNumber(text, digits);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

// START-END, END the last address, as convert's --crop takes it.
std::optional<std::pair<uint32_t, uint64_t>> ParseRange(const std::string& text) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::optional<uint32_t> from = Hex32(text.substr(0, dash), 8);
    const std::optional<uint32_t> last = Hex32(text.substr(dash + 1), 8);
    if (!from || !last || *last < *from) return std::nullopt;
    return std::make_pair(*from, static_cast<uint64_t>(*last) + 1);
}

std::optional<uint32_t> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    uint32_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    return v;
}

const char* KindWord(CompareKind kind) {
    switch (kind) {
        case CompareKind::Same: return "same";
        case CompareKind::Differ: return "differ";
        case CompareKind::OnlyA: return "only_a";
        case CompareKind::OnlyB: return "only_b";
    }
    return "";
}

std::string SideText(const char* label, const CompareSide& s) {
    std::string text = Format("%s: %s (%s", label, s.path.c_str(), FormatName(s.format));
    if (s.format == ImageFormat::Binary) text += Format(" at 0x%08X", s.base);
    text += Format(", %llu bytes", static_cast<unsigned long long>(s.bytes));
    if (s.bytes)
        text += Format(" in %llu segment%s, 0x%08X-0x%08llX", static_cast<unsigned long long>(s.segments),
                       s.segments == 1 ? "" : "s", s.lowest, static_cast<unsigned long long>(s.end - 1));
    return text + ")\n";
}

std::string SideJson(const CompareSide& s) {
    std::string json = Format("{\"path\": %s, \"format\": \"%s\"", JsonString(s.path).c_str(), FormatKeyword(s.format));
    if (s.format == ImageFormat::Binary) json += Format(", \"base\": %u", s.base);
    json += Format(", \"segments\": %llu, \"bytes\": %llu", static_cast<unsigned long long>(s.segments),
                   static_cast<unsigned long long>(s.bytes));
    if (s.bytes)
        json += Format(", \"lowest\": %u, \"highest\": %llu", s.lowest, static_cast<unsigned long long>(s.end - 1));
    return json + "}";
}

std::string Plural(uint64_t n, const char* word) {
    return Format("%llu %s%s", static_cast<unsigned long long>(n), word, n == 1 ? "" : "s");
}

// The ranges as they come, in text or JSON: a comparison of two large files
// is printed while it runs and never held whole.
class DiffPrinter {
public:
    DiffPrinter(ConsoleOut& console, bool json) : console_(console), json_(json) {}

    void Head(const CompareSide& a, const CompareSide& b, const CompareOptions& options) {
        if (!json_) {
            console_.Text(SideText("A", a) + SideText("B", b));
            return;
        }
        std::string head = "{\n  \"a\": " + SideJson(a) + ",\n  \"b\": " + SideJson(b) + ",\n";
        head += options.fill ? Format("  \"fill\": %u,\n", *options.fill) : std::string("  \"fill\": null,\n");
        head += Format("  \"range\": {\"start\": %u, \"end\": %llu},\n  \"ranges\": [", options.from,
                       static_cast<unsigned long long>(options.to - 1));
        console_.Raw(head);
    }

    void Range(const CompareRange& r) {
        if (r.kind == CompareKind::Same) return;
        if (json_) {
            std::string json = Format("%s\n    {\"kind\": \"%s\", \"start\": %u, \"end\": %llu, \"size\": %llu",
                                      count_ ? "," : "", KindWord(r.kind), r.start,
                                      static_cast<unsigned long long>(r.end - 1),
                                      static_cast<unsigned long long>(r.size()));
            if (r.kind == CompareKind::Differ) {
                json += Format(", \"differing\": %llu, \"bytes\": [", static_cast<unsigned long long>(r.differing));
                for (size_t i = 0; i < r.first.size(); ++i)
                    json += Format("%s{\"address\": %u, \"a\": %u, \"b\": %u}", i ? ", " : "", r.first[i].address,
                                   r.first[i].a, r.first[i].b);
                json += "]";
            }
            console_.Raw(json + "}");
        } else {
            const char* word = r.kind == CompareKind::Differ ? "differ" : r.kind == CompareKind::OnlyA ? "only A" : "only B";
            std::string text = Format("%-7s 0x%08X-0x%08llX  %s", word, r.start,
                                      static_cast<unsigned long long>(r.end - 1), Plural(r.size(), "byte").c_str());
            if (r.kind == CompareKind::Differ)
                text += Format(", %llu differ%s", static_cast<unsigned long long>(r.differing),
                               r.differing == 1 ? "s" : "");
            text += "\n";
            for (const ByteDifference& d : r.first)
                text += Format("        0x%08X  A %02X  B %02X\n", d.address, d.a, d.b);
            if (r.kind == CompareKind::Differ && !r.first.empty() && r.differing > r.first.size())
                text += Format("        ... %llu more\n", static_cast<unsigned long long>(r.differing - r.first.size()));
            console_.Text(text);
        }
        ++count_;
    }

    void Summary(const CompareTotals& t) {
        if (json_) {
            console_.Raw(Format("%s],\n  \"summary\": {\"equal\": %s, \"same\": %llu, \"differing\": %llu, "
                                "\"only_a\": %llu, \"only_b\": %llu, \"differ_ranges\": %llu, "
                                "\"only_a_ranges\": %llu, \"only_b_ranges\": %llu}\n}\n",
                                count_ ? "\n  " : "", t.equal() ? "true" : "false",
                                static_cast<unsigned long long>(t.same), static_cast<unsigned long long>(t.differing),
                                static_cast<unsigned long long>(t.onlyA), static_cast<unsigned long long>(t.onlyB),
                                static_cast<unsigned long long>(t.differRanges),
                                static_cast<unsigned long long>(t.onlyARanges),
                                static_cast<unsigned long long>(t.onlyBRanges)));
            return;
        }
        if (t.equal()) {
            console_.Text(Format("same: A and B hold the same %s\n", Plural(t.same, "byte").c_str()));
            return;
        }
        console_.Text(Format("differ: %s differ%s in %s, %s only in A (%s), %s only in B (%s), %s the same\n",
                             Plural(t.differing, "byte").c_str(), t.differing == 1 ? "s" : "",
                             Plural(t.differRanges, "range").c_str(),
                             Plural(t.onlyA, "byte").c_str(), Plural(t.onlyARanges, "range").c_str(),
                             Plural(t.onlyB, "byte").c_str(), Plural(t.onlyBRanges, "range").c_str(),
                             Plural(t.same, "byte").c_str()));
    }

private:
    ConsoleOut& console_;
    bool json_;
    uint64_t count_ = 0;
};

void PrintWarnings(const LoadedImage& loaded, std::FILE* err) {
    WarningLines(err, loaded.path, loaded.warnings);
}

}  // namespace

int RunDiffCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::optional<std::string> baseA, baseB, fill, range, bytes, format;
    const ToolOption options[] = {{"--base-a", &baseA, nullptr}, {"--base-b", &baseB, nullptr},
                                  {"--fill", &fill, nullptr},    {"--range", &range, nullptr},
                                  {"--bytes", &bytes, nullptr},  {"--format", &format, nullptr}};
    std::vector<std::string> words;
    std::string error;
    if (!ReadToolArguments(args, options, words, error)) return UsageError(err, error, kDiffUsage);
    if (words.size() != 2) return UsageError(err, "diff takes two files, A and B", kDiffUsage);
    CompareOptions compare;
    compare.samples = kDefaultShownBytes;
    const std::optional<uint32_t> a0 = baseA ? Hex32(*baseA, 8) : std::optional<uint32_t>(0);
    const std::optional<uint32_t> b0 = baseB ? Hex32(*baseB, 8) : std::optional<uint32_t>(0);
    if (!a0 || !b0) return UsageError(err, "--base-a and --base-b take 1 to 8 hex digits", kDiffUsage);
    if (fill) {
        const std::optional<uint32_t> f = Hex32(*fill, 2);
        if (!f) return UsageError(err, "--fill takes one hex byte", kDiffUsage);
        compare.fill = static_cast<uint8_t>(*f);
    }
    if (range) {
        const std::optional<std::pair<uint32_t, uint64_t>> r = ParseRange(*range);
        if (!r) return UsageError(err, "--range takes START-END in hex, END not below START", kDiffUsage);
        compare.from = r->first;
        compare.to = r->second;
    }
    if (bytes) {
        const std::optional<uint32_t> n = ParseCount(*bytes);
        if (!n) return UsageError(err, "--bytes takes a count of 0 to 999999", kDiffUsage);
        compare.samples = *n;
    }
    if (format && *format != "text" && *format != "json")
        return UsageError(err, "--format takes text or json", kDiffUsage);
    const bool json = format.value_or("text") == "json";

    ConsoleOut console(out);
    DiffPrinter printer(console, json);
    ComparisonBuilder builder(compare, [&printer](CompareRange&& r) { printer.Range(r); });
    try {
        CompareSide sideA, sideB;
        // Two BIN files are read in pieces side by side; any other pair as images.
        if (FormatOfName(words[0]) == ImageFormat::Binary && FormatOfName(words[1]) == ImageFormat::Binary) {
            // The sides are known once both files are open: the heading waits for them.
            bool headed = false;
            ComparisonBuilder streamed(compare, [&](CompareRange&& r) {
                if (!headed) printer.Head(sideA, sideB, compare);
                headed = true;
                printer.Range(r);
            });
            if (const std::optional<std::string> problem =
                    CompareBinFiles(words[0], *a0, words[1], *b0, compare.from, compare.to, streamed, sideA, sideB)) {
                console.Finish(kSame, err);
                ProblemLine(err, *problem);
                return kTrouble;
            }
            streamed.Finish();
            if (!headed) printer.Head(sideA, sideB, compare);
            printer.Summary(streamed.totals());
            const bool equal = streamed.totals().equal();
            return console.Finish(kSame, err) == kSame ? (equal ? kSame : kDiffer) : kTrouble;
        }
        const LoadedImage a = LoadImageFile(words[0], *a0);
        PrintWarnings(a, err);
        if (!a.ok) {
            ProblemLine(err, a.path + ": " + a.reason);
            return kTrouble;
        }
        const LoadedImage b = LoadImageFile(words[1], *b0);
        PrintWarnings(b, err);
        if (!b.ok) {
            ProblemLine(err, b.path + ": " + b.reason);
            return kTrouble;
        }
        printer.Head(SideOf(a), SideOf(b), compare);
        CompareImagesInto(a.image, b.image, compare.from, compare.to, builder);
        builder.Finish();
        printer.Summary(builder.totals());
        const bool equal = builder.totals().equal();
        return console.Finish(kSame, err) == kSame ? (equal ? kSame : kDiffer) : kTrouble;
    } catch (const std::bad_alloc&) {
        console.Finish(kSame, err);
        ProblemLine(err, "out of memory");
        return kTrouble;
    } catch (const std::exception& e) {
        // Status 1 would say "they differ": any other failure is trouble.
        console.Finish(kSame, err);
        ProblemLine(err, e.what());
        return kTrouble;
    }
}

}  // namespace torvane::cli
