#include "core/integrity_fields.h"

#include <gtest/gtest.h>

#include <vector>

#include "checks/sha256.h"
#include "platform/format.h"
#include "tools/checksum/check_value.h"

namespace torvane {
namespace {

std::vector<FieldSpec> Fields(std::initializer_list<const char*> texts) {
    std::vector<FieldSpec> fields;
    for (const char* text : texts) fields.push_back(*ParseFieldSpec(text));
    return fields;
}

std::string Problem(std::initializer_list<const char*> texts) {
    return FieldsProblem(Fields(texts), 0, 0x10000).value_or("");
}

TEST(IntegrityFieldsTest, AFieldInsideTheRangeOfAnEarlierOneIsRefused) {
    // The SHA-256 would be written into the bytes the CRC was computed over.
    EXPECT_EQ("sha256@7FC0:0-7FBF lies inside the range of CRC-32/ISO-HDLC@7FFC:0-7FFB, computed before it: that "
              "value would no longer match",
              Problem({"crc32@7FFC:0-7FFB", "sha256@7FC0:0-7FBF"}));
    // Touching the range's first or last byte is inside it too.
    EXPECT_NE("", Problem({"crc32@100:10-1F", "add8@1F:0-0"}));
    EXPECT_NE("", Problem({"crc32@100:10-1F", "add16@F:0-0"}));
    EXPECT_EQ("", Problem({"crc32@100:10-1F", "add16@E:0-0"}));
    // A length counts bytes, whatever they hold: a field inside its range leaves it right.
    EXPECT_EQ("", Problem({"length32@7FF8:0-7FFF", "crc32@7FFC:0-7FFB"}));
    // Written after the other way round, a field covers the earlier value: the chain a bootloader checks.
    EXPECT_EQ("", Problem({"sha256@7FC0:0-7FBF", "crc32@7FFC:0-7FFB"}));
}

TEST(IntegrityFieldsTest, AFieldPastTheEndMayGrowTheImageBy64MiBAtMost) {
    const uint64_t kLimit = 64u << 20;
    EXPECT_FALSE(FieldsGrowthProblem(Fields({"crc32@10:0-F"}), 0x10, kLimit));
    EXPECT_FALSE(FieldsGrowthProblem(Fields({"crc32@3FFFFFC:0-F"}), 0x10, kLimit));  // ends 64 MiB past 0
    EXPECT_EQ("CRC-32/ISO-HDLC@10000000:0-F would extend the image from 0x00000010 to 0x10000003 by 268435444 "
              "bytes, more than 64 MiB",
              FieldsGrowthProblem(Fields({"add8@20:0-F", "crc32@10000000:0-F"}), 0x10, kLimit).value_or(""));
    EXPECT_TRUE(FieldsGrowthProblem(Fields({"crc32@FFFFFFF0:0-F"}), 0x10, kLimit));
    // Inside the image nothing grows, however far the image reaches.
    EXPECT_FALSE(FieldsGrowthProblem(Fields({"crc32@FFFFFFF0:0-F"}), 0x100000000ull, kLimit));
    EXPECT_EQ(0x10000004u, ImageEndWithFields(Fields({"crc32@10000000:0-F", "add8@20:0-F"}), 0x10));
}

// A sparse image and the same bytes laid out flat, gaps as the fill byte.
struct Layout {
    SparseImage sparse;
    std::vector<uint8_t> flat;
};

Layout SegmentsAndGaps(uint8_t fill) {
    Layout l;
    l.flat.assign(0x30000, fill);
    for (const auto& [at, size] : {std::pair<uint32_t, uint32_t>{0x13, 0x1001}, {0x2005, 7}, {0x10003, 0x8FFF}}) {
        std::vector<uint8_t> bytes(size);
        for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((at + i) * 131 + (i >> 5));
        l.sparse.Write(at, bytes);
        std::copy(bytes.begin(), bytes.end(), l.flat.begin() + at);
    }
    return l;
}

TEST(IntegrityFieldsTest, ARangeWithGapsGivesTheValueOfItsBytesLaidOutFlat) {
    // Ranges that start and end in data and in gaps, at every offset modulo 8
    // (the word sums and the STM32 words depend on it).
    for (const uint8_t fill : {uint8_t{0xFF}, uint8_t{0x5A}}) {
        Layout l = SegmentsAndGaps(fill);
        for (const auto& [start, end] : {std::pair<uint32_t, uint32_t>{0x0, 0x2FFFF}, {0x15, 0x2006}, {0x1001, 0x10004},
                                         {0x2009, 0x2FFFE}, {0x3, 0x12}}) {
            for (const char* name : {"crc32", "stm32", "crc16-ccitt-false", "add32", "add16", "sum8", "sum16", "sum32",
                                     "sum64", "sha256"}) {
                FieldSpec f = *ParseFieldSpec(std::string(name) + "@40000:0-0");
                f.start = start;
                f.end = end;
                const std::span<const uint8_t> bytes(l.flat.data() + start, end - start + 1);
                std::string expected;
                if (f.kind == FieldKind::Crc) expected = CrcText(ComputeCrc(f.model, bytes, f.feed), f.model.width);
                else if (f.kind == FieldKind::Sha256) expected = Sha256Text(ComputeSha256(bytes));
                else if (f.kind == FieldKind::Sum) {
                    uint64_t sum = 0;
                    for (const uint8_t b : bytes) sum += b;
                    expected = f.bits == 32 ? Format("%08llX", static_cast<unsigned long long>(sum & 0xFFFFFFFF))
                                            : Format("%04llX", static_cast<unsigned long long>(sum & 0xFFFF));
                } else {
                    const std::string text = ComputeCheckValue(
                        f.bits == 8 ? ChecksumMethod::Sum8 : f.bits == 16 ? ChecksumMethod::Sum16
                                                           : f.bits == 32 ? ChecksumMethod::Sum32
                                                                          : ChecksumMethod::Sum64,
                        bytes);
                    expected = std::string(static_cast<size_t>(f.bits / 4) - text.size(), '0') + text;
                }
                SparseImage sparse = l.sparse;
                const std::vector<WrittenField> w = WriteFields(sparse, fill, std::span<const FieldSpec>(&f, 1));
                EXPECT_EQ(expected, w.at(0).valueText) << name << " " << start << "-" << end;
                // The same over a flat buffer that holds the image up to its end.
                // Past its `length` the buffer's bytes do not count: the fill byte does.
                uint64_t length = l.sparse.end();
                std::vector<uint8_t> buffer(0x40000 + 32, 0x00);
                std::copy(l.flat.begin(), l.flat.begin() + static_cast<std::ptrdiff_t>(length), buffer.begin());
                EXPECT_EQ(expected, WriteFields(buffer, length, 0, fill, std::span<const FieldSpec>(&f, 1)).at(0).valueText)
                    << name;
            }
        }
    }
}

TEST(IntegrityFieldsTest, ARangeOfNearlyFourGiBOfGapTakesNoMemory) {
    // Were the gap built, each field would ask for 4 GiB.
    SparseImage image;
    image.Write(0, std::vector<uint8_t>(16, 0x01));
    const std::vector<WrittenField> w = WriteFields(image, 0xFF, Fields({"add32@0:10-FFFFFFFF", "sum64@8:10-FFFFFFFF"}));
    EXPECT_EQ(Format("%08X", static_cast<uint32_t>(0xFFFFFFF0ull * 0xFF)), w[0].valueText);
    // 0x1FFFFFFE words of all ones: their sum is (words - 1) * 2^64 + (2^64 - words),
    // low part and overflow count add up to 2^64 - 1, whose complement is 0.
    EXPECT_EQ("0000000000000000", w[1].valueText);
    EXPECT_EQ(1u, image.segments().size());
    EXPECT_EQ(0x10u, image.end());
}

// "end" and "start" stand for places of the image until it is known.
TEST(IntegrityFieldsTest, WordsStandForTheImagesPlacesAndAreWrittenBackAsWords) {
    const std::optional<FieldSpec> f = ParseFieldSpec("CRC32@END:Start-End:be");
    ASSERT_TRUE(f);
    EXPECT_EQ(FieldWord::End, f->atWord);
    EXPECT_EQ(FieldWord::Start, f->startWord);
    EXPECT_EQ(FieldWord::End, f->endWord);
    EXPECT_TRUE(f->Symbolic());
    EXPECT_EQ("CRC-32/ISO-HDLC@end:start-end:be", FieldSpecText(*f));
    EXPECT_EQ("CRC-32/ISO-HDLC@end:start-end:be", FieldSpecText(*ParseFieldSpec(FieldSpecText(*f))));
    // Mixed with numbers, which keep their order check only between themselves.
    EXPECT_EQ("add16@8000000:start-7FF", FieldSpecText(*ParseFieldSpec("add16@8000000:start-7ff")));
    EXPECT_EQ("length32@10:20-end", FieldSpecText(*ParseFieldSpec("length32@10:20-end")));
    EXPECT_FALSE(ParseFieldSpec("crc32@0:20-10"));
    // Each word has its place: the position may be end, the range start-end.
    std::string why;
    EXPECT_FALSE(ParseFieldSpec("crc32@start:start-end", &why));
    EXPECT_EQ("the field's address takes 1 to 8 hex digits, or end", why);
    EXPECT_FALSE(ParseFieldSpec("crc32@end:end-end", &why));
    EXPECT_EQ("the range's start takes 1 to 8 hex digits, or start", why);
    EXPECT_FALSE(ParseFieldSpec("crc32@end:start-start", &why));
    EXPECT_EQ("the range's end takes 1 to 8 hex digits, or end", why);
}

TEST(IntegrityFieldsTest, AFieldsEndIsTheImageAsItStandsWhenTheFieldIsWritten) {
    // An image of 0x08000000-0x080067FF: the length at its end counts it, the
    // CRC after the length covers both.
    const std::optional<std::vector<FieldSpec>> r = ResolveFields(
        Fields({"length32@end:start-end", "crc32@end:start-end", "add8@20:start-1F"}), 0x08000000, 0x08006800);
    ASSERT_TRUE(r);
    EXPECT_EQ("length32@8006800:8000000-80067FF", FieldSpecText((*r)[0]));
    EXPECT_EQ("CRC-32/ISO-HDLC@8006804:8000000-8006803", FieldSpecText((*r)[1]));
    EXPECT_EQ("add8@20:8000000-1F", FieldSpecText((*r)[2]));
    // A field placed by number past the end moves the next field's end too.
    const std::optional<std::vector<FieldSpec>> past =
        ResolveFields(Fields({"add8@100:0-F", "crc32@end:start-end"}), 0, 0x10);
    ASSERT_TRUE(past);
    EXPECT_EQ("CRC-32/ISO-HDLC@101:0-100", FieldSpecText((*past)[1]));
}

TEST(IntegrityFieldsTest, AWordThatNamesNoAddressIsRefusedWithItsReason) {
    std::string why;
    EXPECT_FALSE(ResolveFields(Fields({"crc32@0:start-end"}), 0x100, 0x100, &why));
    EXPECT_EQ("CRC-32/ISO-HDLC@0:start-end: the image holds no byte for end to name", why);
    EXPECT_FALSE(ResolveFields(Fields({"crc32@end:start-end"}), 0xFFFFFF00, 0x100000000ull, &why));
    EXPECT_EQ("CRC-32/ISO-HDLC@end:start-end: the image ends at 0x100000000, past the 32-bit address space", why);
    // The checks that need numbers refuse words they were given unresolved.
    EXPECT_NE(std::nullopt, FieldsProblem(Fields({"crc32@end:start-end"}), 0, 0x10000));
}

TEST(IntegrityFieldsTest, TheShapeOfFieldsIsCheckedWhereverTheImageLies) {
    // The rules between fields hold at 0 and at the flash base alike.
    EXPECT_EQ("CRC-32/ISO-HDLC@8000010:8000000-80000FF lies inside its own range",
              FieldsShapeProblem(Fields({"crc32@8000010:8000000-80000FF"})).value_or(""));
    EXPECT_NE(std::nullopt, FieldsShapeProblem(Fields({"crc32@8000100:8000000-80000FF", "add8@8000102:0-0"})));
    // A field with words waits for the image; the others are compared.
    EXPECT_EQ(std::nullopt, FieldsShapeProblem(Fields({"crc32@end:start-end", "add8@8000000:8000001-8000010"})));
    EXPECT_EQ(std::nullopt, FieldsShapeProblem(Fields({"crc32@8006800:8000000-80067FF"})));
}

// In an image the fields are already written into, "end" is the end of the
// image before them: the longest image whose fields end where it ends.
TEST(IntegrityFieldsTest, WordsInAWrittenImageNameTheImageBeforeItsFields) {
    const std::optional<std::vector<FieldSpec>> one =
        ResolveFieldsInWrittenImage(Fields({"crc32@end:start-end"}), 0x08000000, 0x08000034);
    ASSERT_TRUE(one);
    EXPECT_EQ("CRC-32/ISO-HDLC@8000030:8000000-800002F", FieldSpecText((*one)[0]));
    const std::optional<std::vector<FieldSpec>> chain = ResolveFieldsInWrittenImage(
        Fields({"length32@end:start-end", "sha256@end:start-end"}), 0, 0x100);
    ASSERT_TRUE(chain);
    EXPECT_EQ("length32@DC:0-DB", FieldSpecText((*chain)[0]));
    EXPECT_EQ("sha256@E0:0-DF", FieldSpecText((*chain)[1]));
    // Fields with numbers only are as they were; a field inside the image extends nothing.
    EXPECT_EQ("add8@10:0-F", FieldSpecText((*ResolveFieldsInWrittenImage(Fields({"add8@10:0-F"}), 0, 0x20))[0]));
    EXPECT_EQ("add8@0:0-1F", FieldSpecText(ResolveFieldsInWrittenImage(Fields({"add8@0:start-end"}), 0, 0x20)->front()));
    // An image too short for the fields at its end.
    std::string why;
    EXPECT_FALSE(ResolveFieldsInWrittenImage(Fields({"sha256@end:start-end"}), 0x100, 0x110, &why));
    EXPECT_EQ("the fields with end or start do not fit an image from 0x00000100 that ends at 0x00000110", why);
}

}  // namespace
}  // namespace torvane
