#include "core/integrity_fields.h"

#include <algorithm>
#include <array>

#include "checks/sha256.h"
#include "checks/sums.h"
#include "core/file_entry.h"
#include "platform/format.h"

namespace torvane {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<uint32_t> HexAddress(std::string_view text) {
    const std::optional<uint64_t> v = ParseHexNumber(text, 8);
    return v ? std::optional<uint32_t>(static_cast<uint32_t>(*v)) : std::nullopt;
}

// WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT.
std::optional<CrcModel> CustomCrc(std::string_view text, std::string& problem) {
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
        const size_t slash = text.find('/', from);
        parts.push_back(text.substr(from, slash == std::string_view::npos ? std::string_view::npos : slash - from));
        if (slash == std::string_view::npos) break;
        from = slash + 1;
    }
    if (parts.size() != 6) {
        problem = "it is crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT";
        return std::nullopt;
    }
    CrcModel m;
    int width = 0;
    for (const char c : parts[0]) {
        if (c < '0' || c > '9' || width > 64) {
            width = -1;
            break;
        }
        width = width * 10 + (c - '0');
    }
    const std::optional<uint64_t> poly = ParseHexNumber(parts[1], 16);
    const std::optional<uint64_t> init = ParseHexNumber(parts[2], 16);
    const std::optional<uint64_t> xorout = ParseHexNumber(parts[5], 16);
    const auto flag = [](std::string_view v) { return v == "0" || v == "1"; };
    if (parts[0].empty() || width < 0 || !poly || !init || !xorout || !flag(parts[3]) || !flag(parts[4])) {
        problem = "WIDTH is decimal, POLY, INIT and XOROUT hex, REFIN and REFOUT 0 or 1";
        return std::nullopt;
    }
    m.width = width;
    m.poly = *poly;
    m.init = *init;
    m.refin = parts[3] == "1";
    m.refout = parts[4] == "1";
    m.xorout = *xorout;
    if (!IsValidCrcModel(m, &problem)) return std::nullopt;
    return m;
}

std::optional<FieldSpec> Refuse(std::string* why, std::string reason) {
    if (why) *why = std::move(reason);
    return std::nullopt;
}

// The value of one field, fed the bytes of its range in address order as
// pieces of data and runs of the fill byte: a range that is mostly gap is
// never built in memory.
class FieldValue {
public:
    explicit FieldValue(const FieldSpec& f) : f_(f) {
        if (f.kind == FieldKind::Crc) crc_.emplace(f.model, f.feed);
        if (f.kind == FieldKind::Sha256) sha_.emplace();
    }

    void Data(std::span<const uint8_t> bytes) {
        if (crc_) crc_->Update(bytes);
        if (sha_) sha_->Update(bytes);
        if (f_.kind == FieldKind::Sum || f_.kind == FieldKind::ComplementedSum)
            for (size_t i = 0; i < bytes.size(); ++i) sums_.sums[(fed_ + i) & 7] += bytes[i];
        fed_ += bytes.size();
    }

    void Fill(uint8_t byte, uint64_t count) {
        if (crc_ || sha_) {
            // Fed in blocks: the digest and the CRC take no shortcut over a run.
            std::array<uint8_t, 64 * 1024> block;
            block.fill(byte);
            for (uint64_t left = count; left > 0;) {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
                if (crc_) crc_->Update(std::span<const uint8_t>(block.data(), n));
                if (sha_) sha_->Update(std::span<const uint8_t>(block.data(), n));
                left -= n;
            }
        } else {
            // Of the positions [fed, fed + count), (N + 7 - r) / 8 below N are r modulo 8.
            const auto below = [](uint64_t n, uint64_t r) { return (n + 7 - r) / 8; };
            for (uint64_t r = 0; r < 8; ++r)
                sums_.sums[r] += (below(fed_ + count, r) - below(fed_, r)) * byte;
        }
        fed_ += count;
    }

    WrittenField Finish() const;

private:
    const FieldSpec& f_;
    std::optional<Crc> crc_;
    std::optional<Sha256> sha_;
    PositionSums sums_;  // Sum, ComplementedSum: the byte sums by position modulo 8
    uint64_t fed_ = 0;   // bytes of the range so far
};

WrittenField FieldValue::Finish() const {
    WrittenField w;
    w.field = f_;
    uint64_t value = 0;
    switch (f_.kind) {
        case FieldKind::Crc:
            value = crc_->Value();
            w.valueText = CrcText(value, f_.model.width);
            break;
        case FieldKind::Sum: {
            uint64_t sum = 0;
            for (const uint64_t s : sums_.sums) sum += s;
            value = f_.bits == 32 ? sum & 0xFFFFFFFF : sum & ((1ull << f_.bits) - 1);
            w.valueText = Format("%0*llX", f_.bits / 4, static_cast<unsigned long long>(value));
            break;
        }
        case FieldKind::ComplementedSum:
            value = f_.bits == 8    ? Sum8Of(sums_)
                    : f_.bits == 16 ? Sum16Of(sums_)
                    : f_.bits == 32 ? Sum32Of(sums_)
                                    : Sum64Of(sums_);
            w.valueText = Format("%0*llX", f_.bits / 4, static_cast<unsigned long long>(value));
            break;
        case FieldKind::Length:
            value = static_cast<uint64_t>(f_.end - f_.start) + 1;
            w.valueText = Format("%08llX", static_cast<unsigned long long>(value));
            break;
        case FieldKind::Sha256: {
            const std::array<uint8_t, 32> digest = sha_->Digest();
            w.bytes.assign(digest.begin(), digest.end());
            w.valueText = Sha256Text(digest);
            break;
        }
    }
    if (f_.kind != FieldKind::Sha256) {
        const uint32_t n = f_.Width();
        w.bytes.resize(n);
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
            w.bytes[f_.bigEndian ? n - 1 - i : i] = b;
        }
    }
    return w;
}

// The field's value over a sparse image: its data, and `fill` where it has none.
WrittenField ComputeField(const FieldSpec& f, const SparseImage& image, uint8_t fill) {
    FieldValue value(f);
    uint64_t at = f.start;
    const uint64_t stop = static_cast<uint64_t>(f.end) + 1;
    const std::vector<ImageSegment>& segments = image.segments();
    auto s = std::upper_bound(segments.begin(), segments.end(), at,
                              [](uint64_t a, const ImageSegment& seg) { return a < seg.end(); });
    for (; s != segments.end() && s->address < stop; ++s) {
        if (s->address > at) {
            value.Fill(fill, s->address - at);
            at = s->address;
        }
        const uint64_t to = std::min(s->end(), stop);
        value.Data(std::span<const uint8_t>(s->bytes.data() + (at - s->address), static_cast<size_t>(to - at)));
        at = to;
    }
    if (at < stop) value.Fill(fill, stop - at);
    return value.Finish();
}

// The field's value over the image held by `image` from address `first`, `fill` past its end.
WrittenField ComputeField(const FieldSpec& f, std::span<const uint8_t> image, uint32_t first, uint8_t fill) {
    FieldValue value(f);
    const uint64_t from = static_cast<uint64_t>(f.start) - first;
    const uint64_t stop = static_cast<uint64_t>(f.end) - first + 1;
    const uint64_t held = std::min<uint64_t>(image.size(), stop);
    if (from < held) value.Data(image.subspan(static_cast<size_t>(from), static_cast<size_t>(held - from)));
    const uint64_t gapFrom = std::max(from, held);
    if (gapFrom < stop) value.Fill(fill, stop - gapFrom);
    return value.Finish();
}

}  // namespace

uint32_t FieldSpec::Width() const {
    switch (kind) {
        case FieldKind::Crc: return static_cast<uint32_t>((model.width + 7) / 8);
        case FieldKind::Sum:
        case FieldKind::ComplementedSum:
        case FieldKind::Length: return static_cast<uint32_t>(bits / 8);
        case FieldKind::Sha256: return 32;
    }
    return 0;
}

std::string FieldSpec::Name() const {
    switch (kind) {
        case FieldKind::Crc:
            return crc ? std::string(crc->name)
                       : Format("crc/%d/%llX/%llX/%d/%d/%llX", model.width, static_cast<unsigned long long>(model.poly),
                                static_cast<unsigned long long>(model.init), model.refin ? 1 : 0, model.refout ? 1 : 0,
                                static_cast<unsigned long long>(model.xorout));
        case FieldKind::Sum: return Format("add%d", bits);
        case FieldKind::ComplementedSum: return Format("sum%d", bits);
        case FieldKind::Length: return "length32";
        case FieldKind::Sha256: return "sha256";
    }
    return std::string();
}

std::optional<FieldSpec> ParseFieldSpec(std::string_view text, std::string* why) {
    const size_t atSign = text.find('@');
    if (atSign == std::string_view::npos || atSign == 0)
        return Refuse(why, "a field is NAME@AT:START-END, e.g. crc32@7FFC:0-7FFB");
    FieldSpec f;
    const std::string name = Lower(text.substr(0, atSign));
    if (name == "add8" || name == "add16" || name == "add32") {
        f.kind = FieldKind::Sum;
        f.bits = std::stoi(name.substr(3));
    } else if (name == "sum8" || name == "sum16" || name == "sum32" || name == "sum64") {
        f.kind = FieldKind::ComplementedSum;
        f.bits = std::stoi(name.substr(3));
    } else if (name == "length32") {
        f.kind = FieldKind::Length;
        f.bits = 32;
    } else if (name == "sha256") {
        f.kind = FieldKind::Sha256;
    } else if (name.rfind("crc/", 0) == 0) {
        std::string problem;
        const std::optional<CrcModel> model = CustomCrc(name.substr(4), problem);
        if (!model) return Refuse(why, "custom CRC " + std::string(text.substr(0, atSign)) + ": " + problem);
        f.kind = FieldKind::Crc;
        f.model = *model;
    } else if (const CrcPreset* preset = FindCrcPreset(name)) {
        f.kind = FieldKind::Crc;
        f.crc = preset;
        f.model = preset->model;
        f.feed = preset->feed;
    } else {
        return Refuse(why, "unknown field '" + std::string(text.substr(0, atSign)) +
                               "' (a CRC preset, crc/WIDTH/POLY/INIT/REFIN/REFOUT/XOROUT, add8, add16, add32, sum8 "
                               "to sum64, length32 or sha256)");
    }
    std::string_view rest = text.substr(atSign + 1);
    const size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return Refuse(why, "the field has no range: NAME@AT:START-END");
    // An address, or the word that may stand in its place.
    const auto place = [](std::string_view part, const char* word, FieldWord kind, uint32_t& value, FieldWord& w) {
        if (Lower(part) == word) {
            w = kind;
            return true;
        }
        const std::optional<uint32_t> number = HexAddress(part);
        if (number) value = *number;
        return number.has_value();
    };
    if (!place(rest.substr(0, colon), "end", FieldWord::End, f.at, f.atWord))
        return Refuse(why, "the field's address takes 1 to 8 hex digits, or end");
    rest = rest.substr(colon + 1);
    std::string_view order;
    if (const size_t second = rest.find(':'); second != std::string_view::npos) {
        order = rest.substr(second + 1);
        rest = rest.substr(0, second);
    }
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos) return Refuse(why, "the range is START-END");
    if (!place(rest.substr(0, dash), "start", FieldWord::Start, f.start, f.startWord))
        return Refuse(why, "the range's start takes 1 to 8 hex digits, or start");
    if (!place(rest.substr(dash + 1), "end", FieldWord::End, f.end, f.endWord))
        return Refuse(why, "the range's end takes 1 to 8 hex digits, or end");
    if (f.startWord == FieldWord::Number && f.endWord == FieldWord::Number && f.end < f.start)
        return Refuse(why, "the range ends before it starts");
    const std::string o = Lower(order);
    if (!order.empty() && o != "be" && o != "le") return Refuse(why, "the byte order is be or le");
    f.bigEndian = o == "be";
    return f;
}

std::string FieldSpecText(const FieldSpec& f) {
    const auto place = [](FieldWord word, uint32_t value) {
        return word == FieldWord::Start ? std::string("start")
               : word == FieldWord::End ? std::string("end")
                                        : Format("%X", value);
    };
    return f.Name() + "@" + place(f.atWord, f.at) + ":" + place(f.startWord, f.start) + "-" +
           place(f.endWord, f.end) + (f.bigEndian ? ":be" : "");
}

std::optional<std::vector<FieldSpec>> ResolveFields(std::span<const FieldSpec> fields, uint32_t first,
                                                    uint64_t imageEnd, std::string* why) {
    std::vector<FieldSpec> resolved;
    uint64_t end = std::max<uint64_t>(imageEnd, first);
    for (const FieldSpec& given : fields) {
        FieldSpec f = given;
        const std::string name = FieldSpecText(given);
        if (f.atWord == FieldWord::End) {
            if (end > 0xFFFFFFFFull) {
                if (why) *why = Format("%s: the image ends at 0x%llX, past the 32-bit address space", name.c_str(),
                                       static_cast<unsigned long long>(end));
                return std::nullopt;
            }
            f.at = static_cast<uint32_t>(end);
        }
        if (f.startWord == FieldWord::Start) f.start = first;
        if (f.endWord == FieldWord::End) {
            if (end <= first) {
                if (why) *why = Format("%s: the image holds no byte for end to name", name.c_str());
                return std::nullopt;
            }
            f.end = static_cast<uint32_t>(end - 1);
        }
        f.atWord = f.startWord = f.endWord = FieldWord::Number;
        // The next field's "end" lies after this one when this one extends the image.
        end = std::max(end, f.FieldEnd());
        resolved.push_back(f);
    }
    return resolved;
}

std::optional<std::vector<FieldSpec>> ResolveFieldsInWrittenImage(std::span<const FieldSpec> fields, uint32_t first,
                                                                  uint64_t writtenEnd, std::string* why) {
    if (std::none_of(fields.begin(), fields.end(), [](const FieldSpec& f) { return f.Symbolic(); }))
        return std::vector<FieldSpec>(fields.begin(), fields.end());
    // The image with the fields ends no earlier for a longer image before
    // them: the longest that still ends by writtenEnd is found by halving.
    const auto fits = [&](uint64_t before) -> std::optional<std::vector<FieldSpec>> {
        std::optional<std::vector<FieldSpec>> resolved = ResolveFields(fields, first, before);
        if (resolved && ImageEndWithFields(*resolved, before) <= writtenEnd) return resolved;
        return std::nullopt;
    };
    // An image of one byte at least: "end" of an empty one names nothing.
    uint64_t low = static_cast<uint64_t>(first) + 1;
    uint64_t high = std::max<uint64_t>(writtenEnd, low);
    std::optional<std::vector<FieldSpec>> best = fits(low);
    if (!best) {
        if (why)
            *why = Format("the fields with end or start do not fit an image from 0x%08X that ends at 0x%08llX", first,
                          static_cast<unsigned long long>(writtenEnd));
        return std::nullopt;
    }
    while (low < high) {
        const uint64_t middle = low + (high - low + 1) / 2;
        if (std::optional<std::vector<FieldSpec>> resolved = fits(middle)) {
            low = middle;
            best = std::move(resolved);
        } else {
            high = middle - 1;
        }
    }
    return best;
}

namespace {

// The rules between fields that hold wherever the image lies.
std::optional<std::string> ShapeProblem(const FieldSpec& f, std::span<const FieldSpec> earlier) {
    const std::string name = FieldSpecText(f);
    if (f.end < f.start) return "the range of " + name + " ends before it starts";
    // A length does not depend on the bytes it counts: it may count itself,
    // as a bootloader's "image length" does.
    if (f.kind != FieldKind::Length && f.at <= f.end && f.FieldEnd() > f.start)
        return name + " lies inside its own range";
    for (const FieldSpec& g : earlier) {
        if (g.Symbolic()) continue;
        if (f.at < g.FieldEnd() && g.at < f.FieldEnd()) return name + " overlaps the field " + FieldSpecText(g);
        // Written after g, f would change bytes g's value was computed
        // over. The other way round is the chain a later field may make:
        // it covers the values written before it.
        if (g.kind != FieldKind::Length && f.at <= g.end && f.FieldEnd() > g.start)
            return name + " lies inside the range of " + FieldSpecText(g) +
                   ", computed before it: that value would no longer match";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FieldsShapeProblem(std::span<const FieldSpec> fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].Symbolic()) continue;
        if (std::optional<std::string> problem = ShapeProblem(fields[i], fields.first(i))) return problem;
    }
    return std::nullopt;
}

std::optional<std::string> FieldsProblem(std::span<const FieldSpec> fields, uint32_t first, uint64_t limit) {
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldSpec& f = fields[i];
        const std::string name = FieldSpecText(f);
        // Words are resolved before the image is written into; one left here is the caller's slip.
        if (f.Symbolic()) return name + ": its words are not resolved against an image";
        if (f.end < f.start) return "the range of " + name + " ends before it starts";
        if (f.at < first || f.start < first)
            return Format("%s lies below the image's first address 0x%08X", name.c_str(), first);
        if (f.FieldEnd() > limit || static_cast<uint64_t>(f.end) >= limit)
            return Format("%s reaches past 0x%08llX, the end of what the image may hold", name.c_str(),
                          static_cast<unsigned long long>(limit - 1));
        if (std::optional<std::string> problem = ShapeProblem(f, fields.first(i))) return problem;
    }
    return std::nullopt;
}

std::optional<std::string> FieldsGrowthProblem(std::span<const FieldSpec> fields, uint64_t imageEnd,
                                               uint64_t growthLimit) {
    const uint64_t end = ImageEndWithFields(fields, imageEnd);
    if (end - imageEnd <= growthLimit) return std::nullopt;
    const FieldSpec* furthest = &fields.front();
    for (const FieldSpec& f : fields)
        if (f.FieldEnd() > furthest->FieldEnd()) furthest = &f;
    return Format("%s would extend the image from 0x%08llX to 0x%08llX by %llu bytes, more than %llu MiB",
                  FieldSpecText(*furthest).c_str(), static_cast<unsigned long long>(imageEnd),
                  static_cast<unsigned long long>(end - 1), static_cast<unsigned long long>(end - imageEnd),
                  static_cast<unsigned long long>(growthLimit >> 20));
}

uint64_t ImageEndWithFields(std::span<const FieldSpec> fields, uint64_t imageEnd) {
    uint64_t end = imageEnd;
    for (const FieldSpec& f : fields) end = std::max(end, f.FieldEnd());
    return end;
}

std::vector<std::string> FieldNames() {
    std::vector<std::string> names;
    for (const CrcPreset& p : CrcPresets()) names.emplace_back(p.name);
    for (const char* n : {"add8", "add16", "add32", "sum8", "sum16", "sum32", "sum64", "length32", "sha256"})
        names.emplace_back(n);
    return names;
}

std::string FieldCheckText(const FieldSpec& field) {
    static constexpr uint8_t kCheckBytes[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    FieldSpec nine = field;
    nine.start = 0;
    nine.end = 8;
    nine.startWord = nine.endWord = FieldWord::Number;
    return ComputeField(nine, std::span<const uint8_t>(kCheckBytes), 0, 0).valueText;
}

std::vector<WrittenField> WriteFields(SparseImage& image, uint8_t fill, std::span<const FieldSpec> fields) {
    std::vector<WrittenField> written;
    for (const FieldSpec& f : fields) {
        WrittenField w = ComputeField(f, image, fill);
        if (!image.empty() && f.at > image.end()) image.FillRange(static_cast<uint32_t>(image.end()), f.at, fill);
        image.Write(f.at, w.bytes);
        written.push_back(std::move(w));
    }
    return written;
}

std::vector<WrittenField> WriteFields(std::span<uint8_t> buffer, uint64_t& length, uint32_t first, uint8_t fill,
                                      std::span<const FieldSpec> fields) {
    std::vector<WrittenField> written;
    for (const FieldSpec& f : fields) {
        WrittenField w = ComputeField(f, buffer.first(static_cast<size_t>(length)), first, fill);
        const uint64_t from = static_cast<uint64_t>(f.at) - first;
        const uint64_t fieldEnd = from + w.bytes.size();
        if (fieldEnd > length) {
            if (from > length)
                std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(length),
                          buffer.begin() + static_cast<std::ptrdiff_t>(from), fill);
            length = fieldEnd;
        }
        std::copy(w.bytes.begin(), w.bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(from));
        written.push_back(std::move(w));
    }
    return written;
}

}  // namespace torvane
