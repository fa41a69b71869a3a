// torvane-cli stamp and merge --field, compared with the tools of the field:
// srec_cat's CRC filters, Python's crcmod for the presets srec_cat lacks, and
// sha256sum.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/stamp_command.h"
#include "platform/format.h"
#include "support/temp_dir.h"

namespace torvane::cli {
namespace {

using test::ReadBytes;
using test::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

Result Stamp(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result r;
    r.status = RunStampCommand(args, out, err);
    r.out = test::DrainStream(out);
    r.err = test::DrainStream(err);
    return r;
}

class StampTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string data(0x7FFC, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 37 + (i >> 7));
        image = dir.Write("app.bin", data);
    }
    TempDir dir;
    std::string image;
};

TEST_F(StampTest, FieldsWriteTheValueAtTheirAddressInTheirOrder) {
    const Result r = Stamp({image, "-o", dir.File("out.bin"), "--field", "length32@8000:0-7FFB", "--field",
                            "crc32@8004:0-8003:be"});
    ASSERT_EQ(0, r.status) << r.err;
    const std::vector<uint8_t> out = ReadBytes(dir.File("out.bin"));
    ASSERT_EQ(0x8008u, out.size());
    EXPECT_EQ(0xFF, out[0x7FFC]);  // the gap before a field past the end takes the fill byte
    EXPECT_EQ((std::vector<uint8_t>{0xFC, 0x7F, 0x00, 0x00}), std::vector<uint8_t>(out.begin() + 0x8000, out.begin() + 0x8004));
    // The CRC covers the length written before it.
    EXPECT_NE(std::string::npos, r.out.find("CRC-32/ISO-HDLC = ")) << r.out;
}

// The words name the image's own addresses: start its lowest, end one past
// its highest (and past a field written before).
TEST_F(StampTest, WordsNameTheImagesOwnAddresses) {
    const Result r = Stamp({image, "-o", dir.File("ours.bin"), "--field", "length32@end:start-end", "--field",
                            "crc32@end:start-end"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("length32 = 00007FFC at 0x00007FFC over 0x00000000-0x00007FFB\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(" at 0x00008000 over 0x00000000-0x00007FFF\n")) << r.out;
    const Result n = Stamp({image, "-o", dir.File("numbers.bin"), "--field", "length32@7FFC:0-7FFB", "--field",
                            "crc32@8000:0-7FFF"});
    ASSERT_EQ(0, n.status) << n.err;
    EXPECT_EQ(ReadBytes(dir.File("numbers.bin")), ReadBytes(dir.File("ours.bin")));
    // A BIN at a base: start is the base.
    const Result based = Stamp({image, "-o", dir.File("based.hex"), "--base", "8000000", "--field", "crc32@end:start-end"});
    ASSERT_EQ(0, based.status) << based.err;
    EXPECT_NE(std::string::npos, based.out.find(" at 0x08007FFC over 0x08000000-0x08007FFB\n")) << based.out;
}

TEST_F(StampTest, FieldsThatCannotBeWrittenAreRefusedBeforeAnyWrite) {
    // A length may count itself; any other value may not cover itself.
    EXPECT_EQ(0, Stamp({image, "-o", dir.File("len.bin"), "--field", "length32@7FFC:0-7FFF"}).status);
    for (const char* text : {"crc32@100:0-7FFB", "crc31@7FFC:0-7FFB", "crc32@7FFC:7FFB-0", "crc32@7FFC:0-7FFB:xx"}) {
        EXPECT_NE(0, Stamp({image, "-o", dir.File("out.bin"), "--field", text}).status) << text;
    }
    EXPECT_EQ(1, Stamp({image, "-o", dir.File("out.bin"), "--field", "crc32@8000:0-7FFB", "--field",
                        "add16@8002:0-10"}).status);  // two fields overlap
    EXPECT_EQ(1, Stamp({image, "-o", image, "--field", "crc32@7FFC:0-7FFB"}).status);  // onto the input
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
    EXPECT_EQ(0, Stamp({image, "-o", image, "--in-place", "--field", "crc32@7FFC:0-7FFB"}).status);
    EXPECT_EQ(0x8000u, ReadBytes(image).size());
}

TEST_F(StampTest, AFieldInTheRangeOfAnEarlierOneIsRefused) {
    // The SHA-256 would land in the CRC's range after the CRC was computed.
    const Result r = Stamp({image, "-o", dir.File("out.bin"), "--field", "crc32@7FFC:0-7FFB", "--field",
                            "sha256@7FC0:0-7FBF"});
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("sha256@7FC0:0-7FBF lies inside the range of CRC-32/ISO-HDLC@7FFC:0-7FFB"))
        << r.err;
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
    // In the other order the CRC covers the digest: the value a bootloader recomputes.
    EXPECT_EQ(0, Stamp({image, "-o", dir.File("out.bin"), "--field", "sha256@7FC0:0-7FBF", "--field",
                        "crc32@7FFC:0-7FFB"}).status);
}

TEST_F(StampTest, AFieldFarPastTheImageIsRefusedAtOnceInEveryFormat) {
    // Each would once have built the gap: 4 GiB, or a 755 MB HEX file.
    for (const char* out : {"far.hex", "far.s37", "far.bin"}) {
        for (const char* field : {"crc32@FFFFFFF0:0-F", "crc32@10000000:0-F", "crc32@4008000:0-F"}) {
            const Result r = Stamp({image, "-o", dir.File(out), "--field", field});
            EXPECT_EQ(1, r.status) << out << " " << field;
            EXPECT_NE(std::string::npos, r.err.find("would extend the image from 0x00007FFC")) << r.err;
            EXPECT_NE(std::string::npos, r.err.find("more than 64 MiB")) << r.err;
            EXPECT_FALSE(test::Exists(dir.File(out)));
        }
    }
    // Within 64 MiB of growth the image grows, the gap taking the fill byte.
    const Result r = Stamp({image, "-o", dir.File("near.s37"), "--fill", "A5", "--field", "crc32@200000:0-F"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0, Stamp({dir.File("near.s37"), "-o", dir.File("near.bin"), "--field", "add8@200004:0-0"}).status);
    const std::vector<uint8_t> bin = ReadBytes(dir.File("near.bin"));
    ASSERT_EQ(0x200005u, bin.size());
    EXPECT_EQ(0xA5, bin[0x1FFFFF]);
}

TEST_F(StampTest, ARangeThatIsMostlyGapIsComputedWithoutBuildingIt) {
    // 4 GiB less 0x8000 bytes of 0xFF after the image: a sum of a run takes
    // no time and no memory.
    const Result r = Stamp({image, "-o", dir.File("sum.hex"), "--field", "add32@0:8000-FFFFFFFF"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find(Format("= %08X at", static_cast<uint32_t>(0xFFFF8000ull * 0xFF)))) << r.out;
}

#ifndef _WIN32
bool Have(const char* command) { return std::system((std::string("command -v ") + command + " >/dev/null 2>&1").c_str()) == 0; }

TEST_F(StampTest, CrcsAndSumsAreSrecCatsAndCrcmodsAndShaIsSha256sums) {
    if (!Have("srec_cat")) GTEST_SKIP() << "srec_cat is not installed";
    struct Case {
        const char* field;
        const char* srec;  // srec_cat's filter for the same value at 0x7FFC
    };
    for (const Case& c : {Case{"crc32@7FFC:0-7FFB", "-crc32-l-e 0x7FFC"}, Case{"xmodem@7FFC:0-7FFB:be", "-crc16-b-e 0x7FFC -xmodem"},
                          Case{"stm32@7FFC:0-7FFB", "-stm32-l-e 0x7FFC"},
                          Case{"sum8@7FFC:0-7FFB", "-checksum-bitnot-l-e 0x7FFC 1"},
                          Case{"length32@7FFC:0-7FFF", "-length-l-e 0x7FFC 4"},
                          Case{"add16@7FFC:0-7FFB", "-checksum-positive-l-e 0x7FFC 2"}}) {
        ASSERT_EQ(0, Stamp({image, "-o", dir.File("ours.bin"), "--field", c.field}).status) << c.field;
        const std::string command = "srec_cat '" + image + "' -binary " + c.srec + " -o '" + dir.File("theirs.bin") + "' -binary";
        ASSERT_EQ(0, std::system(command.c_str())) << command;
        EXPECT_EQ(ReadBytes(dir.File("theirs.bin")), ReadBytes(dir.File("ours.bin"))) << c.field;
    }
    if (std::system("/usr/bin/python3 -c 'import crcmod' 2>/dev/null") == 0) {
        for (const auto& [field, name] : {std::pair<const char*, const char*>{"crc32c", "crc-32c"}, {"modbus", "modbus"},
                                          {"crc-16/kermit", "kermit"}}) {
            const Result r = Stamp({image, "-o", dir.File("ours.bin"), "--field", std::string(field) + "@8000:0-7FFB:be"});
            ASSERT_EQ(0, r.status) << r.err;
            const std::string command = "/usr/bin/python3 -c \"import crcmod.predefined as p; d=open('" + image +
                                        "','rb').read(); print('%X' % p.mkCrcFun('" + name + "')(d))\" > '" +
                                        dir.File("crc.txt") + "'";
            ASSERT_EQ(0, std::system(command.c_str()));
            std::string theirs = test::ReadText(dir.File("crc.txt"));
            theirs.pop_back();
            const std::vector<uint8_t> out = ReadBytes(dir.File("ours.bin"));
            std::string ours;
            for (size_t i = 0x8000; i < out.size(); ++i) ours += "0123456789ABCDEF"[out[i] >> 4], ours += "0123456789ABCDEF"[out[i] & 15];
            while (ours.size() > 1 && ours[0] == '0') ours.erase(0, 1);
            EXPECT_EQ(theirs, ours) << field;
        }
    }
    if (Have("sha256sum")) {
        ASSERT_EQ(0, Stamp({image, "-o", dir.File("ours.bin"), "--field", "sha256@8000:0-7FFB"}).status);
        ASSERT_EQ(0, std::system(("sha256sum '" + image + "' | cut -c1-64 > '" + dir.File("sha.txt") + "'").c_str()));
        std::string theirs = test::ReadText(dir.File("sha.txt"));
        theirs.pop_back();
        const std::vector<uint8_t> out = ReadBytes(dir.File("ours.bin"));
        std::string ours;
        for (size_t i = 0x8000; i < out.size(); ++i) ours += "0123456789abcdef"[out[i] >> 4], ours += "0123456789abcdef"[out[i] & 15];
        EXPECT_EQ(theirs, ours);
    }
}
#endif

}  // namespace
}  // namespace torvane::cli
