#include "core/memory_map_format.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

MergeMap ExampleMap() {
    MergeMapRecorder rec;
    rec.File(0, 256, 1, "/abs/a.bin");
    rec.Fill(256, 512, 0xFF);
    rec.File(512, 768, 2, "/abs/b.bin");
    return rec.Finish(1280);
}

TEST(MemoryMapFormatTest, JsonHasTheDocumentedShape) {
    EXPECT_EQ("{\"image_size\": 1280,\n"
              " \"base\": 0,\n"
              " \"ranges\": [\n"
              "  {\"start\": 0, \"end\": 255, \"kind\": \"file\", \"row\": 1, \"path\": \"/abs/a.bin\"},\n"
              "  {\"start\": 256, \"end\": 511, \"kind\": \"fill\", \"byte\": 255},\n"
              "  {\"start\": 512, \"end\": 1279, \"kind\": \"file\", \"row\": 2, \"path\": \"/abs/b.bin\"}],\n"
              " \"left_out\": [],\n"
              " \"stopped\": null}\n",
              MergeMapJson(ExampleMap()));
}

TEST(MemoryMapFormatTest, ABaseTurnsOffsetsIntoAddressesWhereTheMapIsShown) {
    MergeMap map = ExampleMap();
    map.base = 0x08000000;
    const std::string text = MergeMapText(map);
    EXPECT_EQ(0u, text.find("0x08000000  0x080000FF")) << text;
    EXPECT_NE(std::string::npos, text.find("addresses are image offsets + base 0x08000000")) << text;
    // JSON keeps the image offsets and says the base.
    EXPECT_NE(std::string::npos, MergeMapJson(map).find("\"base\": 134217728,\n \"ranges\": [\n  {\"start\": 0,"));
    const std::string svg = MergeMapSvg(map);
    EXPECT_NE(std::string::npos, svg.find("0x08000200 - 0x080004FF")) << svg;
    EXPECT_EQ(std::string::npos, svg.find("0x00000200"));
}

// A gap between a HEX file's records: its own kind, its row and the byte it holds.
TEST(MemoryMapFormatTest, AGapInsideAFileIsARangeOfItsOwnInEveryForm) {
    MergeMapRecorder rec;
    rec.File(0, 0x40, 1, "/abs/boot.hex");
    rec.Gap(0x10, 0x30, 1, "/abs/boot.hex", 0xFF, 0);
    MergeMap map = rec.Finish(0x40);
    map.base = 0x08000000;
    ASSERT_EQ(3u, map.ranges.size());
    EXPECT_EQ(0x20, map.ranges[2].sourceOffset - map.ranges[1].sourceOffset);
    EXPECT_NE(std::string::npos,
              MergeMapText(map).find("0x08000010  0x0800002F          32  gap      row 1  byte 0xFF  /abs/boot.hex\n"))
        << MergeMapText(map);
    EXPECT_NE(std::string::npos,
              MergeMapJson(map).find(
                  "{\"start\": 16, \"end\": 47, \"kind\": \"gap\", \"row\": 1, \"byte\": 255, \"path\": \"/abs/boot.hex\"}"));
    const std::string svg = MergeMapSvg(map);
    EXPECT_NE(std::string::npos, svg.find("fill=\"url(#gap1)\"")) << svg;
    EXPECT_NE(std::string::npos, svg.find("文件1内的空隙 填充 0xFF  boot.hex")) << svg;
}

TEST(MemoryMapFormatTest, JsonStringsStayValidWhateverThePath) {
    EXPECT_EQ("\"a\\\"b\\\\c\\u000a\\ufffd固件\"", JsonString("a\"b\\c\n\xff固件"));
}

TEST(MemoryMapFormatTest, JsonStringsTakeOnlyWellFormedUtf8) {
    // A surrogate, an overlong '/', a value past U+10FFFF, a lead byte past F4.
    EXPECT_EQ("\"\\ufffd\\ufffd\\ufffd\"", JsonString("\xed\xa0\x80"));
    EXPECT_EQ("\"\\ufffd\\ufffd\\ufffd\"", JsonString("\xe0\x80\xaf"));
    EXPECT_EQ("\"\\ufffd\\ufffd\\ufffd\\ufffd\"", JsonString("\xf4\x90\x80\x80"));
    EXPECT_EQ("\"\\ufffdA\"", JsonString("\xf5" "A"));
    EXPECT_EQ("\"\xef\xbf\xbe\xf0\x9f\x9a\x80\"", JsonString("\xef\xbf\xbe\xf0\x9f\x9a\x80"));  // U+FFFE, U+1F680
}

// A name that is not UTF-8 keeps its bytes beside the readable form.
TEST(MemoryMapFormatTest, JsonKeepsTheBytesOfANameThatIsNotUtf8) {
    MergeMapRecorder rec;
    rec.File(0, 16, 1, "/fw/\xed\xa0\x80.bin");
    EXPECT_NE(std::string::npos,
              MergeMapJson(rec.Finish(16))
                  .find("\"path\": \"/fw/\\ufffd\\ufffd\\ufffd.bin\", \"path_bytes\": \"2f66772feda0802e62696e\"}"));
    EXPECT_EQ(0u, HexInfoJson("/\xff", HexFileInfo{}).find("{\"path\": \"/\\ufffd\", \"path_bytes\": \"2fff\", "));
    EXPECT_EQ(std::string::npos, HexInfoJson("/fw/固件.hex", HexFileInfo{}).find("path_bytes"));
}

TEST(MemoryMapFormatTest, SvgShowsWhatXmlCannotHoldAsEscapedBytes) {
    MergeMapRecorder rec;
    rec.File(0, 16, 1, "/fw/\xef\xbf\xbf\xed\xa0\x80<&>.bin");
    const std::string svg = MergeMapSvg(rec.Finish(16));
    EXPECT_NE(std::string::npos, svg.find("文件1  \\xEF\\xBF\\xBF\\xED\\xA0\\x80&lt;&amp;&gt;.bin</text>")) << svg;
}

TEST(MemoryMapFormatTest, TextHasOneAlignedLinePerRange) {
    const std::string text = MergeMapText(ExampleMap());
    EXPECT_EQ("0x00000000  0x000000FF         256  file     row 1  /abs/a.bin\n"
              "0x00000100  0x000001FF         256  fill     byte 0xFF\n"
              "0x00000200  0x000004FF         768  file     row 2  /abs/b.bin\n"
              "image size 1280 bytes\n",
              text);
}

TEST(MemoryMapFormatTest, TheBandBreaksWhenOneRangeDwarfsTheOthers) {
    MergeMapRecorder rec;
    rec.File(0, 16, 1, "/a");
    rec.Fill(16, 0x100000, 0);
    rec.File(0x100000, 16, 2, "/b");
    const MergeMap map = rec.Finish(0x100010);
    const BandLayout band = ComputeBand(map, 1000, 6);
    ASSERT_EQ(3u, band.pieces.size());
    EXPECT_TRUE(band.broken);
    double x = 0;
    for (const BandPiece& p : band.pieces) {
        EXPECT_DOUBLE_EQ(x, p.x);
        EXPECT_GE(p.width, 6);
        x += p.width;
    }
    EXPECT_NEAR(1000, x, 1e-9);
    // Sizes alike: to scale.
    EXPECT_FALSE(ComputeBand(ExampleMap(), 1000, 6).broken);
    EXPECT_DOUBLE_EQ(200, ComputeBand(ExampleMap(), 1000, 6).pieces[0].width);
}

TEST(MemoryMapFormatTest, HexInfoJsonNamesTheFailure) {
    HexFileInfo info;
    info.segments.push_back(HexSegment{0x08000000, 0x08000FFF});
    info.decoded.LowestAddress = 0x08000000;
    info.decoded.ImageEnd = 0x1000;
    info.decoded.fault = HexFault::BadChecksum;
    info.decoded.faultLine = 3;
    info.decoded.faultOffset = 42;
    EXPECT_EQ("{\"path\": \"/fw.hex\", \"segments\": [{\"start\": 134217728, \"end\": 134221823, \"bytes\": 4096}], "
              "\"lowest\": 134217728, \"image_end\": 4096, \"end_record\": false, \"warnings\": [], "
              "\"failure\": {\"kind\": \"bad_checksum\", \"line\": 3, \"offset\": 42}}\n",
              HexInfoJson("/fw.hex", info));
}

}  // namespace
}  // namespace torvane
