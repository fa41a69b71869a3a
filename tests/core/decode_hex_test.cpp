#include "core/decode_hex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/hex_text.h"

namespace torvane {
namespace {

using test::DataRecord;
using test::EndRecord;
using test::HexRecord;

struct Decoded {
    HexDecodeResult result;
    HexImage image;
};

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

Decoded Decode(const std::string& text) {
    Decoded d;
    d.result = DecodeHex(Bytes(text), d.image);
    return d;
}

const std::string kFourBytes = ":0400000001020304F2\r\n";

TEST(DecodeHexTest, DecodesDataAndEndRecords) {
    const Decoded d = Decode(kFourBytes + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(4u, d.result.ImageEnd);
    EXPECT_EQ(0u, d.result.LowestAddress);
    EXPECT_EQ(0, std::memcmp(d.image.data(), "\x01\x02\x03\x04", 4));
    EXPECT_EQ(0, d.image.data()[4]);
}

TEST(DecodeHexTest, EndRecordNeedsNoLineEnd) {
    const Decoded d = Decode(kFourBytes + ":00000001FF");
    EXPECT_EQ(1, d.result.code);
}

TEST(DecodeHexTest, LinearAddressAtFlashBaseLandsAtIndexZero) {
    const Decoded d = Decode(":020000040800F2\r\n" + kFourBytes + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x08000000u, d.result.LowestAddress);
    EXPECT_EQ(4u, d.result.ImageEnd);
    EXPECT_EQ(0x01, d.image.data()[0]);
}

TEST(DecodeHexTest, SegmentAddressIsTimesSixteen) {
    const Decoded d = Decode(":020000021000EC\r\n" + kFourBytes + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x10000u, d.result.LowestAddress);
    EXPECT_EQ(0x10004u, d.result.ImageEnd);
    EXPECT_EQ(0x01, d.image.data()[0x10000]);
    EXPECT_EQ(0x00, d.image.data()[0]);
}

TEST(DecodeHexTest, BothExtensionsApplyAtOnce) {
    // ELA 0x0001 and ESA 0x0010: 0x10000 + 0x100 + 0x20.
    const Decoded d = Decode(test::LinearRecord(1) + test::SegmentRecord(0x10) + DataRecord(0x20, {0xAA}) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x10120u, d.result.LowestAddress);
    EXPECT_EQ(0xAA, d.image.data()[0x10120]);
}

TEST(DecodeHexTest, LineFeedOnlyFailsAtTheSecondRecordAndSaysWhy) {
    const Decoded d = Decode(":0400000001020304F2\n" + DataRecord(0x10, {9}) + EndRecord());
    EXPECT_EQ(0, d.result.code);
    EXPECT_EQ(4u, d.result.ImageEnd);
    EXPECT_EQ(0x04, d.image.data()[3]);
    EXPECT_EQ(0x00, d.image.data()[0x10]);
    EXPECT_EQ(HexFault::LfLineEnd, d.result.fault);
    EXPECT_EQ(1u, d.result.faultRecord);
    EXPECT_EQ(19u, d.result.faultOffset);
    EXPECT_EQ("line 1: a record must end with CR LF; this file uses LF line ends", HexFaultReason(d.result));

    const Decoded cr = Decode(":0400000001020304F2\r" + DataRecord(0x10, {9}) + EndRecord());
    EXPECT_EQ(HexFault::CrLineEnd, cr.result.fault);
}

TEST(DecodeHexTest, EachFaultNamesItsRecord) {
    struct Case {
        std::string text;
        HexFault fault;
        uint32_t record;
    };
    const std::string three = kFourBytes + kFourBytes;  // records 1 and 2 are fine
    for (const Case& c : {
             Case{"", HexFault::NoText, 0},
             Case{" " + kFourBytes + EndRecord(), HexFault::NoRecordStart, 1},
             Case{three + "\r\n" + EndRecord(), HexFault::NoRecordStart, 3},
             Case{three + ":0400000001020305F2\r\n" + EndRecord(), HexFault::BadChecksum, 3},
             Case{three + HexRecord(0x06, 0, {}) + "\r\n", HexFault::UnknownType, 3},
             Case{three + ":04000000010203", HexFault::RecordPastText, 3},
             Case{three + test::LinearRecord(0x0820) + kFourBytes, HexFault::DataOutsideImage, 4},
             Case{three, HexFault::NoEndRecord, 3},
             Case{kFourBytes + EndRecord(), HexFault::None, 0},
         }) {
        const Decoded d = Decode(c.text);
        EXPECT_EQ(c.fault, d.result.fault) << c.text;
        EXPECT_EQ(c.record, d.result.faultRecord) << c.text;
        EXPECT_EQ(c.fault == HexFault::None, HexFaultReason(d.result).empty()) << c.text;
    }
}

TEST(DecodeHexTest, LowerCaseDigitsAreAccepted) {
    const Decoded d = Decode(":04000000aabbccddee\r\n" + std::string(EndRecord()));
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0, std::memcmp(d.image.data(), "\xAA\xBB\xCC\xDD", 4));
}

TEST(DecodeHexTest, BadChecksumKeepsEarlierData) {
    const Decoded d = Decode(DataRecord(0x100, {7}) + ":0400000001020305F2\r\n" + EndRecord());
    EXPECT_EQ(0, d.result.code);
    EXPECT_EQ(HexFault::BadChecksum, d.result.fault);
    EXPECT_EQ(0x101u, d.result.ImageEnd);
    EXPECT_EQ(7, d.image.data()[0x100]);
    EXPECT_EQ(0, d.image.data()[3]);
}

TEST(DecodeHexTest, MissingEndRecordFailsSilentlyWithResultsSet) {
    const Decoded d = Decode(DataRecord(0x1000, {1, 2}) + DataRecord(0x0800, {3}));
    EXPECT_EQ(0, d.result.code);
    EXPECT_EQ(0x800u, d.result.LowestAddress);
    EXPECT_EQ(0x1002u, d.result.ImageEnd);
}

TEST(DecodeHexTest, LowestAddressIsTheMinimumAndImageEndTheMaximum) {
    const Decoded d = Decode(DataRecord(0x1000, {1, 2, 3, 4}) + DataRecord(0x0800, {5}) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x0800u, d.result.LowestAddress);
    EXPECT_EQ(0x1004u, d.result.ImageEnd);
}

TEST(DecodeHexTest, NoDataRecordGivesLowestAddressZero) {
    const Decoded d = Decode(test::LinearRecord(0x0800) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_FALSE(d.result.foundData);
    EXPECT_EQ(0u, d.result.LowestAddress);
    EXPECT_EQ(0u, d.result.ImageEnd);
}

TEST(DecodeHexTest, LayoutFailuresAreSilent) {
    for (const std::string& text : {
             std::string("\r\n") + kFourBytes + EndRecord(),   // leading blank line
             std::string(" ") + kFourBytes + EndRecord(),      // leading blank
             kFourBytes + "\r\n\r\n" + EndRecord(),             // extra line end
             kFourBytes + HexRecord(0x06, 0, {}) + "\r\n",      // unknown type
             kFourBytes + HexRecord(0x04, 0, {0x08}) + "\r\n" + EndRecord(),  // type 04 with one byte
             std::string(":"),                                  // shorter than 2
             std::string(""),
         }) {
        const Decoded d = Decode(text);
        EXPECT_EQ(0, d.result.code) << text;
    }
}

TEST(DecodeHexTest, StartAddressRecordsAreSkipped) {
    const Decoded d = Decode(HexRecord(0x03, 0, {0, 0, 0x12, 0x34}) + "\r\n" + HexRecord(0x05, 0, {8, 0, 1, 0}) +
                             "\r\n" + kFourBytes + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(4u, d.result.ImageEnd);
}

TEST(DecodeHexTest, NullTextLeavesResultsAtZero) {
    HexImage image;
    const HexDecodeResult r = DecodeHex(std::span<const uint8_t>(), image);
    EXPECT_EQ(0, r.code);
    EXPECT_EQ(0u, r.ImageEnd);
}

TEST(DecodeHexTest, NonHexPairKeepsThePreviousRecordsByteAndOnlyTheChecksumCatchesIt) {
    // The second record's data pair "zz" keeps 0x01 (the first record's data byte
    // at that position), and its checksum was computed for 0x01: it passes.
    const std::string first = HexRecord(0x00, 0x0000, {0x01});
    std::string second = HexRecord(0x00, 0x0000, {0x01});  // same address and type
    second.replace(9, 2, "zz");
    const Decoded d = Decode(first + "\r\n" + second + "\r\n" + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x01, d.image.data()[0]);
}

TEST(DecodeHexTest, NonHexPairInsideALongRecordAlsoKeepsThePreviousByte) {
    std::vector<uint8_t> data(32);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(0xA0 + i);
    const std::string first = HexRecord(0x00, 0x0100, data);
    std::string second = first;
    second.replace(9 + 2 * 13, 2, "g!");  // byte 13 of the data
    const Decoded d = Decode(first + "\r\n" + second + "\r\n" + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0, std::memcmp(d.image.data() + 0x100, data.data(), data.size()));

    // Without a previous record to lend the byte, the checksum catches it.
    EXPECT_EQ(HexFault::BadChecksum, Decode(second + "\r\n" + EndRecord()).result.fault);
}

TEST(DecodeHexTest, NonHexByteCountReadsAsZero) {
    // ":zz" makes N = 0: the record is read as a zero-length data record whose
    // checksum must then balance address and type alone.
    const Decoded d = Decode(":zz001000F0\r\n" + std::string(EndRecord()));
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x10u, d.result.ImageEnd);
}

TEST(DecodeHexTest, ByteCountsUpTo255Decode) {
    std::vector<uint8_t> data(255);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i ^ 0x5A);
    const Decoded d = Decode(DataRecord(0x0100, data) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x100u + 255u, d.result.ImageEnd);
    EXPECT_EQ(0, std::memcmp(d.image.data() + 0x100, data.data(), data.size()));
}

TEST(DecodeHexTest, RecordRunningPastTheTextIsRefusedWithoutReadingPastIt) {
    // Cut inside the data of a 0xFF-byte record: the record is not decoded.
    std::string text = kFourBytes + DataRecord(0x10, std::vector<uint8_t>(0xFF, 0x11));
    text.resize(text.size() - 40);
    // Copy into an exactly sized heap buffer so a read past it is caught by ASan.
    std::vector<uint8_t> exact(text.begin(), text.end());
    HexImage image;
    const HexDecodeResult r = DecodeHex(exact, image);
    EXPECT_EQ(0, r.code);
    EXPECT_EQ(4u, r.ImageEnd);
    EXPECT_EQ(0, image.data()[0x10]);
}

TEST(DecodeHexTest, CutEndRecordIsRefused) {
    std::vector<uint8_t> exact;
    const std::string text = kFourBytes + ":000000";
    exact.assign(text.begin(), text.end());
    HexImage image;
    EXPECT_EQ(0, DecodeHex(exact, image).code);
}

TEST(DecodeHexTest, DataOutsideTheImageIsRefusedAndNotCounted) {
    struct Case {
        uint16_t upper;
        uint16_t address;
    };
    // 0x08200000, 0x00200000, 0x07FFFFF0 and a record that straddles the image end.
    for (const Case c : {Case{0x0820, 0x0000}, Case{0x0020, 0x0000}, Case{0x07FF, 0xFFF0}, Case{0x081F, 0xFFFE}}) {
        const Decoded d = Decode(DataRecord(0x0000, {0x42}) + test::LinearRecord(c.upper) +
                                 DataRecord(c.address, {1, 2, 3, 4}) + EndRecord());
        EXPECT_EQ(0, d.result.code) << std::hex << c.upper << c.address;
        EXPECT_EQ(1u, d.result.ImageEnd);
        EXPECT_EQ(0u, d.result.LowestAddress);
        EXPECT_EQ(0x42, d.image.data()[0]);
    }
}

TEST(DecodeHexTest, DataEndingExactlyAtTheImageEndIsAccepted) {
    const Decoded d = Decode(test::LinearRecord(0x081F) + DataRecord(0xFFFC, {1, 2, 3, 4}) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(kHexImageSize, d.result.ImageEnd);
    EXPECT_EQ(4, d.image.data()[kHexImageSize - 1]);
}

TEST(DecodeHexTest, EverythingAfterTheEndRecordIsIgnored) {
    const Decoded d = Decode(kFourBytes + EndRecord() + "garbage that is not hex at all");
    EXPECT_EQ(1, d.result.code);
}

TEST(DecodeHexTest, DecodesALargeFileInOnePass) {
    const std::string text = test::HexBlock(0x08000000, 0x200000, 32);
    const Decoded d = Decode(text);
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x200000u, d.result.ImageEnd);
    EXPECT_EQ(0x08000000u, d.result.LowestAddress);
    for (uint32_t i : {0u, 1u, 0x12345u, 0x1FFFFFu}) EXPECT_EQ(test::BlockByte(i), d.image.data()[i]);
}

}  // namespace
}  // namespace torvane
