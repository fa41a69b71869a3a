#include "core/field_verify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torvane {
namespace {

FieldSpec Field(const std::string& text) { return ParseFieldSpec(text).value(); }

// A 4 KiB image at 0x08000000 with a CRC-32 over its first 0xFFC bytes at its
// end and a sum8 of a header in the middle, stamped as the stamp writes them.
SparseImage Stamped(std::vector<FieldSpec>& fields) {
    std::vector<uint8_t> bytes(0x1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 1);
    SparseImage image;
    image.Write(0x08000000, bytes);
    fields = {Field("sum8@8000100:8000000-80000FF"), Field("crc32@8000FFC:8000000-8000FFB"),
              Field("sha256@8002000:8000000-80000FF")};
    WriteFields(image, 0xFF, fields);
    return image;
}

TEST(FieldVerifyTest, AStampedImageMatchesEveryField) {
    std::vector<FieldSpec> fields;
    const SparseImage image = Stamped(fields);
    const std::vector<FieldCheck> checks = VerifyFields(image, 0xFF, fields);
    ASSERT_EQ(3u, checks.size());
    for (const FieldCheck& c : checks) {
        EXPECT_TRUE(c.matches()) << c.field.Name();
        // The stored value reads as the computed one does.
        EXPECT_EQ(c.computed.valueText, c.storedText) << c.field.Name();
    }
}

TEST(FieldVerifyTest, OneFlippedBitInARangeOrInAFieldIsCaught) {
    std::vector<FieldSpec> fields;
    const SparseImage stamped = Stamped(fields);
    // A bit of the header: in the range of the sum, the CRC and the digest.
    SparseImage image = stamped;
    image.Write(0x08000010, std::vector<uint8_t>{static_cast<uint8_t>(image.Read(0x08000010, 1, 0)[0] ^ 0x04)});
    std::vector<FieldCheck> checks = VerifyFields(image, 0xFF, fields);
    EXPECT_FALSE(checks[0].matches());
    EXPECT_FALSE(checks[1].matches());
    EXPECT_FALSE(checks[2].matches());
    // A bit past the header: the CRC's range only.
    image = stamped;
    image.Write(0x08000800, std::vector<uint8_t>{static_cast<uint8_t>(image.Read(0x08000800, 1, 0)[0] ^ 0x80)});
    checks = VerifyFields(image, 0xFF, fields);
    EXPECT_TRUE(checks[0].matches());
    EXPECT_FALSE(checks[1].matches());
    EXPECT_TRUE(checks[2].matches());
    // A bit of the stored CRC itself.
    image = stamped;
    image.Write(0x08000FFE, std::vector<uint8_t>{static_cast<uint8_t>(image.Read(0x08000FFE, 1, 0)[0] ^ 0x01)});
    checks = VerifyFields(image, 0xFF, fields);
    EXPECT_TRUE(checks[0].matches());
    EXPECT_FALSE(checks[1].matches());
    EXPECT_NE(checks[1].computed.valueText, checks[1].storedText);
    EXPECT_EQ(checks[1].computed.valueText, VerifyFields(stamped, 0xFF, fields)[1].storedText);
}

TEST(FieldVerifyTest, AFieldTheImageDoesNotHoldDoesNotMatch) {
    SparseImage image;
    image.Write(0x100, std::vector<uint8_t>(16, 0x11));
    // Half of the field lies past the data; all of the second.
    const std::vector<FieldSpec> fields = {Field("crc16-ccitt-false@10F:100-10E"), Field("crc32@FFFFFFF0:100-10F")};
    const std::vector<FieldCheck> checks = VerifyFields(image, 0xFF, fields);
    EXPECT_FALSE(checks[0].stored.has_value());
    EXPECT_FALSE(checks[0].matches());
    EXPECT_FALSE(checks[1].stored.has_value());
    EXPECT_EQ(8u, checks[1].computed.valueText.size());
}

TEST(FieldVerifyTest, BigEndianValuesReadInTheirOwnOrder) {
    SparseImage image;
    image.Write(0, std::vector<uint8_t>{1, 2, 3, 4});
    const std::vector<FieldSpec> fields = {Field("add16@4:0-3:be")};
    WriteFields(image, 0xFF, fields);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x0A}), image.Read(4, 2, 0));
    const FieldCheck c = VerifyFields(image, 0xFF, fields).at(0);
    EXPECT_TRUE(c.matches());
    EXPECT_EQ("000A", c.storedText);
}

TEST(FieldVerifyTest, ProjectFieldsMoveToTheImagesFirstAddress) {
    const std::vector<FieldSpec> offsets = {Field("crc32@7FFC:0-7FFB")};
    const std::optional<std::vector<FieldSpec>> moved = FieldsFrom(offsets, 0x08000000);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(0x08007FFCu, moved->at(0).at);
    EXPECT_EQ(0x08000000u, moved->at(0).start);
    EXPECT_EQ(0x08007FFBu, moved->at(0).end);
    std::string why;
    EXPECT_FALSE(FieldsFrom(offsets, 0xFFFFA000, &why).has_value());
    EXPECT_NE(std::string::npos, why.find("32-bit")) << why;
}

// A merge's fields by the addresses its project records: positions from the
// image's lowest address, or the image's own; words name the image before
// the fields at its end.
TEST(FieldVerifyTest, FieldsOfAnImageComeFromPositionsOrTheImagesOwnAddresses) {
    SparseImage image;
    image.Write(0x08000000, std::vector<uint8_t>(0x104, 0x5A));
    const std::vector<FieldSpec> positions = {Field("crc32@100:0-FF")};
    const std::optional<std::vector<FieldSpec>> moved = FieldsOfImage(positions, true, image);
    ASSERT_TRUE(moved);
    EXPECT_EQ("CRC-32/ISO-HDLC@8000100:8000000-80000FF", FieldSpecText(moved->front()));
    const std::vector<FieldSpec> own = {Field("crc32@8000100:8000000-80000FF")};
    EXPECT_EQ("CRC-32/ISO-HDLC@8000100:8000000-80000FF", FieldSpecText(FieldsOfImage(own, false, image)->front()));
    const std::vector<FieldSpec> words = {Field("crc32@end:start-end")};
    EXPECT_EQ("CRC-32/ISO-HDLC@8000100:8000000-80000FF", FieldSpecText(FieldsOfImage(words, false, image)->front()));
    EXPECT_EQ("CRC-32/ISO-HDLC@8000100:8000000-80000FF", FieldSpecText(FieldsOfImage(words, true, image)->front()));
}

}  // namespace
}  // namespace torvane
