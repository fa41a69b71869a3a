#include "core/field_verify.h"

#include <algorithm>

#include "platform/format.h"

namespace torvane {
namespace {

// The data of `image` in [from, to): all a field needs of it, without a copy
// of the rest.
SparseImage Part(const SparseImage& image, uint32_t from, uint64_t to) {
    SparseImage part;
    for (const ImageSegment& s : image.segments()) {
        if (s.end() <= from) continue;
        if (s.address >= to) break;
        const uint64_t lo = std::max<uint64_t>(s.address, from);
        const uint64_t hi = std::min<uint64_t>(s.end(), to);
        part.Write(static_cast<uint32_t>(lo),
                   std::span<const uint8_t>(s.bytes.data() + (lo - s.address), static_cast<size_t>(hi - lo)));
    }
    return part;
}

// The stored bytes as a value in the notation of the computed one: a digest
// as its bytes in lower-case hex, any other value in upper-case hex from the
// field's byte order, at least as many digits as the computed value shows.
std::string StoredText(const FieldSpec& f, const std::vector<uint8_t>& bytes, size_t digits) {
    std::string text;
    if (f.kind == FieldKind::Sha256) {
        for (const uint8_t b : bytes) text += Format("%02x", b);
        return text;
    }
    uint64_t value = 0;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n && i < 8; ++i) {
        const uint8_t b = f.bigEndian ? bytes[n - 1 - i] : bytes[i];
        value |= static_cast<uint64_t>(b) << (8 * i);
    }
    return Format("%0*llX", static_cast<int>(digits), static_cast<unsigned long long>(value));
}

}  // namespace

std::vector<FieldCheck> VerifyFields(const SparseImage& image, uint8_t fill, std::span<const FieldSpec> fields) {
    std::vector<FieldCheck> checks;
    for (const FieldSpec& f : fields) {
        FieldCheck check;
        check.field = f;
        // The value as the stamp computes it, over a copy of the bytes it reads.
        const uint32_t from = std::min(f.start, f.at);
        const uint64_t to = std::max<uint64_t>(static_cast<uint64_t>(f.end) + 1, f.FieldEnd());
        SparseImage part = Part(image, from, to);
        // The field's own place holds what the image holds there, so the
        // write below never extends the copy over a gap up to a field far
        // past its data.
        if (f.FieldEnd() <= kAddressSpaceEnd) part.Write(f.at, image.Read(f.at, f.Width(), fill));
        const FieldSpec one[] = {f};
        std::vector<WrittenField> written = WriteFields(part, fill, one);
        if (!written.empty()) check.computed = std::move(written.front());
        if (f.FieldEnd() <= kAddressSpaceEnd) {
            // Every byte of the field must be data of the image: a gap holds no value.
            uint64_t covered = 0;
            for (const ImageSegment& s : image.segments()) {
                if (s.end() <= f.at) continue;
                if (s.address >= f.FieldEnd()) break;
                covered += std::min<uint64_t>(s.end(), f.FieldEnd()) - std::max<uint64_t>(s.address, f.at);
            }
            if (covered == f.Width()) {
                check.stored = image.Read(f.at, f.Width(), 0);
                check.storedText = StoredText(f, *check.stored, check.computed.valueText.size());
            }
        }
        checks.push_back(std::move(check));
    }
    return checks;
}

std::optional<std::vector<FieldSpec>> FieldsOfImage(std::span<const FieldSpec> fields, bool fromLowest,
                                                    const SparseImage& image, std::string* why) {
    const uint32_t lowest = image.empty() ? 0 : image.lowest();
    const uint64_t end = image.empty() ? 0 : image.end();
    const std::optional<std::vector<FieldSpec>> resolved =
        ResolveFieldsInWrittenImage(fields, fromLowest ? 0 : lowest, fromLowest ? end - lowest : end, why);
    if (!resolved || !fromLowest) return resolved;
    return FieldsFrom(*resolved, lowest, why);
}

std::optional<std::vector<FieldSpec>> FieldsFrom(std::span<const FieldSpec> fields, uint32_t offset,
                                                 std::string* why) {
    std::vector<FieldSpec> moved;
    for (const FieldSpec& f : fields) {
        FieldSpec m = f;
        const uint64_t last = std::max<uint64_t>(f.end, f.FieldEnd() - 1) + offset;
        if (last >= kAddressSpaceEnd) {
            if (why)
                *why = Format("the field %s moved to the image's first address 0x%08X would pass the end of the "
                              "32-bit address space",
                              FieldSpecText(f).c_str(), offset);
            return std::nullopt;
        }
        m.at += offset;
        m.start += offset;
        m.end += offset;
        moved.push_back(m);
    }
    return moved;
}

}  // namespace torvane
