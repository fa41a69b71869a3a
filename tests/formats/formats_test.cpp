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

TEST(SRecordReader, ChecksCountsChecksumsAndTheEnd) {
    // S1 record of 2 bytes at 0x1000, its count and the start record.
    const std::string good = "S0030000FC\nS1051000AABB85\r\nS5030001FB\rS9031000EC\n";
    const ImageRead read = ReadSRecords(Bytes(good));
    ASSERT_TRUE(read.ok()) << read.reason;
    EXPECT_EQ(0x1000u, read.image.lowest());
    EXPECT_EQ(0x1000u, read.image.start.value());
    EXPECT_EQ(ReadFault::BadChecksum, ReadSRecords(Bytes("S1051000AABB86\nS9031000EC\n")).fault);
    EXPECT_EQ(ReadFault::BadCount, ReadSRecords(Bytes("S1051000AABB85\nS5030002FA\nS9031000EC\n")).fault);
    EXPECT_EQ(ReadFault::NoEnd, ReadSRecords(Bytes("S1051000AABB85\n")).fault);
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
std::vector<uint8_t> TinyElf(bool cutTable = false, bool segmentPastFile = false) {
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
    const ImageRead read = ReadElf(TinyElf());
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
    EXPECT_EQ(ReadFault::CutOff, ReadElf(TinyElf(true)).fault);
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

}  // namespace
}  // namespace torvane
