#include "core/decode_hex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

TEST(DecodeHexTest, SegmentAndLinearAddressesReplaceEachOther) {
    // The later extension sets the base alone: 0x10 * 16 + 0x20, then 0x10000 + 0x20.
    const Decoded d = Decode(test::LinearRecord(1) + test::SegmentRecord(0x10) + DataRecord(0x20, {0xAA}) +
                             test::LinearRecord(1) + DataRecord(0x20, {0xBB}) + EndRecord());
    EXPECT_EQ(1, d.result.code);
    EXPECT_EQ(0x120u, d.result.LowestAddress);
    EXPECT_EQ(0xAA, d.image.data()[0x120]);
    EXPECT_EQ(0xBB, d.image.data()[0x10020]);
}

TEST(DecodeHexTest, AcceptsLineEndsOfEveryKind) {
    const std::string a = HexRecord(0x00, 0x10, {1, 2});
    const std::string b = HexRecord(0x00, 0x20, {3});
    const std::string end = HexRecord(0x01, 0, {});
    for (const std::string& text : {
             a + "\n" + b + "\n" + end + "\n",                // LF, as Linux tools write
             a + "\r" + b + "\r" + end,                      // CR alone, no last line end
             a + " \t\r\n" + b + "\t\n" + end + "  ",           // blanks before the line ends
             a + "\r\n\r\n\n  \n" + b + "\n\r" + end + "\r\n",  // empty lines between records
         }) {
        const Decoded d = Decode(text);
        EXPECT_EQ(1, d.result.code) << text;
        EXPECT_EQ(HexFault::None, d.result.fault) << text;
        EXPECT_EQ(0x21u, d.result.ImageEnd) << text;
        EXPECT_EQ(0x02, d.image.data()[0x11]) << text;
        EXPECT_EQ(0x03, d.image.data()[0x20]) << text;
    }
}

TEST(DecodeHexTest, FaultsCountLinesNotRecords) {
    const Decoded d = Decode(kFourBytes + "\n\r\n" + ":0400000001020305F2\n" + EndRecord());
    EXPECT_EQ(HexFault::BadChecksum, d.result.fault);
    EXPECT_EQ(4u, d.result.faultLine);
    EXPECT_EQ(24u, d.result.faultOffset);
    EXPECT_EQ("line 4: the record's checksum does not match", HexFaultReason(d.result));
}

TEST(DecodeHexTest, EachFaultNamesItsLine) {
    struct Case {
        std::string text;
        HexFault fault;
        uint32_t record;
    };
    const std::string three = kFourBytes + kFourBytes;  // records 1 and 2 are fine
    for (const Case& c : {
             Case{"", HexFault::NoText, 0},
             Case{" " + kFourBytes + EndRecord(), HexFault::NoRecordStart, 1},
             Case{three + "; note\r\n" + EndRecord(), HexFault::NoRecordStart, 3},
             Case{three + " " + EndRecord(), HexFault::NoRecordStart, 3},          // a record must start its line
             Case{kFourBytes.substr(0, 19) + EndRecord(), HexFault::NoRecordStart, 1},  // two on one line
             Case{three + ":04000000010203G4F2\r\n", HexFault::BadDigit, 3},
             Case{three + HexRecord(0x04, 0, {0x08}) + "\r\n", HexFault::BadAddressRecord, 3},
             Case{three + ":0400000001020305F2\r\n" + EndRecord(), HexFault::BadChecksum, 3},
             Case{three + HexRecord(0x06, 0, {}) + "\r\n", HexFault::UnknownType, 3},
             Case{three + ":04000000010203", HexFault::RecordPastText, 3},
             Case{three + test::LinearRecord(0x0820) + kFourBytes, HexFault::DataOutsideImage, 4},
             Case{three, HexFault::NoEndRecord, 3},
             Case{kFourBytes + EndRecord(), HexFault::None, 0},
         }) {
        const Decoded d = Decode(c.text);
        EXPECT_EQ(c.fault, d.result.fault) << c.text;
        EXPECT_EQ(c.record, d.result.faultLine) << c.text;
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

// A file without data is refused (srec_cat: "file contains no data"), its
// lowest address still 0.
TEST(DecodeHexTest, NoDataRecordGivesLowestAddressZero) {
    const Decoded d = Decode(test::LinearRecord(0x0800) + EndRecord());
    EXPECT_EQ(0, d.result.code);
    EXPECT_EQ(HexFault::NoData, d.result.fault);
    EXPECT_FALSE(d.result.foundData);
    EXPECT_EQ(0u, d.result.LowestAddress);
    EXPECT_EQ(0u, d.result.ImageEnd);
}

TEST(DecodeHexTest, LayoutFailuresAreSilent) {
    for (const std::string& text : {
             std::string("\r\n") + kFourBytes + EndRecord(),   // leading blank line
             std::string(" ") + kFourBytes + EndRecord(),      // leading blank
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

TEST(DecodeHexTest, NonHexCharacterFailsItsRecordEvenWhenTheChecksumWouldPass) {
    // A damaged pair once kept the byte the record before had there, and a
    // checksum computed for that byte let it through with the wrong data.
    const std::string first = HexRecord(0x00, 0x0000, {0x01});
    std::string second = HexRecord(0x00, 0x0000, {0x01});
    second.replace(9, 2, "zz");
    std::vector<uint8_t> data(32, 0xA5);
    std::string longRecord = HexRecord(0x00, 0x0100, data);
    longRecord.replace(9 + 2 * 13, 2, "g!");  // inside the eight-byte chunks
    for (const std::string& text : {first + "\r\n" + second + "\r\n" + EndRecord(),
                                    longRecord + "\r\n" + EndRecord(), ":zz001000F0\r\n" + std::string(EndRecord())}) {
        const Decoded d = Decode(text);
        EXPECT_EQ(0, d.result.code) << text;
        EXPECT_EQ(HexFault::BadDigit, d.result.fault) << text;
        EXPECT_TRUE(IsDamagedRecord(d.result.fault));
    }
}

TEST(DecodeHexTest, RecognisesHexTextUnderAnyName) {
    auto starts = [](const std::string& s) { return StartsWithHexRecord(Bytes(s)); };
    EXPECT_TRUE(starts(kFourBytes + "garbage"));
    EXPECT_TRUE(starts(":00000001FF"));
    EXPECT_TRUE(starts(":020000040800F2 \n"));
    EXPECT_FALSE(starts(":0400000001020304F3\r\n"));   // bad checksum
    EXPECT_FALSE(starts(":0400000001020304F2:00"));     // not alone on its line
    EXPECT_FALSE(starts(":04000000010203"));            // cut off
    EXPECT_FALSE(starts(std::string("\x7f" "ELF\x02\x01") + std::string(40, '\0')));
    EXPECT_FALSE(starts(""));
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

// Records out of order are checked byte by byte from the first one on: also
// the ascending ones after it, and a gap between earlier runs stays free.
TEST(DecodeHexTest, RecordsOutOfOrderAreCheckedAgainstEveryEarlierByte) {
    const std::string down = DataRecord(0x20, {1, 2}) + DataRecord(0x10, {3, 4}) + DataRecord(0x00, {5, 6});
    const Decoded d = Decode(down + DataRecord(0x08, {7}) + DataRecord(0x30, {8, 9}) + EndRecord());
    ASSERT_EQ(HexFault::None, d.result.fault) << HexFaultReason(d.result);
    EXPECT_EQ(0x32u, d.result.ImageEnd);
    EXPECT_EQ(0, std::memcmp(d.image.data() + 0x30, "\x08\x09", 2));
    const Decoded clash = Decode(down + DataRecord(0x30, {8, 9}) + DataRecord(0x31, {7}) + EndRecord());
    EXPECT_EQ(HexFault::TwoValues, clash.result.fault);
    EXPECT_EQ("line 5: 0x00000031 is given two values, 0x09 on line 4 and 0x07 on line 5", HexFaultReason(clash.result));
    // Ascending runs with gaps: a record later put into a gap is no clash.
    const Decoded gap = Decode(DataRecord(0x00, {1}) + DataRecord(0x10, {2}) + DataRecord(0x08, {3}) + EndRecord());
    EXPECT_EQ(HexFault::None, gap.result.fault);
    const Decoded back = Decode(DataRecord(0x00, {1, 2}) + DataRecord(0x10, {2}) + DataRecord(0x01, {3}) + EndRecord());
    EXPECT_EQ("line 3: 0x00000001 is given two values, 0x02 on line 1 and 0x03 on line 3", HexFaultReason(back.result));
}

// A window row of S-records as srec_cat writes them without a start address:
// placed, with the warning its log line names; one without data is refused.
TEST(DecodeHexTest, ARowOfSRecordsWithoutAStartRecordIsPlacedWithItsWarning) {
    HexImage image;
    const HexDecodeResult row = DecodeRowFile("app.s19", Bytes("S1050020AABB75\nS5030001FB\n"), image);
    EXPECT_EQ(1, row.code) << HexFaultReason(row);
    EXPECT_EQ(0xAA, image.data()[0x20]);
    EXPECT_EQ(0x22u, row.ImageEnd);
    EXPECT_EQ((std::vector<std::string>{"no start record (S7, S8 or S9): the file gives no start address"}), row.warnings);
    const HexDecodeResult none = DecodeRowFile("none.s19", Bytes("S9030000FC\n"), image);
    EXPECT_EQ(0, none.code);
    EXPECT_EQ(HexFault::NoData, none.fault);
}

// The runs the records wrote, in order or not, and the gaps between them.
TEST(DecodeHexTest, KeepsTheRunsItsRecordsWroteWhateverTheirOrder) {
    const Decoded ascending = Decode(DataRecord(0x00, {1, 2}) + DataRecord(0x02, {3}) + DataRecord(0x10, {4}) + EndRecord());
    EXPECT_EQ((std::vector<ImageRun>{{0, 3}, {0x10, 0x11}}), ascending.result.dataRuns);
    // A record below one already written: the runs come from the bitmap, joined where they touch.
    const Decoded mixed = Decode(DataRecord(0x40, std::vector<uint8_t>(64, 9)) + DataRecord(0x00, {1, 2}) +
                                 DataRecord(0x80, {3}) + DataRecord(0x02, {4}) + EndRecord());
    EXPECT_EQ((std::vector<ImageRun>{{0, 3}, {0x40, 0x81}}), mixed.result.dataRuns);
    // A flash-base file's runs are image indexes.
    const Decoded flash = Decode(test::LinearRecord(0x0800) + DataRecord(0x0100, {1}) + EndRecord());
    EXPECT_EQ((std::vector<ImageRun>{{0x100, 0x101}}), flash.result.dataRuns);
}

TEST(DecodeHexTest, GapsLieBetweenRunsInsideTheRangeTaken) {
    const std::vector<ImageRun> runs = {{0, 4}, {8, 12}, {16, 20}};
    EXPECT_EQ((std::vector<ImageRun>{{4, 8}, {12, 16}}), GapsBetweenRuns(runs, 0, 20));
    // Cut to the range; the bytes before the first run are no gap.
    EXPECT_EQ((std::vector<ImageRun>{{12, 16}}), GapsBetweenRuns(runs, 10, 18));
    EXPECT_EQ((std::vector<ImageRun>{{5, 8}, {12, 16}}), GapsBetweenRuns(runs, 5, 20));
    EXPECT_TRUE(GapsBetweenRuns({{0x100, 0x200}}, 0, 0x200).empty());
}

// The runs of an S-record row, placed by the same rules.
TEST(DecodeHexTest, AnSRecordRowHasItsRunsToo) {
    HexImage image;
    const HexDecodeResult good =
        DecodeRowFile("app.s19", Bytes("S1050020AABB75\nS1040030CCFF\nS9030000FC\n"), image);
    ASSERT_EQ(1, good.code) << HexFaultReason(good);
    EXPECT_EQ((std::vector<ImageRun>{{0x20, 0x22}, {0x30, 0x31}}), good.dataRuns);
}

}  // namespace
}  // namespace torvane
