#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/decode_hex.h"
#include "formats/binary.h"
#include "formats/elf.h"
#include "formats/image_formats.h"
#include "formats/intel_hex.h"
#include "formats/sparse_image.h"
#include "formats/srecord.h"
#include "support/image_text.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

SparseImage RandomImage(std::mt19937& rng, uint32_t segments) {
    SparseImage image;
    for (uint32_t i = 0; i < segments; ++i) {
        const uint32_t address = static_cast<uint32_t>(rng()) & 0xFFFFFF00u;
        std::vector<uint8_t> bytes(1 + rng() % 700);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
        if (address + static_cast<uint64_t>(bytes.size()) <= kAddressSpaceEnd) image.Write(address, bytes);
    }
    return image;
}

TEST(SparseImage, WritesJoinTouchingSegmentsAndLaterBytesWin) {
    SparseImage image;
    const std::vector<uint8_t> a(4, 0xAA), b(4, 0xBB), c(2, 0xCC);
    ASSERT_TRUE(image.Write(0x100, a));
    ASSERT_TRUE(image.Write(0x200, b));
    ASSERT_TRUE(image.Write(0x104, b));  // touches the first: joins it
    ASSERT_EQ(2u, image.segments().size());
    ASSERT_TRUE(image.Write(0x103, c));  // over both halves of the first
    EXPECT_EQ((std::vector<uint8_t>{0xAA, 0xAA, 0xAA, 0xCC, 0xCC, 0xBB, 0xBB, 0xBB}), image.segments()[0].bytes);
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xAA, 0xAA}), image.Read(0xFF, 3, 0xFF));
    EXPECT_FALSE(image.Write(0xFFFFFFFE, a));  // past the 32-bit space: nothing written
    EXPECT_EQ(2u, image.segments().size());
    image.FillRange(0x100, 0x204, 0x00);
    ASSERT_EQ(1u, image.segments().size());
    image.Crop(0x102, 0x106);
    EXPECT_EQ(0x102u, image.lowest());
    EXPECT_EQ(0x106u, image.end());
}

TEST(Formats, NamesChooseTheFormat) {
    for (const char* name : {"a.s19", "A.S28", "b.s37", "c.SREC", "d.mot", "e.sx"})
        EXPECT_EQ(ImageFormat::SRecord, FormatOfName(name)) << name;
    for (const char* name : {"a.elf", "B.AXF", "c.out"}) EXPECT_EQ(ImageFormat::Elf, FormatOfName(name)) << name;
    EXPECT_EQ(ImageFormat::IntelHex, FormatOfName("x.HEX"));
    EXPECT_EQ(ImageFormat::IntelHex, FormatOfName("x.ihx"));
    EXPECT_EQ(ImageFormat::Binary, FormatOfName("x.sx1"));
}

// Any format to any other and back: the same segments (and start address).
TEST(Formats, RandomSparseImagesSurviveEveryRoundTrip) {
    std::mt19937 rng(24);
    for (int round = 0; round < 40; ++round) {
        SparseImage image = RandomImage(rng, 1 + round % 9);
        if (round % 3 == 0) image.start = static_cast<uint32_t>(rng());
        WriteOptions options;
        options.recordSize = 1 + static_cast<uint32_t>(rng() % 255);
        std::string problem;
        const std::string hex = WriteImage(ImageFormat::IntelHex, image, options, problem);
        const ImageRead fromHex = ReadIntelHex(Bytes(hex));
        ASSERT_TRUE(fromHex.ok()) << fromHex.reason;
        EXPECT_EQ(image.segments(), fromHex.image.segments());
        EXPECT_EQ(image.start, fromHex.image.start);
        options.header = "round.s37";
        const std::string srec = WriteImage(ImageFormat::SRecord, fromHex.image, options, problem);
        const ImageRead fromSrec = ReadSRecords(Bytes(srec));
        ASSERT_TRUE(fromSrec.ok()) << fromSrec.reason;
        EXPECT_EQ(image.segments(), fromSrec.image.segments());
        EXPECT_EQ("round.s37", fromSrec.image.header);
        // To BIN over the image's span and back at its lowest address.
        if (image.end() - image.lowest() < (1u << 22)) {
            const std::vector<uint8_t> bin = WriteBinary(fromSrec.image, image.lowest(), image.end(), 0x5A);
            const ImageRead fromBin = ReadBinary(bin, image.lowest());
            SparseImage filled = image;
            filled.FillRange(image.lowest(), image.end(), 0x5A);
            EXPECT_EQ(filled.segments(), fromBin.image.segments());
        }
    }
}

TEST(IntelHexWriter, TypeFourWhereTheUpperHalfChangesAndNoRecordCrossesSixtyFourKiB) {
    SparseImage image;
    image.Write(0x0800FFF8, std::vector<uint8_t>(16, 0x11));
    const std::string hex = WriteIntelHex(image);
    EXPECT_EQ(":020000040800F2\r\n:08FFF800111111111111111179\r\n:020000040801F1\r\n"
              ":08000000111111111111111170\r\n:00000001FF\r\n",
              hex);
}

TEST(IntelHexWriter, EveryDigitInUpperCaseHighDigitFirst) {
    SparseImage image;
    const std::vector<uint8_t> bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF,
                                     0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10, 0x5A};
    image.Write(0, bytes);
    EXPECT_EQ(":100000000123456789ABCDEFFEDCBA9876543210F8\r\n:010010005A95\r\n:00000001FF\r\n", WriteIntelHex(image));
}

TEST(SRecordReader, ChecksCountsChecksumsAndTheEnd) {
    // S1 record of 2 bytes at 0x1000, its count and the start record.
    const std::string good = "S0030000FC\nS1051000AABB85\r\nS5030001FB\rS9031000EC\n";
    const ImageRead read = ReadSRecords(Bytes(good));
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ(0x1000u, read.image.lowest());
    EXPECT_EQ(0x1000u, read.image.start.value());
    EXPECT_EQ(ReadFault::BadChecksum, ReadSRecords(Bytes("S1051000AABB86\nS9031000EC\n")).fault);
    EXPECT_EQ(ReadFault::BadCount, ReadSRecords(Bytes("S1051000AABB85\nS5030002FA\nS9031000EC\n")).fault);
    EXPECT_TRUE(ReadSRecords(Bytes("S1051000AABB85\n")).ok());  // srec_cat writes no start record without a start
    EXPECT_EQ(ReadFault::CutOff, ReadSRecords(Bytes("S1051000AA")).fault);
    const ImageRead bad = ReadSRecords(Bytes("S1051000AABB85\nS1051000AXBB85\n"));
    EXPECT_EQ(ReadFault::BadDigit, bad.fault);
    EXPECT_EQ(2u, bad.line);
    EXPECT_EQ("line 2: the record holds a character that is not a hex digit", bad.reason);
}

TEST(SRecordWriter, RefusesATypeTooSmallForTheAddresses) {
    SparseImage image;
    image.Write(0x10000, std::vector<uint8_t>(4, 1));
    WriteOptions options;
    options.srecType = 1;
    std::string problem;
    EXPECT_TRUE(WriteSRecords(image, options, problem).empty());
    EXPECT_EQ("S1 records cannot hold the address 0x00010003 (S2 or above can)", problem);
}

// A minimal 32-bit big-endian ELF: one PT_LOAD whose physical address is not
// its virtual one, and one without file bytes.
std::vector<uint8_t> TinyElf(bool cutTable, bool segmentPastFile) {
    std::vector<uint8_t> f(52 + 2 * 32 + 4, 0);
    auto put = [&f](size_t at, uint64_t v, int width) {
        for (int i = 0; i < width; ++i) f[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * (width - 1 - i)));
    };
    f[0] = 0x7F, f[1] = 'E', f[2] = 'L', f[3] = 'F', f[4] = 1, f[5] = 2, f[6] = 1;
    put(24, 0x08000001, 4);  // entry
    put(28, 52, 4);          // phoff
    put(42, 32, 2);          // phentsize
    put(44, 2, 2);           // phnum
    put(52, 1, 4), put(56, 116, 4), put(60, 0x20000000, 4), put(64, 0x08000000, 4), put(68, segmentPastFile ? 8 : 4, 4),
        put(72, 8, 4);
    put(84, 1, 4), put(88, 0, 4), put(92, 0x20001000, 4), put(96, 0x20001000, 4), put(100, 0, 4), put(104, 64, 4);
    put(116, 0xDEADBEEF, 4);
    if (cutTable) f.resize(80);
    return f;
}

TEST(ElfReader, PlacesFileBytesAtThePhysicalAddress) {
    const ImageRead read = ReadElf(TinyElf(false, false));
    ASSERT_TRUE(read.ok()) << read.reason;
    ASSERT_EQ(1u, read.image.segments().size());
    EXPECT_EQ(0x08000000u, read.image.lowest());
    EXPECT_EQ((std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}), read.image.segments()[0].bytes);
    EXPECT_EQ(0x08000001u, read.image.start.value());
    ASSERT_EQ(1u, read.origins.size());
    EXPECT_EQ(0x20000000u, read.origins[0].virtualAddress);
}

TEST(ElfReader, RefusesWhatIsNotAWholeElfFile) {
    EXPECT_EQ(ReadFault::NotThisFormat, ReadElf(std::vector<uint8_t>{':', '0', '0'}).fault);
    EXPECT_EQ(ReadFault::CutOff, ReadElf(TinyElf(true, false)).fault);
    const ImageRead past = ReadElf(TinyElf(false, true));
    EXPECT_EQ(ReadFault::CutOff, past.fault);
    EXPECT_EQ("program header 0: its 8 bytes at byte 116 lie outside the file (120 bytes)", past.reason);
}

// The window's decoder and the sparse reader share one scanner: the same fault
// at the same line for the same text.
TEST(IntelHexReader, FaultsAsDecodeHexFindsThem) {
    const std::string text = ":0400000001020304F2\r\n:04000400010203X4EE\r\n:00000001FF\r\n";
    HexImage image;
    const HexDecodeResult window = DecodeHex(Bytes(text), image);
    const ImageRead sparse = ReadIntelHex(Bytes(text));
    EXPECT_EQ(ReadFault::BadDigit, sparse.fault);
    EXPECT_EQ(window.faultLine, sparse.line);
    EXPECT_EQ(HexFaultReason(window), sparse.reason);
    // Data the 2 MiB image cannot hold is only a fault of the window's decoding.
    const std::string high = ":020000041FFFDC\r\n:0400000001020304F2\r\n:00000001FF\r\n";
    EXPECT_EQ(HexFault::DataOutsideImage, DecodeHex(Bytes(high), image).fault);
    const ImageRead far = ReadIntelHex(Bytes(high));
    ASSERT_TRUE(far.ok());
    EXPECT_EQ(0x1FFF0000u, far.image.lowest());
}

// What srec_cat reads, these readers read, or refuse with the line.

TEST(SRecordReader, AFileWithoutAStartRecordIsReadWithAWarning) {
    const ImageRead read = ReadSRecords(Bytes("S0030000FC\nS1051000AABB85\nS5030001FB\n"));
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ((std::vector<uint8_t>{0xAA, 0xBB}), read.image.Read(0x1000, 2, 0));
    EXPECT_FALSE(read.image.start);
    EXPECT_EQ((std::vector<std::string>{"no start record (S7, S8 or S9): the file gives no start address"}),
              read.warnings);
    // Cut inside a record it stays refused.
    const ImageRead cut = ReadSRecords(Bytes("S1051000AABB85\nS1051002AA"));
    EXPECT_EQ(ReadFault::CutOff, cut.fault);
    EXPECT_EQ("line 2: the record is cut off by the end of the file", cut.reason);
}

TEST(SRecordReader, RecordsAfterTheStartRecordAreReadAsTwoFilesJoinedByCat) {
    // boot: 2 bytes at 0x1000, S5 1, S9; app: 1 byte at 0x2000, S5 2 (counts go on), S9.
    const std::string both = "S1051000AABB85\nS5030001FB\nS9031000EC\nS0030000FC\nS10420001CBF\nS5030002FA\nS9032000DC\n";
    const ImageRead read = ReadSRecords(Bytes(both));
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ(2u, read.image.segments().size());
    EXPECT_EQ(0x1Cu, read.image.Read(0x2000, 1, 0)[0]);
    EXPECT_EQ(0x1000u, read.image.start.value());  // the first start record counts
    EXPECT_EQ((std::vector<std::string>{"line 4: records follow the start record of line 3, and are read"}),
              read.warnings);
}

TEST(Readers, AFileWithoutDataIsRefused) {
    EXPECT_EQ(ReadFault::NoData, ReadSRecords(Bytes("S9030000FC\n")).fault);
    EXPECT_EQ("the file contains no data", ReadSRecords(Bytes("S0030000FC\nS9030000FC\n")).reason);
    const ImageRead hex = ReadIntelHex(Bytes(":00000001FF\n"));
    EXPECT_EQ(ReadFault::NoData, hex.fault);
    EXPECT_EQ("the file contains no data", hex.reason);
    // A record without bytes is no data either.
    EXPECT_EQ(ReadFault::NoData, ReadIntelHex(Bytes(":00001000F0\n:00000001FF\n")).fault);
    HexImage image;
    const HexDecodeResult window = DecodeHex(Bytes(":00000001FF\r\n"), image);
    EXPECT_EQ(HexFault::NoData, window.fault);
    EXPECT_EQ(0, window.code);
    EXPECT_EQ("the file contains no data", HexFaultReason(window));
    std::vector<uint8_t> bss = TinyElf(false, false);
    bss[71] = 0;  // the loaded segment's file size: 0, memory only
    EXPECT_EQ(ReadFault::NoData, ReadElf(bss).fault);
}

TEST(IntelHexReader, RecordsOfTheWrongLengthAreRefusedWithTheirLine) {
    const std::string data = ":0400000001020304F2\n";
    for (const auto& [record, reason] : std::vector<std::pair<std::string, std::string>>{
             {":01000001AA54", "line 2: an end-of-file record holds no data (its byte count must be 00)"},
             {":020000050000F9", "line 2: a start address record must hold four bytes"},
             {":020000030000FB", "line 2: a start address record must hold four bytes"},
             {":020010040000EA", "line 2: the address field of an address or start record must be 0000"},
             {":040001050000000CEA", "line 2: the address field of an address or start record must be 0000"}}) {
        const std::string text = data + record + "\n:0400100001020304E2\n:00000001FF\n";
        const ImageRead read = ReadIntelHex(Bytes(text));
        EXPECT_EQ(ReadFault::BadRecord, read.fault) << record;
        EXPECT_EQ(reason, read.reason);
        HexImage image;
        EXPECT_EQ(reason, HexFaultReason(DecodeHex(Bytes(text), image)));
    }
}

TEST(IntelHexReader, ARecordAfterTheEndRecordIsRefusedOtherTextIsNot) {
    const std::string boot = ":0400000001020304F2\r\n:00000001FF\r\n";
    const std::string app = ":0400100001020304E2\r\n:00000001FF\r\n";
    const ImageRead joined = ReadIntelHex(Bytes(boot + app));
    EXPECT_EQ(ReadFault::AfterEnd, joined.fault);
    EXPECT_EQ("line 3: a record follows the end-of-file record, and records after it are not read", joined.reason);
    HexImage image;
    EXPECT_EQ(HexFault::RecordAfterEnd, DecodeHex(Bytes(boot + "\r\n  :0400100001020304E2\r\n"), image).fault);
    // Blanks, empty lines and a Ctrl-Z stay as they were.
    for (const std::string tail : {"", "\r\n\r\n  \r\n", "\x1A", "\r\n\x1A"}) {
        const ImageRead read = ReadIntelHex(Bytes(boot + tail));
        EXPECT_TRUE(read.ok() && read.warnings.empty()) << read.reason;
    }
    // Other text is not read (as srec_cat reads it), and the warning says so.
    const ImageRead note = ReadIntelHex(Bytes(boot + "\r\nsigned: build 42\r\n"));
    ASSERT_TRUE(note.ok()) << note.reason;
    EXPECT_EQ((std::vector<std::string>{"line 4: text after the end-of-file record is not read"}), note.warnings);
    // On the end record's own line, text is refused as on any record's.
    EXPECT_EQ(ReadFault::Syntax, ReadIntelHex(Bytes(":0400000001020304F2\n:00000001FF x\n")).fault);
}

TEST(Readers, OneAddressGivenTwoValuesIsRefusedTheSameValueTwiceIsNot) {
    // 0x0002..0x0003 again, the first with its own value, the second not.
    const std::string hex = ":0400000001020304F2\n:0100100011DE\n:020002000305F4\n:00000001FF\n";
    const ImageRead read = ReadIntelHex(Bytes(hex));
    EXPECT_EQ(ReadFault::TwoValues, read.fault);
    EXPECT_EQ("line 3: 0x00000003 is given two values, 0x04 on line 1 and 0x05 on line 3", read.reason);
    HexImage image;
    const HexDecodeResult window = DecodeHex(Bytes(hex), image);
    EXPECT_EQ(HexFault::TwoValues, window.fault);
    EXPECT_EQ(0, window.code);
    EXPECT_EQ(read.reason, HexFaultReason(window));
    const std::string same = ":0400000001020304F2\n:0100100011DE\n:020002000304F5\n:00000001FF\n";
    const ImageRead again = ReadIntelHex(Bytes(same));
    ASSERT_TRUE(again.ok()) << again.reason;
    EXPECT_EQ((std::vector<std::string>{"line 3: the record gives 0x00000002 the value it was given before"}),
              again.warnings);
    EXPECT_EQ(again.warnings, DecodeHex(Bytes(same), image).warnings);
    // Two addresses that meet in the window's image: 0x00000010 and 0x08000010.
    const std::string alias = ":0100100011DE\n:020000040800F2\n:0100100022CD\n:00000001FF\n";
    EXPECT_TRUE(ReadIntelHex(Bytes(alias)).ok());
    EXPECT_EQ("line 3: 0x00000010 (line 1, 0x11) and 0x08000010 (line 3, 0x22) fall on one place of the 2 MiB image "
              "with two values",
              HexFaultReason(DecodeHex(Bytes(alias), image)));
    const ImageRead srec = ReadSRecords(Bytes("S1051000AABB85\nS1041001CC1E\n"));
    EXPECT_EQ(ReadFault::TwoValues, srec.fault);
    EXPECT_EQ("line 2: 0x00001001 is given two values, 0xBB on line 1 and 0xCC on line 2", srec.reason);
    EXPECT_TRUE(ReadSRecords(Bytes("S1051000AABB85\nS1041001BB2F\n")).ok());
}

TEST(ElfReader, RefusesSegmentsThatDisagreeOrHoldMoreThanTheirMemory) {
    std::vector<uint8_t> both = TinyElf(false, false);
    // The second segment loads the same 4 file bytes at 0x08000002.
    both[88 + 3] = 116, both[96] = 0x08, both[97] = 0, both[98] = 0, both[99] = 2, both[103] = 4;
    const ImageRead read = ReadElf(both);
    EXPECT_EQ(ReadFault::TwoValues, read.fault);
    EXPECT_EQ("program header 1: 0x08000002 is given two values, 0xBE by program header 0 and 0xDE by program header 1",
              read.reason);
    std::vector<uint8_t> big = TinyElf(false, false);
    big[75] = 2;  // memory size 2, file size 4
    EXPECT_EQ("program header 0: its file size 0x4 is larger than its memory size 0x2", ReadElf(big).reason);
}

TEST(IntelHexReader, ARecordPastItsSegmentsEndWrapsToItsStart) {
    // Segment 0x1000: 0x10000 + 0xFFFF, two bytes: 0x1FFFF, then 0x10000 (as srec_cat places them).
    const std::string text = ":020000021000EC\n:02FFFF000102FD\n:00000001FF\n";
    const ImageRead read = ReadIntelHex(Bytes(text));
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ(0x02u, read.image.Read(0x10000, 1, 0)[0]);
    EXPECT_EQ(0x01u, read.image.Read(0x1FFFF, 1, 0)[0]);
    EXPECT_EQ(2u, read.image.dataSize());
    HexImage image;
    ASSERT_EQ(HexFault::None, DecodeHex(Bytes(text), image).fault);
    EXPECT_EQ(0x02u, image.data()[0x10000]);
    // A linear base runs on.
    const ImageRead linear = ReadIntelHex(Bytes(":020000040001F9\n:02FFFF000102FD\n:00000001FF\n"));
    EXPECT_EQ(0x02u, linear.image.Read(0x20000, 1, 0)[0]);
    // The last of 02 to 05 chooses, the base kept: 04 then 03 wraps in the segment,
    // 02 then 05 runs on.
    const ImageRead start03 = ReadIntelHex(Bytes(":020000040001F9\n:0400000300000000F9\n:02FFFF000102FD\n:00000001FF\n"));
    EXPECT_EQ(0x02u, start03.image.Read(0x10000, 1, 0)[0]);
    const ImageRead start05 = ReadIntelHex(Bytes(":020000021000EC\n:0400000500000000F7\n:02FFFF000102FD\n:00000001FF\n"));
    EXPECT_EQ(0x02u, start05.image.Read(0x20000, 1, 0)[0]);
}

bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

void Save(const std::string& path, std::span<const uint8_t> bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(IntelHexWriter, LinesAreObjcopysForTheSameBytes) {
    if (!Have("objcopy")) GTEST_SKIP() << "objcopy is not installed";
    test::TempDir dir;
    std::mt19937 rng(5);
    std::vector<uint8_t> bytes(200000);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    Save(dir.File("in.bin"), bytes);
    ASSERT_EQ(0, std::system(("objcopy -I binary -O ihex --change-addresses 0x0800FF00 " + dir.File("in.bin") + " " +
                              dir.File("o.hex") + " && grep -v '^:04000005' " + dir.File("o.hex") + " > " +
                              dir.File("o2.hex")).c_str()));
    SparseImage image;
    image.Write(0x0800FF00, bytes);
    EXPECT_EQ(Load(dir.File("o2.hex")), WriteIntelHex(image));
}

TEST(SRecordWriter, SrecCatReadsItWithoutAWarningAndFindsItEqual) {
    if (!Have("srec_cat") || !Have("srec_cmp")) GTEST_SKIP() << "srecord (srec_cat, srec_cmp) is not installed";
    test::TempDir dir;
    std::mt19937 rng(7);
    SparseImage image = RandomImage(rng, 6);
    image.start = 0x08000101;
    WriteOptions options;
    options.header = "t.s37";
    std::string problem;
    const std::string srec = WriteSRecords(image, options, problem);
    Save(dir.File("t.s37"), Bytes(srec));
    Save(dir.File("t.hex"), Bytes(WriteIntelHex(image)));
    const std::string warn = dir.File("warn.txt");
    ASSERT_EQ(0, std::system(("srec_cat " + dir.File("t.s37") + " -o " + dir.File("c.hex") + " -intel 2> " + warn).c_str()));
    EXPECT_EQ("", Load(warn));
    EXPECT_EQ(0, std::system(("srec_cmp " + dir.File("t.s37") + " " + dir.File("t.hex") + " -intel").c_str()));
}

// The pieces a writer hands its sink, kept.
struct Pieces {
    std::vector<size_t> sizes;
    std::string text;
    size_t refuseAt = SIZE_MAX;  // the piece the sink refuses, from 0
    ByteSink Sink() {
        return [this](const void* data, size_t size) {
            if (sizes.size() == refuseAt) {
                sizes.push_back(size);
                return false;
            }
            sizes.push_back(size);
            text.append(static_cast<const char*>(data), size);
            return true;
        };
    }
};

TEST(StreamedWriters, PiecesOfAtLeastAMiBMakeTheWholeText) {
    std::mt19937 rng(11);
    SparseImage image;
    std::vector<uint8_t> bytes(1536 * 1024);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    image.Write(0x0800FF00, bytes);
    image.Write(0x20000000, std::vector<uint8_t>(5, 0xAB));
    image.start = 0x08000101;
    WriteOptions options;
    options.header = "big.s37";
    for (const ImageFormat format : {ImageFormat::IntelHex, ImageFormat::SRecord}) {
        Pieces pieces;
        std::string problem;
        ASSERT_TRUE(WriteImage(format, image, options, pieces.Sink(), problem)) << problem;
        EXPECT_EQ(WriteImage(format, image, options, problem), pieces.text);
        ASSERT_GE(pieces.sizes.size(), 3u);
        // Each but the last as large as a file write's own pieces: written without a copy.
        for (size_t i = 0; i + 1 < pieces.sizes.size(); ++i) EXPECT_GE(pieces.sizes[i], size_t{1} << 20);
    }
}

TEST(StreamedWriters, StopAtARefusedPieceAndTellAProblemBeforeAnyPiece) {
    SparseImage image;
    image.Write(0x10000, std::vector<uint8_t>(3 << 20, 0x11));
    for (const ImageFormat format : {ImageFormat::IntelHex, ImageFormat::SRecord}) {
        Pieces pieces;
        pieces.refuseAt = 0;
        std::string problem;
        EXPECT_FALSE(WriteImage(format, image, WriteOptions{}, pieces.Sink(), problem));
        EXPECT_EQ("", problem);
        EXPECT_EQ(1u, pieces.sizes.size());
    }
    WriteOptions options;
    options.srecType = 1;
    Pieces pieces;
    std::string problem;
    EXPECT_FALSE(WriteImage(ImageFormat::SRecord, image, options, pieces.Sink(), problem));
    EXPECT_EQ("S1 records cannot hold the address 0x0030FFFF (S2 or above can)", problem);
    EXPECT_EQ(problem, WriteProblem(ImageFormat::SRecord, image, options));
    EXPECT_TRUE(pieces.sizes.empty());
    options.srecType = 0;
    options.recordSize = 0;
    EXPECT_EQ("a record holds 1 to 255 data bytes", WriteProblem(ImageFormat::IntelHex, image, options));
    EXPECT_EQ("", WriteProblem(ImageFormat::IntelHex, image, WriteOptions{}));
}

TEST(BinaryWriter, PlacesBytesFillsBetweenAndKeepsToTheRange) {
    const std::vector<uint8_t> a{1, 2}, b{3};
    const std::vector<PlacedBytes> places{{0x10, a}, {0x14, b}};
    auto write = [&places](uint32_t from, uint64_t to) {
        Pieces pieces;
        EXPECT_TRUE(WriteBinary(places, from, to, 0xFF, pieces.Sink()));
        return std::vector<uint8_t>(pieces.text.begin(), pieces.text.end());
    };
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF, 1, 2, 0xFF, 0xFF, 3, 0xFF}), write(0x0E, 0x16));
    EXPECT_EQ((std::vector<uint8_t>{2, 0xFF}), write(0x11, 0x13));
    EXPECT_EQ((std::vector<uint8_t>{}), write(0x12, 0x12));
    EXPECT_EQ(std::vector<uint8_t>(100000, 0xFF), write(0x100, 0x100 + 100000));  // after every piece
    // The pieces' bytes go on where they lie.
    std::vector<const void*> handed;
    ASSERT_TRUE(WriteBinary(places, 0x10, 0x12, 0, [&handed](const void* data, size_t) {
        handed.push_back(data);
        return true;
    }));
    EXPECT_EQ(std::vector<const void*>{a.data()}, handed);
    Pieces pieces;
    pieces.refuseAt = 1;
    EXPECT_FALSE(WriteBinary(places, 0x0E, 0x16, 0, pieces.Sink()));
    EXPECT_EQ(2u, pieces.sizes.size());
}

// Reading in place gives ReadElf's outcome and the same BIN, for files read
// whole and for every fault the headers can give.
TEST(ElfInPlace, GivesReadElfsOutcomeWithoutACopy) {
    std::vector<std::vector<uint8_t>> files{TinyElf(false, false), TinyElf(true, false), TinyElf(false, true)};
    files.push_back(TinyElf(false, false));
    files.back()[71] = 0;  // memory only: no data
    files.push_back(TinyElf(false, false));
    files.back()[75] = 2;  // file size past memory size
    files.push_back(TinyElf(false, false));
    // The second header loads the same 4 bytes right after the first: they touch.
    files.back()[88 + 3] = 116, files.back()[103] = 4;
    files.back()[96] = 0x08, files.back()[97] = 0, files.back()[98] = 0, files.back()[99] = 4;
    files.push_back(test::ElfImage(0x08000000, std::vector<uint8_t>(300, 0x5A)));
    for (size_t i = 0; i < files.size(); ++i) {
        const std::vector<uint8_t>& file = files[i];
        std::vector<PlacedBytes> places;
        const std::optional<ImageRead> inPlace = ReadElfInPlace(file, places);
        ASSERT_TRUE(inPlace) << i;
        const ImageRead read = ReadElf(file);
        EXPECT_EQ(read.fault, inPlace->fault) << i;
        EXPECT_EQ(read.reason, inPlace->reason) << i;
        EXPECT_EQ(read.offset, inPlace->offset) << i;
        EXPECT_EQ(read.origins.size(), inPlace->origins.size()) << i;
        EXPECT_EQ(read.image.start, inPlace->image.start) << i;
        EXPECT_TRUE(inPlace->image.segments().empty());
        if (!read.ok()) continue;
        for (const PlacedBytes& p : places) {
            EXPECT_GE(p.bytes.data(), file.data());
            EXPECT_LE(p.bytes.data() + p.bytes.size(), file.data() + file.size());
        }
        Pieces pieces;
        ASSERT_TRUE(WriteBinary(places, read.image.lowest(), read.image.end(), 0, pieces.Sink()));
        const std::vector<uint8_t> whole = WriteBinary(read.image, read.image.lowest(), read.image.end(), 0);
        EXPECT_EQ(std::string(whole.begin(), whole.end()), pieces.text) << i;
    }
    // Loads that overlap are compared byte by byte: only ReadElf does that.
    std::vector<uint8_t> both = TinyElf(false, false);
    both[88 + 3] = 116, both[96] = 0x08, both[97] = 0, both[98] = 0, both[99] = 2, both[103] = 4;
    std::vector<PlacedBytes> places;
    EXPECT_FALSE(ReadElfInPlace(both, places));
}

TEST(ReadProgress, TellsRecordStartsAboutEveryMiBAndChangesNothing) {
    SparseImage image;
    image.Write(0x08000000, std::vector<uint8_t>(900 * 1024, 0x3C));
    std::string problem;
    const std::string hex = WriteIntelHex(image);
    const std::string srec = WriteSRecords(image, WriteOptions{}, problem);
    for (const std::string* text : {&hex, &srec}) {
        const ImageFormat format = text == &hex ? ImageFormat::IntelHex : ImageFormat::SRecord;
        std::vector<uint64_t> told;
        const ImageRead read = ReadImage(format, Bytes(*text), 0, [&told](uint64_t at) { told.push_back(at); });
        ASSERT_TRUE(read.ok()) << read.reason;
        EXPECT_EQ(image.segments(), read.image.segments());
        ASSERT_EQ(2u, told.size());  // 2.6 and 2.8 MB of text
        for (size_t i = 0; i < told.size(); ++i) {
            EXPECT_GE(told[i], (i + 1) << 20);
            EXPECT_LT(told[i], ((i + 1) << 20) + 100);
            EXPECT_EQ(format == ImageFormat::IntelHex ? ':' : 'S', (*text)[told[i]]);
        }
    }
    // A fault's line is found by going over the text again: from the start.
    const std::string clash = hex.substr(0, hex.size() - 13) + ":01000000AA55\r\n:00000001FF\r\n";
    std::vector<uint64_t> told;
    const ImageRead read = ReadIntelHex(Bytes(clash), nullptr, [&told](uint64_t at) { told.push_back(at); });
    EXPECT_EQ(ReadIntelHex(Bytes(clash)).reason, read.reason);
    EXPECT_EQ(ReadFault::TwoValues, read.fault);
    ASSERT_EQ(4u, told.size());
    EXPECT_LT(told[2], told[1]);
}

}  // namespace
}  // namespace torvane
