#include "core/image_compare.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace torvane {
namespace {

// How many leading bytes of the two are equal. Whole blocks go through
// memcmp, which the C library runs with vector instructions; only a block
// that differs is searched byte by byte.
size_t EqualPrefix(const uint8_t* a, const uint8_t* b, size_t n) {
    constexpr size_t kBlock = 256;
    size_t i = 0;
    while (n - i >= kBlock && std::memcmp(a + i, b + i, kBlock) == 0) i += kBlock;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

size_t DifferingPrefix(const uint8_t* a, const uint8_t* b, size_t n) {
    size_t i = 0;
    while (i < n && a[i] != b[i]) ++i;
    return i;
}

size_t FillPrefix(const uint8_t* p, size_t n, uint8_t fill) {
    size_t i = 0;
    while (i < n && p[i] == fill) ++i;
    return i;
}

size_t NotFillPrefix(const uint8_t* p, size_t n, uint8_t fill) {
    size_t i = 0;
    while (i < n && p[i] != fill) ++i;
    return i;
}

}  // namespace

ComparisonBuilder::ComparisonBuilder(const CompareOptions& options, Sink sink)
    : options_(options), sink_(std::move(sink)) {}

void ComparisonBuilder::Both(uint32_t address, std::span<const uint8_t> a, std::span<const uint8_t> b) {
    const size_t n = std::min(a.size(), b.size());
    const uint8_t* pa = a.data();
    const uint8_t* pb = b.data();
    for (size_t i = 0; i < n;) {
        const size_t equal = EqualPrefix(pa + i, pb + i, n - i);
        if (equal) Run(CompareKind::Same, address + static_cast<uint64_t>(i), equal);
        i += equal;
        if (i == n) break;
        const size_t differ = DifferingPrefix(pa + i, pb + i, n - i);
        Run(CompareKind::Differ, address + static_cast<uint64_t>(i), differ);
        // The first differing bytes of the range, while it has room for them.
        if (current_ && current_->first.size() < options_.samples) {
            const size_t room = std::min<size_t>(options_.samples - current_->first.size(), differ);
            for (size_t k = 0; k < room; ++k)
                current_->first.push_back(
                    ByteDifference{static_cast<uint32_t>(address + i + k), pa[i + k], pb[i + k]});
        }
        i += differ;
    }
}

void ComparisonBuilder::OnlyA(uint32_t address, std::span<const uint8_t> a) {
    if (options_.fill) AgainstFill(address, a, true);
    else Run(CompareKind::OnlyA, address, a.size());
}

void ComparisonBuilder::OnlyB(uint32_t address, std::span<const uint8_t> b) {
    if (options_.fill) AgainstFill(address, b, false);
    else Run(CompareKind::OnlyB, address, b.size());
}

void ComparisonBuilder::AgainstFill(uint32_t address, std::span<const uint8_t> bytes, bool sideA) {
    const uint8_t fill = *options_.fill;
    const uint8_t* p = bytes.data();
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const size_t equal = FillPrefix(p + i, n - i, fill);
        if (equal) Run(CompareKind::Same, address + static_cast<uint64_t>(i), equal);
        i += equal;
        if (i == n) break;
        const size_t differ = NotFillPrefix(p + i, n - i, fill);
        Run(CompareKind::Differ, address + static_cast<uint64_t>(i), differ);
        if (current_ && current_->first.size() < options_.samples) {
            const size_t room = std::min<size_t>(options_.samples - current_->first.size(), differ);
            for (size_t k = 0; k < room; ++k) {
                const uint8_t own = p[i + k];
                current_->first.push_back(ByteDifference{static_cast<uint32_t>(address + i + k),
                                                         sideA ? own : fill, sideA ? fill : own});
            }
        }
        i += differ;
    }
}

void ComparisonBuilder::Run(CompareKind kind, uint64_t start, uint64_t length) {
    if (length == 0) return;
    switch (kind) {
        case CompareKind::Same: totals_.same += length; break;
        case CompareKind::Differ: totals_.differing += length; break;
        case CompareKind::OnlyA: totals_.onlyA += length; break;
        case CompareKind::OnlyB: totals_.onlyB += length; break;
    }
    if (current_ && current_->end + tail_ != start) Flush();
    const auto open = [&](CompareKind k) {
        Flush();
        CompareRange r;
        r.start = static_cast<uint32_t>(start);
        r.end = start + length;
        r.kind = k;
        r.differing = k == CompareKind::Differ ? length : 0;
        current_ = std::move(r);
    };
    if (kind == CompareKind::Differ) {
        if (current_ && current_->kind == CompareKind::Differ) {
            // The equal bytes since the last difference were too few to part them.
            current_->end += tail_ + length;
            current_->differing += length;
            tail_ = 0;
        } else {
            open(kind);
        }
    } else if (kind == CompareKind::Same && current_ && current_->kind == CompareKind::Differ) {
        tail_ += length;
        if (tail_ >= options_.joinGap) {
            const uint64_t equalFrom = current_->end;
            const uint64_t equalTo = current_->end + tail_;
            tail_ = 0;
            sink_(std::move(*current_));
            ++totals_.differRanges;
            CompareRange same;
            same.start = static_cast<uint32_t>(equalFrom);
            same.end = equalTo;
            same.kind = CompareKind::Same;
            current_ = std::move(same);
        }
    } else if (current_ && current_->kind == kind) {
        current_->end += length;
    } else {
        open(kind);
    }
}

void ComparisonBuilder::Flush() {
    if (!current_) return;
    const uint64_t end = current_->end;
    switch (current_->kind) {
        case CompareKind::Differ: ++totals_.differRanges; break;
        case CompareKind::OnlyA: ++totals_.onlyARanges; break;
        case CompareKind::OnlyB: ++totals_.onlyBRanges; break;
        case CompareKind::Same: break;
    }
    sink_(std::move(*current_));
    current_.reset();
    if (tail_) {
        CompareRange same;
        same.start = static_cast<uint32_t>(end);
        same.end = end + tail_;
        same.kind = CompareKind::Same;
        tail_ = 0;
        sink_(std::move(same));
    }
}

void ComparisonBuilder::Finish() { Flush(); }

void CompareImagesInto(const SparseImage& a, const SparseImage& b, uint32_t from, uint64_t to,
                       ComparisonBuilder& builder) {
    const std::vector<ImageSegment>& as = a.segments();
    const std::vector<ImageSegment>& bs = b.segments();
    constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
    to = std::min(to, kAddressSpaceEnd);
    // The first segment of each that ends past `from`.
    auto firstPast = [from](const std::vector<ImageSegment>& segments) {
        return static_cast<size_t>(
            std::partition_point(segments.begin(), segments.end(),
                                 [from](const ImageSegment& s) { return s.end() <= from; }) -
            segments.begin());
    };
    size_t ia = firstPast(as);
    size_t ib = firstPast(bs);
    uint64_t x = from;
    while (x < to) {
        while (ia < as.size() && as[ia].end() <= x) ++ia;
        while (ib < bs.size() && bs[ib].end() <= x) ++ib;
        const ImageSegment* sa = ia < as.size() ? &as[ia] : nullptr;
        const ImageSegment* sb = ib < bs.size() ? &bs[ib] : nullptr;
        if (!sa && !sb) break;
        // Where the next data of either begins: the gaps between cost nothing.
        x = std::max<uint64_t>(x, std::min(sa ? sa->address : kNever, sb ? sb->address : kNever));
        if (x >= to) break;
        const bool inA = sa && sa->address <= x;
        const bool inB = sb && sb->address <= x;
        const uint64_t changeA = !sa ? kNever : inA ? sa->end() : sa->address;
        const uint64_t changeB = !sb ? kNever : inB ? sb->end() : sb->address;
        const uint64_t end = std::min({changeA, changeB, to});
        const size_t length = static_cast<size_t>(end - x);
        const uint32_t at = static_cast<uint32_t>(x);
        auto view = [&](const ImageSegment& s) {
            return std::span<const uint8_t>(s.bytes.data() + (x - s.address), length);
        };
        if (inA && inB) builder.Both(at, view(*sa), view(*sb));
        else if (inA) builder.OnlyA(at, view(*sa));
        else builder.OnlyB(at, view(*sb));
        x = end;
    }
}

ImageComparison CompareImages(const SparseImage& a, const SparseImage& b, const CompareOptions& options) {
    ImageComparison result;
    ComparisonBuilder builder(options, [&result](CompareRange&& r) { result.ranges.push_back(std::move(r)); });
    CompareImagesInto(a, b, options.from, options.to, builder);
    builder.Finish();
    result.totals = builder.totals();
    return result;
}

const char* CompareKindName(CompareKind kind) {
    switch (kind) {
        case CompareKind::Same: return "same";
        case CompareKind::Differ: return "differ";
        case CompareKind::OnlyA: return "only A";
        case CompareKind::OnlyB: return "only B";
    }
    return "";
}

}  // namespace torvane
