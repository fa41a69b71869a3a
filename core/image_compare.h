#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "formats/sparse_image.h"

namespace torvane {

// Two firmware images compared address by address: which ranges hold the
// same bytes, which differ, which only one of them holds.

enum class CompareKind {
    Same,    // both hold these addresses, with the same bytes
    Differ,  // both hold them (or a gap counts as the fill byte), and bytes differ
    OnlyA,   // only A holds these addresses
    OnlyB,   // only B holds them
};

// One differing byte.
struct ByteDifference {
    uint32_t address = 0;
    uint8_t a = 0;
    uint8_t b = 0;
    bool operator==(const ByteDifference&) const = default;
};

// A run of addresses of one kind. A Differ range starts and ends with a
// differing byte; equal runs inside it shorter than CompareOptions::joinGap
// belong to it (`differing` counts only the bytes that differ).
struct CompareRange {
    uint32_t start = 0;
    uint64_t end = 0;  // one past the last address
    CompareKind kind = CompareKind::Same;
    uint64_t differing = 0;              // Differ: the bytes that differ in it
    std::vector<ByteDifference> first;  // Differ: its first differing bytes, at most CompareOptions::samples
    uint64_t size() const { return end - start; }
    bool operator==(const CompareRange&) const = default;
};

struct CompareOptions {
    // A gap of one image counts as this byte where the other holds data: an
    // image that leaves out erased flash equals one that holds 0xFF there.
    // Without it such addresses are OnlyA or OnlyB.
    std::optional<uint8_t> fill;
    // The addresses compared: [from, to).
    uint32_t from = 0;
    uint64_t to = kAddressSpaceEnd;
    // Differing runs closer than this many equal bytes make one Differ range,
    // so a changed word whose middle byte happens to match stays one range.
    uint32_t joinGap = 16;
    // The differing bytes kept per Differ range, from its start.
    uint32_t samples = 0;
};

// The byte counts of a comparison: each address compared counts once.
struct CompareTotals {
    uint64_t same = 0;
    uint64_t differing = 0;
    uint64_t onlyA = 0;
    uint64_t onlyB = 0;
    uint64_t differRanges = 0;
    uint64_t onlyARanges = 0;
    uint64_t onlyBRanges = 0;
    bool equal() const { return differing == 0 && onlyA == 0 && onlyB == 0; }
};

// Builds the ranges of a comparison from the two sides' bytes, given in
// address order (a side that holds nothing at an address is simply not
// given there). Each finished range goes to the sink as soon as it is known,
// so a caller that streams two files holds no more than its buffers.
class ComparisonBuilder {
public:
    using Sink = std::function<void(CompareRange&&)>;
    ComparisonBuilder(const CompareOptions& options, Sink sink);

    // Both sides hold `a.size()` (== `b.size()`) bytes at `address`.
    void Both(uint32_t address, std::span<const uint8_t> a, std::span<const uint8_t> b);
    // Only A holds them; the other side is a gap.
    void OnlyA(uint32_t address, std::span<const uint8_t> a);
    void OnlyB(uint32_t address, std::span<const uint8_t> b);
    // Hands over the last range. Nothing may be added after it.
    void Finish();
    const CompareTotals& totals() const { return totals_; }

private:
    void AgainstFill(uint32_t address, std::span<const uint8_t> bytes, bool sideA);
    void Run(CompareKind kind, uint64_t start, uint64_t length);
    void Flush();

    CompareOptions options_;
    Sink sink_;
    CompareTotals totals_;
    std::optional<CompareRange> current_;
    uint64_t tail_ = 0;  // equal bytes after a Differ range that may still join it
};

// The comparison of two images.
struct ImageComparison {
    std::vector<CompareRange> ranges;  // every range, Same ones too, in address order
    CompareTotals totals;
    bool equal() const { return totals.equal(); }
};

// Compares two images over options.from..options.to. Costs time in the data
// the two hold, never in the span between their segments.
ImageComparison CompareImages(const SparseImage& a, const SparseImage& b, const CompareOptions& options = {});
// The same, each range handed to `builder` (which the caller finishes).
void CompareImagesInto(const SparseImage& a, const SparseImage& b, uint32_t from, uint64_t to,
                       ComparisonBuilder& builder);

// The word for a kind: "same", "differ", "only A", "only B".
const char* CompareKindName(CompareKind kind);

}  // namespace torvane
