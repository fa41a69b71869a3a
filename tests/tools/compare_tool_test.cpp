#include "tools/compare/compare_tool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/chinese_reasons.h"
#include "support/image_text.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::TempDir;

std::vector<uint8_t> Pattern(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

CompareRange R(uint32_t start, uint64_t end, CompareKind kind, uint64_t differing = 0,
               std::vector<ByteDifference> first = {}) {
    return CompareRange{start, end, kind, differing, std::move(first)};
}

std::string HexText(uint32_t at, const std::vector<uint8_t>& data) {
    SparseImage image;
    image.Write(at, data);
    std::string problem;
    return WriteImage(ImageFormat::IntelHex, image, WriteOptions{}, problem);
}

ImageComparison Streamed(const std::string& a, uint32_t baseA, const std::string& b, uint32_t baseB,
                         const CompareOptions& o, std::optional<std::string>* problem = nullptr) {
    ImageComparison c;
    ComparisonBuilder builder(o, [&c](CompareRange&& r) { c.ranges.push_back(std::move(r)); });
    CompareSide sa, sb;
    const std::optional<std::string> p = CompareBinFiles(a, baseA, b, baseB, o.from, o.to, builder, sa, sb);
    if (problem) *problem = p;
    builder.Finish();
    c.totals = builder.totals();
    return c;
}

TEST(CompareToolTest, TheSameBytesInEveryFormatCompareEqual) {
    TempDir dir;
    const std::vector<uint8_t> data = Pattern(700, 1);
    const uint32_t at = 0x08000000;
    const std::string files[] = {dir.Write("a.hex", HexText(at, data)), dir.Write("a.bin", data),
                                 dir.Write("a.s37", test::SRecordText(at, data)),
                                 dir.Write("a.elf", test::ElfImage(at, data))};
    for (const std::string& x : files) {
        const LoadedImage a = LoadImageFile(x, at);
        ASSERT_TRUE(a.ok) << x << ": " << a.reason;
        for (const std::string& y : files) {
            const LoadedImage b = LoadImageFile(y, at);
            const ImageComparison c = CompareImages(a.image, b.image);
            EXPECT_TRUE(c.equal()) << x << " / " << y;
            EXPECT_EQ(data.size(), c.totals.same);
        }
    }
    // A BIN read at another base is not the same image.
    EXPECT_FALSE(CompareImages(LoadImageFile(files[0], 0).image, LoadImageFile(files[1], 0).image).equal());
}

// Two BIN files read side by side in pieces give the ranges of the two
// images read whole: at different bases, across the pieces, with a range.
TEST(CompareToolTest, StreamedBinFilesGiveTheRangesOfTheImages) {
    TempDir dir;
    std::vector<uint8_t> a = Pattern(600 << 10, 2);
    std::vector<uint8_t> b(a.begin() + 0x100, a.end());
    b.resize(b.size() + 5000, 0xEE);
    for (const size_t at : {size_t{0}, size_t{1000}, size_t{(256 << 10) - 1}, size_t{256 << 10}, size_t{400000}})
        b[at] ^= 0x5A;
    const std::string pa = dir.Write("a.bin", a);
    const std::string pb = dir.Write("b.bin", b);
    CompareOptions options[3];
    options[0].samples = 2;
    options[1].fill = 0xEE;
    options[2].from = 0x20000100;
    options[2].to = 0x20060000;
    for (const CompareOptions& o : options) {
        const ImageComparison whole =
            CompareImages(LoadImageFile(pa, 0x20000000).image, LoadImageFile(pb, 0x20000100).image, o);
        const ImageComparison streamed = Streamed(pa, 0x20000000, pb, 0x20000100, o);
        EXPECT_EQ(whole.ranges, streamed.ranges);
        EXPECT_EQ(whole.totals.differing, streamed.totals.differing);
        EXPECT_FALSE(streamed.equal());
    }
    // The only-B tail, and the first differences where the two overlap.
    const ImageComparison c = Streamed(pa, 0x20000000, pb, 0x20000100, options[0]);
    EXPECT_EQ(0x100u, c.totals.onlyA);
    EXPECT_EQ(5000u, c.totals.onlyB);
    EXPECT_EQ(5u, c.totals.differing);
    ASSERT_EQ(CompareKind::OnlyA, c.ranges.front().kind);
    EXPECT_EQ(R(0x20000100, 0x20000101, CompareKind::Differ, 1, {{0x20000100, a[0x100], b[0]}}),
              c.ranges[1]);
}

TEST(CompareToolTest, StreamedFilesThatCannotBeComparedSaySo) {
    TempDir dir;
    const std::string pa = dir.Write("a.bin", std::vector<uint8_t>(0x20, 1));
    std::optional<std::string> problem;
    Streamed(pa, 0xFFFFFFF0, pa, 0, CompareOptions{}, &problem);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(std::string::npos, problem->find("32-bit address space")) << *problem;
    Streamed(pa, 0, dir.File("missing.bin"), 0, CompareOptions{}, &problem);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(std::string::npos, problem->find("missing.bin")) << *problem;
}

TEST(CompareToolTest, FilesThatCannotBeReadGiveTheReason) {
    TempDir dir;
    EXPECT_FALSE(LoadImageFile(dir.File("none.hex"), 0).ok);
    const LoadedImage damaged = LoadImageFile(dir.Write("d.s19", test::SRecordText(0, {1, 2, 3}, true)), 0);
    EXPECT_FALSE(damaged.ok);
    EXPECT_NE(std::string::npos, damaged.reason.find("checksum")) << damaged.reason;
}

TEST(CompareToolTest, TheBandLaysOutEveryRangeInOrderWithBreaksBetweenApartOnes) {
    std::vector<CompareRange> ranges = {R(0, 0x10000, CompareKind::Same), R(0x10000, 0x10001, CompareKind::Differ, 1),
                                        R(0x10001, 0x20000, CompareKind::Same),
                                        R(0xFFFFF000, kAddressSpaceEnd, CompareKind::OnlyB)};
    const CompareBandLayout band = LayoutCompareBand(ranges, 800, 3, 10);
    ASSERT_EQ(4u, band.x.size());
    EXPECT_EQ(1u, band.breaks.size());
    EXPECT_TRUE(band.broken);
    double end = 0;
    for (size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_GE(band.x[i], end - 1e-9);
        EXPECT_GE(band.width[i], 3 - 1e-9);
        end = band.x[i] + band.width[i];
    }
    EXPECT_NEAR(800, end, 1e-6);
    // Many ranges still fit the band.
    std::vector<CompareRange> many;
    for (uint32_t i = 0; i < 20000; ++i) many.push_back(R(i * 4, i * 4 + 1 + i % 3, i % 2 ? CompareKind::Same : CompareKind::Differ));
    const CompareBandLayout crowded = LayoutCompareBand(many, 800, 3, 10);
    EXPECT_LE(crowded.x.back() + crowded.width.back(), 800 + 1e-6);
}

TEST(CompareToolTest, TheReportsNameTheFilesTheRangesAndTheFields) {
    CompareSide a{"/fw/a.hex", ImageFormat::IntelHex, 0, 1, 4, 0x100, 0x104};
    CompareSide b{"/fw/b.bin", ImageFormat::Binary, 0x100, 1, 4, 0x100, 0x104};
    ImageComparison c;
    c.ranges = {R(0x100, 0x102, CompareKind::Differ, 2, {{0x100, 0x12, 0x13}}), R(0x102, 0x104, CompareKind::Same)};
    c.totals.differing = 2;
    c.totals.same = 2;
    c.totals.differRanges = 1;
    CompareOptions o;
    o.fill = 0xFF;
    const std::string text = CompareReportText(a, b, o, c);
    for (const char* part : {"文件A：/fw/a.hex", "起始地址0x00000100", "不同    0x00000100-0x00000101  2字节，其中2字节不同",
                             "0x00000100  A=12  B=13", "另有1字节不同", "按0xFF", "结果：两个文件的内容不同"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << "\n" << text;
    FieldCheck ok;
    ok.field = *ParseFieldSpec("crc32@FC:0-FB");
    ok.computed.valueText = "CBF43926";
    ok.computed.bytes = {1, 2, 3, 4};
    ok.stored = ok.computed.bytes;
    ok.storedText = "CBF43926";
    FieldCheck missing = ok;
    missing.stored.reset();
    const std::string fields = VerifyReportText("/fw/a.hex", {ok, missing});
    EXPECT_NE(std::string::npos, fields.find("存储值CBF43926  一致")) << fields;
    EXPECT_NE(std::string::npos, fields.find("文件中没有该字段的数据  不一致")) << fields;
    EXPECT_NE(std::string::npos, fields.find("结果：1个字段不一致")) << fields;
}

// The window shows the reasons of these functions in Chinese.
TEST(CompareToolTest, TheirReasonsAreTranslated) {
    TempDir dir;
    const std::string pa = dir.Write("a.bin", std::vector<uint8_t>(0x20, 1));
    std::vector<std::string> reasons = {LoadImageFile(pa, 0xFFFFFFF0).reason,
                                        VerifyFieldsProblem(std::vector<FieldSpec>{}).value_or("")};
    std::string why;
    const FieldSpec f = *ParseFieldSpec("crc32@FC:0-FB");
    FieldsFrom(std::vector<FieldSpec>{f}, 0xFFFFFF80, &why);
    reasons.push_back(why);
    for (const std::string& english : reasons) {
        ASSERT_FALSE(english.empty());
        const std::string chinese = ChineseReason(english);
        EXPECT_NE(english, chinese);
        EXPECT_EQ(std::string::npos, chinese.find(" the ")) << chinese;
    }
}

}  // namespace
}  // namespace torvane
