#include "core/image_compare.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace torvane {
namespace {

CompareRange R(uint32_t start, uint64_t end, CompareKind kind, uint64_t differing = 0,
               std::vector<ByteDifference> first = {}) {
    return CompareRange{start, end, kind, differing, std::move(first)};
}

SparseImage Image(std::initializer_list<std::pair<uint32_t, std::vector<uint8_t>>> segments) {
    SparseImage image;
    for (const auto& [at, bytes] : segments) image.Write(at, bytes);
    return image;
}

// The kind of every address either image holds, byte by byte: the model the
// ranges are held to.
std::map<uint64_t, CompareKind> Model(const SparseImage& a, const SparseImage& b, const CompareOptions& o) {
    std::map<uint64_t, int> as, bs;  // the byte at each address held
    for (const ImageSegment& s : a.segments())
        for (size_t i = 0; i < s.bytes.size(); ++i) as[s.address + i] = s.bytes[i];
    for (const ImageSegment& s : b.segments())
        for (size_t i = 0; i < s.bytes.size(); ++i) bs[s.address + i] = s.bytes[i];
    std::map<uint64_t, CompareKind> kinds;
    auto classify = [&](uint64_t x) {
        if (x < o.from || x >= o.to) return;
        const int fill = o.fill ? *o.fill : -1;
        const int va = as.count(x) ? as.at(x) : fill;
        const int vb = bs.count(x) ? bs.at(x) : fill;
        if (va < 0) kinds[x] = CompareKind::OnlyB;
        else if (vb < 0) kinds[x] = CompareKind::OnlyA;
        else kinds[x] = va == vb ? CompareKind::Same : CompareKind::Differ;
    };
    for (const auto& [x, v] : as) classify(x);
    for (const auto& [x, v] : bs) classify(x);
    return kinds;
}

// Holds a comparison to the model: every address in exactly one range of
// its kind (equal bytes inside a Differ range only in runs shorter than the
// join gap, the range beginning and ending with a difference), the totals,
// and the first differing bytes of each Differ range.
void ExpectMatchesModel(const SparseImage& a, const SparseImage& b, const CompareOptions& o) {
    const std::map<uint64_t, CompareKind> model = Model(a, b, o);
    const ImageComparison c = CompareImages(a, b, o);
    CompareTotals expected;
    for (const auto& [x, k] : model) {
        expected.same += k == CompareKind::Same;
        expected.differing += k == CompareKind::Differ;
        expected.onlyA += k == CompareKind::OnlyA;
        expected.onlyB += k == CompareKind::OnlyB;
    }
    EXPECT_EQ(expected.same, c.totals.same);
    EXPECT_EQ(expected.differing, c.totals.differing);
    EXPECT_EQ(expected.onlyA, c.totals.onlyA);
    EXPECT_EQ(expected.onlyB, c.totals.onlyB);

    uint64_t covered = 0;
    uint64_t previousEnd = 0;
    for (size_t i = 0; i < c.ranges.size(); ++i) {
        const CompareRange& r = c.ranges[i];
        ASSERT_LT(r.start, r.end);
        ASSERT_GE(r.start, previousEnd) << "ranges in order, apart";
        // Two neighbours that touch are of different kinds.
        if (i > 0 && c.ranges[i - 1].end == r.start) {
            EXPECT_NE(c.ranges[i - 1].kind, r.kind);
        }
        previousEnd = r.end;
        covered += r.size();
        uint64_t differing = 0;
        uint64_t equalRun = 0;
        std::vector<ByteDifference> first;
        for (uint64_t x = r.start; x < r.end; ++x) {
            const auto it = model.find(x);
            ASSERT_NE(model.end(), it) << std::hex << x << " is held by neither image";
            if (r.kind != CompareKind::Differ) {
                ASSERT_EQ(r.kind, it->second) << std::hex << x;
                continue;
            }
            ASSERT_TRUE(it->second == CompareKind::Differ || it->second == CompareKind::Same) << std::hex << x;
            if (it->second == CompareKind::Same) {
                ++equalRun;
                ASSERT_LT(equalRun, o.joinGap) << std::hex << x;
            } else {
                equalRun = 0;
                ++differing;
                if (first.size() < o.samples) {
                    const uint8_t va = a.Read(static_cast<uint32_t>(x), 1, o.fill.value_or(0))[0];
                    const uint8_t vb = b.Read(static_cast<uint32_t>(x), 1, o.fill.value_or(0))[0];
                    first.push_back(ByteDifference{static_cast<uint32_t>(x), va, vb});
                }
            }
        }
        if (r.kind == CompareKind::Differ) {
            EXPECT_EQ(CompareKind::Differ, model.at(r.start));
            EXPECT_EQ(CompareKind::Differ, model.at(r.end - 1));
            EXPECT_EQ(differing, r.differing);
            EXPECT_EQ(first, r.first);
        }
    }
    EXPECT_EQ(model.size(), covered);
}

TEST(ImageCompareTest, EachKindIsFoundAtItsAddress) {
    const SparseImage a = Image({{0x100, {1, 2, 3, 4}}, {0x200, {9, 9}}});
    const SparseImage b = Image({{0x100, {1, 7, 3, 4}}, {0x300, {5}}});
    CompareOptions o;
    o.samples = 4;
    const ImageComparison c = CompareImages(a, b, o);
    ASSERT_EQ(5u, c.ranges.size());
    EXPECT_EQ(R(0x100, 0x101, CompareKind::Same), c.ranges[0]);
    EXPECT_EQ(R(0x101, 0x102, CompareKind::Differ, 1, {{0x101, 2, 7}}), c.ranges[1]);
    EXPECT_EQ(R(0x102, 0x104, CompareKind::Same), c.ranges[2]);
    EXPECT_EQ(R(0x200, 0x202, CompareKind::OnlyA), c.ranges[3]);
    EXPECT_EQ(R(0x300, 0x301, CompareKind::OnlyB), c.ranges[4]);
    EXPECT_FALSE(c.equal());
    EXPECT_EQ(1u, c.totals.differRanges);
    EXPECT_EQ(1u, c.totals.onlyARanges);
    EXPECT_EQ(1u, c.totals.onlyBRanges);
}

TEST(ImageCompareTest, EqualImagesCutDifferentlyAreEqual) {
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    SparseImage a;
    a.Write(0x08000000, bytes);
    SparseImage b;  // the same bytes written in two pieces, the later first
    b.Write(0x08000000 + 500, std::span<const uint8_t>(bytes).subspan(500));
    b.Write(0x08000000, std::span<const uint8_t>(bytes).first(500));
    const ImageComparison c = CompareImages(a, b);
    EXPECT_TRUE(c.equal());
    ASSERT_EQ(1u, c.ranges.size());
    EXPECT_EQ(R(0x08000000, 0x08000000 + 1000, CompareKind::Same), c.ranges[0]);
}

TEST(ImageCompareTest, DifferencesCloserThanTheJoinGapMakeOneRange) {
    std::vector<uint8_t> base(64, 0);
    std::vector<uint8_t> near = base, apart = base;
    near[10] = near[25] = 1;   // 14 equal bytes between: one range
    apart[10] = apart[27] = 1;  // 16 equal bytes between: two
    const SparseImage a = Image({{0, base}});
    const ImageComparison joined = CompareImages(a, Image({{0, near}}));
    ASSERT_EQ(3u, joined.ranges.size());
    EXPECT_EQ(R(10, 26, CompareKind::Differ, 2), joined.ranges[1]);
    const ImageComparison parted = CompareImages(a, Image({{0, apart}}));
    ASSERT_EQ(5u, parted.ranges.size());
    EXPECT_EQ(R(10, 11, CompareKind::Differ, 1), parted.ranges[1]);
    EXPECT_EQ(R(11, 27, CompareKind::Same), parted.ranges[2]);
    EXPECT_EQ(R(27, 28, CompareKind::Differ, 1), parted.ranges[3]);
    CompareOptions exact;
    exact.joinGap = 0;
    EXPECT_EQ(5u, CompareImages(a, Image({{0, near}}), exact).ranges.size());
}

TEST(ImageCompareTest, AFillByteMakesAGapEqualToErasedFlash) {
    const SparseImage a = Image({{0x1000, {1, 2}}, {0x1004, {3, 4}}});
    const SparseImage b = Image({{0x1000, {1, 2, 0xFF, 0xFF, 3, 4, 0xFF, 0x00}}});
    EXPECT_FALSE(CompareImages(a, b).equal());
    CompareOptions erased;
    erased.fill = 0xFF;
    erased.samples = 4;
    const ImageComparison c = CompareImages(a, b, erased);
    // Only the 00 at 0x1007 differs from the gap read as FF.
    EXPECT_EQ(1u, c.totals.differing);
    EXPECT_EQ(0u, c.totals.onlyA + c.totals.onlyB);
    ASSERT_EQ(2u, c.ranges.size());
    EXPECT_EQ(R(0x1000, 0x1007, CompareKind::Same), c.ranges[0]);
    EXPECT_EQ(R(0x1007, 0x1008, CompareKind::Differ, 1, {{0x1007, 0xFF, 0x00}}), c.ranges[1]);
    ExpectMatchesModel(a, b, erased);
}

TEST(ImageCompareTest, TheRangeLimitsTheComparison) {
    const SparseImage a = Image({{0x10, {1, 2, 3, 4}}, {0x40, {1}}});
    const SparseImage b = Image({{0x10, {1, 0, 0, 0}}});
    CompareOptions o;
    o.from = 0x12;
    o.to = 0x14;
    const ImageComparison c = CompareImages(a, b, o);
    ASSERT_EQ(1u, c.ranges.size());
    EXPECT_EQ(R(0x12, 0x14, CompareKind::Differ, 2), c.ranges[0]);
    // 0x40 is past the end of the range.
    o.from = 0x13;
    o.to = 0x40;
    const ImageComparison upTo = CompareImages(a, b, o);
    ASSERT_EQ(1u, upTo.ranges.size());
    EXPECT_EQ(R(0x13, 0x14, CompareKind::Differ, 1), upTo.ranges[0]);
}

// Segments at both ends of the address space: the comparison walks the data,
// never the 4 GiB between.
TEST(ImageCompareTest, SegmentsAtBothEndsOfTheSpace) {
    std::vector<uint8_t> top(0x1000, 0xA5);
    const SparseImage a = Image({{0, {1, 2, 3}}, {0xFFFFF000, top}});
    top.back() = 0;
    const SparseImage b = Image({{0, {1, 2, 3}}, {0xFFFFF000, top}});
    const ImageComparison c = CompareImages(a, b);
    ASSERT_EQ(3u, c.ranges.size());
    EXPECT_EQ(R(0xFFFFFFFF, kAddressSpaceEnd, CompareKind::Differ, 1), c.ranges[2]);
    EXPECT_EQ(3u + 0xFFF, c.totals.same);
}

TEST(ImageCompareTest, RandomImagesAgreeWithTheModel) {
    std::mt19937 rng(31);
    auto random = [&rng] { return static_cast<uint32_t>(rng()); };
    for (int round = 0; round < 60; ++round) {
        SparseImage a, b;
        for (int s = 0; s < 4; ++s) {
            std::vector<uint8_t> bytes(random() % 200 + 1);
            for (uint8_t& x : bytes) x = static_cast<uint8_t>(random() % 4);  // few values: many equal runs
            const uint32_t at = random() % 600;
            a.Write(at, bytes);
            if (random() % 2) {
                for (uint8_t& x : bytes)
                    if (random() % 5 == 0) x ^= 1;
                b.Write(at + random() % 3, bytes);
            }
        }
        std::vector<uint8_t> extra(random() % 100 + 1, 0xFF);
        b.Write(random() % 800, extra);
        CompareOptions o;
        o.samples = random() % 5;
        o.joinGap = random() % 3 == 0 ? 0 : random() % 20;
        if (random() % 2) o.fill = random() % 2 ? 0xFF : 0x00;
        if (random() % 3 == 0) {
            o.from = random() % 300;
            o.to = o.from + random() % 500 + 1;
        }
        SCOPED_TRACE(round);
        ExpectMatchesModel(a, b, o);
    }
}

// Bytes fed in pieces of any size (as two files read side by side) give the
// ranges of the whole.
TEST(ImageCompareTest, PiecesGiveTheRangesOfTheWhole) {
    std::mt19937 rng(5);
    auto random = [&rng] { return static_cast<uint32_t>(rng()); };
    std::vector<uint8_t> a(5000), b(5000);
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = b[i] = static_cast<uint8_t>(random());
        if (random() % 40 == 0) b[i] ^= 0x10;
    }
    CompareOptions o;
    o.samples = 3;
    const ImageComparison whole = CompareImages(Image({{0x100, a}}), Image({{0x100, b}}), o);
    std::vector<CompareRange> pieces;
    ComparisonBuilder builder(o, [&](CompareRange&& r) { pieces.push_back(std::move(r)); });
    for (size_t at = 0; at < a.size();) {
        const size_t n = std::min<size_t>(random() % 97 + 1, a.size() - at);
        builder.Both(static_cast<uint32_t>(0x100 + at), std::span<const uint8_t>(a).subspan(at, n),
                     std::span<const uint8_t>(b).subspan(at, n));
        at += n;
    }
    builder.Finish();
    EXPECT_EQ(whole.ranges, pieces);
    EXPECT_EQ(whole.totals.differing, builder.totals().differing);
}

}  // namespace
}  // namespace torvane
