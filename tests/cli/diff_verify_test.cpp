// torvane-cli diff and verify: the ranges and fields they print and the exit
// statuses a script tests, 0 same, 1 different, 2 trouble.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/diff_command.h"
#include "cli/verify_command.h"
#include "core/integrity_fields.h"
#include "formats/image_formats.h"
#include "support/image_text.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace torvane::cli {
namespace {

using test::TempDir;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

template <typename Command>
Result Call(Command command, const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result r;
    r.status = command(args, out, err);
    r.out = test::DrainStream(out);
    r.err = test::DrainStream(err);
    return r;
}
Result Diff(const std::vector<std::string>& args) { return Call(RunDiffCommand, args); }
Result Verify(const std::vector<std::string>& args) { return Call(RunVerifyCommand, args); }

std::string HexText(const SparseImage& image) {
    std::string problem;
    return WriteImage(ImageFormat::IntelHex, image, WriteOptions{}, problem);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.resize(0x400);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 29 + 3);
    }
    TempDir dir;
    std::vector<uint8_t> data;
};

TEST_F(DiffTest, EqualImagesInDifferentFormatsAreTheSame) {
    SparseImage image;
    image.Write(0x08000000, data);
    const std::string hex = dir.Write("a.hex", HexText(image));
    const std::string bin = dir.Write("a.bin", data);
    const std::string srec = dir.Write("a.srec", test::SRecordText(0x08000000, data));
    const std::string elf = dir.Write("a.elf", test::ElfImage(0x08000000, data));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{hex, bin, "--base-b", "8000000"}, {srec, elf}, {bin, hex, "--base-a", "0x08000000"},
          {elf, hex}, {bin, bin}}) {
        const Result r = Diff(args);
        EXPECT_EQ(0, r.status) << args[0] << " " << args[1] << "\n" << r.out << r.err;
        EXPECT_TRUE(Contains(r.out, "same: A and B hold the same 1024 bytes")) << r.out;
    }
    // At base 0 the BIN is elsewhere: all of it only in B.
    const Result apart = Diff({hex, bin});
    EXPECT_EQ(1, apart.status);
    EXPECT_TRUE(Contains(apart.out, "only A  0x08000000-0x080003FF  1024 bytes")) << apart.out;
    EXPECT_TRUE(Contains(apart.out, "only B  0x00000000-0x000003FF  1024 bytes")) << apart.out;
}

// A reader's warning goes to stderr; the file is compared all the same.
TEST_F(DiffTest, AReadersWarningsArePrintedAndTheFileCompared) {
    std::string text = test::SRecordText(0x100, data);
    text.erase(text.rfind("S7"));  // no start record
    const std::string srec = dir.Write("nostart.s19", text);
    const std::string bin = dir.Write("a.bin", data);
    const Result r = Diff({srec, bin, "--base-b", "100"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "torvane-cli: " + srec + ": warning: no start record")) << r.err;
    const Result v = Verify({srec, "--field", "add8@0:100-1FF"});
    EXPECT_TRUE(Contains(v.err, ": warning: no start record")) << v.err;
}

TEST_F(DiffTest, EachDifferenceIsPrintedAtItsAddressWithItsBytes) {
    std::vector<uint8_t> b = data;
    b[0x10] ^= 0xFF;
    b[0x12] ^= 0x01;  // one equal byte between: the same range
    b[0x200] = 0x42;
    b.resize(0x480, 0xAB);  // 0x80 bytes only in B
    const std::string pa = dir.Write("a.bin", std::vector<uint8_t>(data.begin(), data.begin() + 0x3F0));  // B has 0x10 more
    const std::string pb = dir.Write("b.bin", b);
    const Result r = Diff({pa, pb, "--base-a", "100", "--base-b", "100"});
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "differ  0x00000110-0x00000112  3 bytes, 2 differ\n"
                                "        0x00000110  A " + std::string(1, "0123456789ABCDEF"[data[0x10] >> 4]) +
                                    std::string(1, "0123456789ABCDEF"[data[0x10] & 15])))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "differ  0x00000300-0x00000300  1 byte, 1 differs\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "only B  0x000004F0-0x0000057F  144 bytes\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "differ: 3 bytes differ in 2 ranges, 0 bytes only in A (0 ranges), 144 bytes only in B "
                                "(1 range)"))
        << r.out;
    // The same files as images (one of them HEX) give the same lines.
    SparseImage image;
    image.Write(0x100, std::vector<uint8_t>(data.begin(), data.begin() + 0x3F0));
    const Result asHex = Diff({dir.Write("a.hex", HexText(image)), pb, "--base-b", "100"});
    EXPECT_EQ(1, asHex.status);
    EXPECT_EQ(r.out.substr(r.out.find("\ndiffer")), asHex.out.substr(asHex.out.find("\ndiffer")));
}

TEST_F(DiffTest, BytesRangeAndJson) {
    std::vector<uint8_t> b = data;
    for (size_t i = 0x20; i < 0x30; ++i) b[i] ^= 0x80;
    const std::string pa = dir.Write("a.bin", data);
    const std::string pb = dir.Write("b.bin", b);
    const Result few = Diff({pa, pb});
    EXPECT_TRUE(Contains(few.out, "        ... 8 more\n")) << few.out;
    const Result more = Diff({pa, pb, "--bytes", "16"});
    EXPECT_TRUE(Contains(more.out, "0x0000002F  A ")) << more.out;
    EXPECT_FALSE(Contains(more.out, "more\n")) << more.out;
    // A range that leaves the difference out: the same.
    EXPECT_EQ(0, Diff({pa, pb, "--range", "30-3FF"}).status);
    EXPECT_EQ(1, Diff({pa, pb, "--range", "2F-2F"}).status);
    const Result json = Diff({pa, pb, "--format", "json", "--bytes", "1"});
    EXPECT_EQ(1, json.status);
    EXPECT_TRUE(Contains(json.out, "{\"kind\": \"differ\", \"start\": 32, \"end\": 47, \"size\": 16, \"differing\": 16, "
                                   "\"bytes\": [{\"address\": 32, \"a\": "))
        << json.out;
    EXPECT_TRUE(Contains(json.out, "\"summary\": {\"equal\": false, \"same\": 1008, \"differing\": 16")) << json.out;
#ifndef _WIN32
    if (std::system("command -v python3 >/dev/null 2>&1") == 0) {
        const std::string file = dir.Write("diff.json", json.out);
        EXPECT_EQ(0, std::system(("python3 -c 'import json,sys; json.load(open(sys.argv[1]))' '" + file + "'").c_str()));
        const std::string same = dir.Write("same.json", Diff({pa, pa, "--format", "json"}).out);
        EXPECT_EQ(0, std::system(("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                                  "assert d[\"summary\"][\"equal\"] and d[\"ranges\"] == []' '" + same + "'").c_str()));
    }
#endif
}

TEST_F(DiffTest, AFillByteMakesAGapEqualToErasedFlash) {
    // A HEX file with a hole, and the BIN image of the same flash with the hole erased.
    SparseImage holed;
    holed.Write(0, std::vector<uint8_t>(data.begin(), data.begin() + 0x100));
    holed.Write(0x200, std::vector<uint8_t>(data.begin() + 0x200, data.end()));
    std::vector<uint8_t> erased = data;
    std::fill(erased.begin() + 0x100, erased.begin() + 0x200, 0xFF);
    const std::string hex = dir.Write("holed.hex", HexText(holed));
    const std::string bin = dir.Write("erased.bin", erased);
    const Result without = Diff({hex, bin});
    EXPECT_EQ(1, without.status);
    EXPECT_TRUE(Contains(without.out, "only B  0x00000100-0x000001FF  256 bytes")) << without.out;
    const Result with = Diff({hex, bin, "--fill", "FF"});
    EXPECT_EQ(0, with.status) << with.out;
    // A 00-filled gap is not erased flash.
    std::fill(erased.begin() + 0x100, erased.begin() + 0x200, 0x00);
    EXPECT_EQ(1, Diff({hex, dir.Write("zeroed.bin", erased), "--fill", "FF"}).status);
}

TEST_F(DiffTest, TroubleIsStatusTwo) {
    const std::string pa = dir.Write("a.bin", data);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{pa}, {pa, pa, "--fill", "GG"}, {pa, pa, "--range", "10-0"}, {pa, pa, "--bytes", "x"},
          {pa, pa, "--format", "xml"}, {pa, pa, "--base-a", "123456789"}, {pa, dir.File("none.bin")},
          {dir.Write("bad.hex", "garbage\n"), pa}, {pa, pa, "--base-a", "FFFFFF00"}}) {
        const Result r = Diff(args);
        EXPECT_EQ(2, r.status) << args.back() << "\n" << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST_F(DiffTest, HelpNamesTheExitStatuses) {
    const Result help = Call(torvane::cli::Run, {"diff", "--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_TRUE(Contains(help.out, "0 the images are the same, 1 they differ, 2 trouble")) << help.out;
    const Result all = Call(torvane::cli::Run, {"--help"});
    EXPECT_TRUE(Contains(all.out, "torvane-cli diff    A B")) << all.out;
    EXPECT_TRUE(Contains(all.out, "torvane-cli verify  IMAGE")) << all.out;
    EXPECT_TRUE(Contains(Call(torvane::cli::Run, {"verify", "--help"}).out, "0 every field matches, 1 one does not, 2 trouble"));
}

#ifndef _WIN32
// The statuses as a shell script sees them, from the built program.
TEST_F(DiffTest, TheProgramExitsWithTheStatus) {
    const std::string pa = dir.Write("a.bin", data);
    std::vector<uint8_t> b = data;
    b[7] ^= 1;
    const std::string pb = dir.Write("b.bin", b);
    auto status = [&](const std::string& args, const char* out = "/dev/null") {
        const int raw = std::system((std::string(TORVANE_CLI_PATH) + " " + args + " >" + out + " 2>/dev/null").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(0, status("diff '" + pa + "' '" + pa + "'"));
    EXPECT_EQ(1, status("diff '" + pa + "' '" + pb + "'"));
    EXPECT_EQ(2, status("diff '" + pa + "' '" + dir.File("none.bin") + "'"));
    // A closed standard output is trouble, not "they differ".
    EXPECT_EQ(2, status("diff '" + pa + "' '" + pa + "'", "/dev/full"));
}
#endif

class VerifyTest : public DiffTest {
protected:
    // A HEX file at 0x08000000 whose last four bytes hold the CRC-32 of the rest.
    std::string StampedHex(std::vector<uint8_t>* bytes = nullptr) {
        SparseImage image;
        image.Write(0x08000000, data);
        // The sum first: the CRC's range holds it.
        const FieldSpec fields[] = {*ParseFieldSpec("add16@80003FA:8000000-80000FF:be"),
                                    *ParseFieldSpec("crc32@80003FC:8000000-80003FB")};
        WriteFields(image, 0xFF, fields);
        if (bytes) *bytes = image.Read(0x08000000, 0x400, 0);
        return HexText(image);
    }
};

TEST_F(VerifyTest, AStampedImageVerifiesAndAFlippedBitDoesNot) {
    std::vector<uint8_t> bytes;
    const std::string hex = dir.Write("ok.hex", StampedHex(&bytes));
    const std::vector<std::string> fields = {"--field", "add16@80003FA:8000000-80000FF:be", "--field",
                                             "crc32@80003FC:8000000-80003FB"};
    std::vector<std::string> args = {hex};
    args.insert(args.end(), fields.begin(), fields.end());
    const Result ok = Verify(args);
    EXPECT_EQ(0, ok.status) << ok.out << ok.err;
    EXPECT_TRUE(Contains(ok.out, "CRC-32/ISO-HDLC at 0x080003FC over 0x08000000-0x080003FB: stored ")) << ok.out;
    EXPECT_TRUE(Contains(ok.out, "verify: 2 fields match")) << ok.out;
    // One bit in the range of both fields, then one in the stored CRC.
    for (const size_t at : {size_t{0x80}, size_t{0x3FD}}) {
        std::vector<uint8_t> flipped = bytes;
        flipped[at] ^= 0x10;
        args[0] = dir.Write("flipped.bin", flipped);
        std::vector<std::string> withBase = args;
        withBase.insert(withBase.end(), {"--base", "8000000"});
        const Result r = Verify(withBase);
        EXPECT_EQ(1, r.status) << at;
        EXPECT_TRUE(Contains(r.out, "MISMATCH")) << r.out;
        EXPECT_TRUE(Contains(r.out, at == 0x80 ? "verify: 2 of 2 fields do not match" : "verify: 1 of 2 fields do not match"))
            << r.out;
    }
}

TEST_F(VerifyTest, AProjectsMergeFieldsArePositionsFromTheFilesFirstAddress) {
    const std::string hex = dir.Write("merged.hex", StampedHex());
    const std::string project =
        dir.Write("p.ini", "[FileInfo1]\nFileName=boot.bin\nMergeField1=add16@3FA:0-FF:be\nMergeField2=crc32@3FC:0-3FB\n");
    const Result r = Verify({hex, "--config", project});
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "at 0x080003FC over 0x08000000-0x080003FB")) << r.out;
    const std::string wrong = dir.Write("w.ini", "[FileInfo1]\nFileName=boot.bin\nMergeField1=crc32@3F8:0-3F7\n");
    EXPECT_EQ(1, Verify({hex, "--config", wrong}).status);
}

// Saved since fields take the map's addresses, a project's fields are the
// merged HEX file's own addresses; a BIN without a base has positions.
TEST_F(VerifyTest, AProjectsFieldsInTheMapsAddressesAreTheMergedFilesOwn) {
    const std::string hex = dir.Write("merged.hex", StampedHex());
    const std::string flash = dir.Write(
        "f.ini", "[FileInfo1]\nFileName=boot.bin\nMergeFormat=hex\nMergeFieldAddresses=flash\n"
                 "MergeField1=add16@80003FA:8000000-80000FF:be\nMergeField2=crc32@end:start-end\n");
    const Result r = Verify({hex, "--config", flash});
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "CRC-32/ISO-HDLC at 0x080003FC over 0x08000000-0x080003FB")) << r.out;
    // The same fields of a BIN merge without a base are positions from the file's first address.
    const std::string bin = dir.Write(
        "b.ini", "[FileInfo1]\nFileName=boot.bin\nMergeFieldAddresses=flash\n"
                 "MergeField1=add16@3FA:0-FF:be\nMergeField2=crc32@end:start-end\n");
    EXPECT_EQ(0, Verify({hex, "--config", bin}).status);
}

// "end" names the image before the fields written at its end, as the merge
// and the stamp took it: the CRC is the image's last four bytes.
TEST_F(VerifyTest, WordsNameTheImageBeforeTheFieldsAtItsEnd) {
    const std::string hex = dir.Write("ok.hex", StampedHex());
    const Result r = Verify({hex, "--field", "crc32@end:start-end"});
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "at 0x080003FC over 0x08000000-0x080003FB")) << r.out;
    // A chain of them: the length, then the CRC over the image and the length.
    SparseImage image;
    image.Write(0x100, data);
    const FieldSpec chain[] = {*ParseFieldSpec("length32@end:start-end"), *ParseFieldSpec("crc32@end:start-end")};
    WriteFields(image, 0xFF, *ResolveFields(chain, image.lowest(), image.end()));
    const std::string chained = dir.Write("chain.hex", HexText(image));
    const Result both = Verify({chained, "--field", "length32@end:start-end", "--field", "crc32@end:start-end"});
    EXPECT_EQ(0, both.status) << both.out << both.err;
    EXPECT_TRUE(Contains(both.out, "length32 at 0x00000500 over 0x00000100-0x000004FF")) << both.out;
    EXPECT_TRUE(Contains(both.out, "at 0x00000504 over 0x00000100-0x00000503")) << both.out;
}

TEST_F(VerifyTest, TroubleIsStatusTwo) {
    const std::string hex = dir.Write("ok.hex", StampedHex());
    const std::string empty = dir.Write("empty.ini", "[FileInfo1]\nFileName=boot.bin\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{hex}, {hex, "--field", "crc99@0:0-1"}, {hex, "--field", "crc32@80003FC:8000000-80003FF"},
          {hex, "--field", "crc32@0:0-3", "--field", "crc32@2:10-13"}, {dir.File("none.hex"), "--field", "crc32@0:4-7"},
          {hex, "--config", dir.File("none.ini")}, {hex, "--config", empty}, {hex, "--field", "crc32@0:4-7", "--fill", "100"}}) {
        const Result r = Verify(args);
        EXPECT_EQ(2, r.status) << args.back() << "\n" << r.out;
        EXPECT_FALSE(r.err.empty()) << args.back();
    }
}

}  // namespace
}  // namespace torvane::cli
