#include "tools/serialize/manifest.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(CsvLineTest, QuotesOnlyCellsThatNeedItAndDoublesTheirQuotes) {
    const std::vector<std::string> cells = {"1000", "", "/out/a,b.bin", "say \"hi\"", "two\nlines", " blank", "plain"};
    EXPECT_EQ("1000,,\"/out/a,b.bin\",\"say \"\"hi\"\"\",\"two\nlines\",\" blank\",plain\r\n", CsvLine(cells));
}

TEST(ManifestTest, ReadsBackWhatItWritesWhateverTheFileNamesHold) {
    ManifestEntry e;
    e.serial = 1000;
    e.mac = 0x001122AABBCCull;
    e.file = "/out/dev \"1000\",\nx.bin";
    e.size = 16;
    e.values = {"CBF43926"};
    e.sha256 = std::string(64, 'a');
    const FieldSpec field = *ParseFieldSpec("crc32@C:0-B");
    std::string text = CsvLine(ManifestHeader(std::span(&field, 1))) + CsvLine(ManifestCells(e));
    e.serial = 1001;
    e.mac.reset();
    text += CsvLine(ManifestCells(e));
    std::string why;
    const std::optional<ManifestContent> m = ParseManifest(Bytes(text), &why);
    ASSERT_TRUE(m) << why;
    EXPECT_EQ((std::vector<std::string>{"serial", "mac", "file", "size", "CRC-32/ISO-HDLC@C:0-B", "sha256"}),
              m->header);
    ASSERT_EQ(2u, m->records.size());
    EXPECT_EQ(1000u, m->records[0].serial);
    EXPECT_EQ(0x001122AABBCCull, m->records[0].mac);
    EXPECT_EQ(2u, m->records[0].line);
    EXPECT_EQ(1001u, m->records[1].serial);
    EXPECT_FALSE(m->records[1].mac);
    EXPECT_EQ(4u, m->records[1].line);  // the name's line break counts
    EXPECT_FALSE(m->cutAt);
}

TEST(ManifestTest, AByteOrderMarkAndLineFeedsAlone) {
    const std::optional<ManifestContent> m =
        ParseManifest(Bytes("\xEF\xBB\xBFmac,serial\n,7\n\n00:00:00:00:00:01,8\n"));
    ASSERT_TRUE(m);
    ASSERT_EQ(2u, m->records.size());
    EXPECT_EQ(8u, m->records[1].serial);
}

TEST(ManifestTest, ALastLineCutShortIsFoundAndLeftOut) {
    const std::string whole = "serial,mac\r\n1,\r\n";
    const std::optional<ManifestContent> m = ParseManifest(Bytes(whole + "2,00:11"));
    ASSERT_TRUE(m);
    EXPECT_EQ(1u, m->records.size());
    EXPECT_EQ(whole.size(), m->cutAt);
    // A cut header: as good as an empty file.
    const std::optional<ManifestContent> header = ParseManifest(Bytes("seri"));
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->header.empty());
    EXPECT_EQ(0u, header->cutAt);
}

TEST(ManifestTest, ADamagedManifestIsRefusedWithItsLine) {
    const char* cases[] = {
        "file,size\r\n",                            // no serial column
        "serial,mac\r\n1,,x\r\n",                   // a cell too many
        "serial,mac\r\nx,\r\n",                     // no number
        "serial,mac\r\n-1,\r\n",                    // no number either
        "serial,mac\r\n99999999999999999999,\r\n",  // past 2^64 - 1
        "serial,mac\r\n1,00:11\r\n",                // no MAC
        "serial,mac\r\n1,\"x\"y\r\n",               // text after a quoted cell
        "serial,mac\r\n1,\"open\r\n2,\r\n",         // a quote that runs to the end over lines
    };
    for (const char* text : cases) {
        std::string why;
        EXPECT_FALSE(ParseManifest(Bytes(text), &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    std::string why;
    ParseManifest(Bytes("serial,mac\r\n1,\r\nx,\r\n"), &why);
    EXPECT_EQ("line 3: the serial 'x' is no decimal number", why);
}

}  // namespace
}  // namespace torvane
