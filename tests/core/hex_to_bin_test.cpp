#include "core/hex_to_bin.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/code_page.h"
#include "platform/format.h"
#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

using test::ReadBytes;
using Lines = std::vector<std::string>;

class HexToBinTest : public test::WorkspaceTest {};

TEST(BinFileNameTest, ReplacesTheLastThreeBytes) {
    EXPECT_EQ("/fw/app.BIN", BinFileNameFor("/fw/app.hex"));
    EXPECT_EQ("/fw/myBIN", BinFileNameFor("/fw/myhex"));
    EXPECT_EQ("/固件/应用.BIN", BinFileNameFor("/固件/应用.hex"));
    ASSERT_TRUE(SetCodePage("GBK"));
    EXPECT_EQ("/固件/应用.BIN", BinFileNameFor("/固件/应用.hex"));
    EXPECT_EQ("/fw/\xe2\x82\xac.BIN", BinFileNameFor("/fw/\xe2\x82\xac.hex"));  // no GBK form
    SetCodePage("");
}

TEST_F(HexToBinTest, WorkedExampleLogsEveryLine) {
    const std::string hex = WriteAndChoose(0, "app.hex", test::HexBlock(0, 512));
    Row(0).PolishTypeIndex = 0;
    const std::string bin = WriteAndChoose(1, "data.bin", std::string(10, 'd'));
    ExpectFailedFiles("文件2");
    EXPECT_TRUE(!HexToBinBatch(ws));  // the BIN row counts as not converted
    const std::string size = std::to_string(test::HexBlock(0, 512).size());
    EXPECT_EQ((Lines{
                  "***************hex转bin操作***************",
                  "文件1：#第1步：文件" + hex + "已读取" + size + "字节数据",
                  "文件1：#第2步：转换为Bin文件成功， 生成的Bin文件为：" + dir.File("app.BIN") + "  大小：512字节",
                  "***文件1:" + hex + "转换为Bin文件成功！***",
                  "",
                  "文件2：#第1步：该文件已经是Bin文件",
                  "***文件2：" + bin + "转换为Bin文件失败！***",
                  "",
              }),
              LogLines());
    const std::vector<uint8_t> out = ReadBytes(dir.File("app.BIN"));
    ASSERT_EQ(512u, out.size());
    EXPECT_EQ(test::BlockByte(511), out[511]);
    EXPECT_EQ(dir.File("app.BIN"), ws.OutputFileText);
    EXPECT_EQ(dir.File("app.BIN"), ws.selection().ConvertedName[0]);
    EXPECT_EQ(512, ws.selection().ConvertedSize[0]);
    EXPECT_EQ(3, ws.selection().StepNo[0]);
}

TEST_F(HexToBinTest, NothingSelectedOnlyShowsTheMessage) {
    ws.OutputFileText = "keep";
    prompts.ExpectNotice("请选择至少一个目标文件！");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ(0, ws.log().LineCount());
    EXPECT_EQ("keep", ws.OutputFileText);
}

TEST_F(HexToBinTest, FlashBaseFileKeepsOrDropsTheDataBeforeItsOffset) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0x08000000, 0x1000));
    Row(0).PolishTypeIndex = 0;
    Row(0).SaveOffsetData = false;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(0x1000u, ReadBytes(dir.File("app.BIN")).size());

    // Kept, the image from the flash base: its index 0 is the address, and the
    // data's end fits the image.
    Row(0).SaveOffsetData = true;
    std::remove(dir.File("app.BIN").c_str());
    EXPECT_TRUE(HexToBinBatch(ws));
    const std::vector<uint8_t> out = ReadBytes(dir.File("app.BIN"));
    ASSERT_EQ(0x1000u, out.size());
    EXPECT_EQ(test::BlockByte(0), out[0]);
}

TEST_F(HexToBinTest, LowOffsetKeepsZerosBeforeTheData) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0x1000, 0x1000));
    Row(0).PolishTypeIndex = 0;
    EXPECT_FALSE(Row(0).SaveOffsetData);  // choosing leaves it as the user has it
    Row(0).SaveOffsetData = true;
    EXPECT_TRUE(HexToBinBatch(ws));
    std::vector<uint8_t> out = ReadBytes(dir.File("app.BIN"));
    ASSERT_EQ(0x2000u, out.size());
    EXPECT_EQ(std::vector<uint8_t>(0x1000, 0), std::vector<uint8_t>(out.begin(), out.begin() + 0x1000));
    EXPECT_EQ(test::BlockByte(0), out[0x1000]);
    EXPECT_EQ("文件1：#第2步：转换为Bin文件成功，生成的Bin文件为：" + dir.File("app.BIN") + "  大小：8192字节",
              LogLines()[2]);

    Row(0).SaveOffsetData = false;
    EXPECT_TRUE(HexToBinBatch(ws));
    out = ReadBytes(dir.File("app.BIN"));
    ASSERT_EQ(0x1000u, out.size());
    EXPECT_EQ(test::BlockByte(0), out[0]);
}

TEST_F(HexToBinTest, KeptDataBeforeTheOffsetConvertsWhenTheImageFits) {
    // 0x100000 + 0x1C0000 passes 2 MiB, but the image from 0 to 0x1C0000 fits.
    WriteAndChoose(0, "app.hex", test::HexBlock(0x100000, 0xC0000, 32));
    Row(0).PolishTypeIndex = 0;
    Row(0).SaveOffsetData = true;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(0x1C0000u, ReadBytes(dir.File("app.BIN")).size());
}

TEST_F(HexToBinTest, GapsAreZeroWhateverTheFillChoice) {
    WriteAndChoose(0, "gap.hex", test::DataRecord(0, {1, 2}) + test::DataRecord(0x10, {3}) + test::EndRecord());
    Row(0).PolishTypeIndex = 0;
    Row(0).PolishDataIndex = 1;
    EXPECT_TRUE(HexToBinBatch(ws));
    std::vector<uint8_t> expected(0x11, 0);
    expected[0] = 1;
    expected[1] = 2;
    expected[0x10] = 3;
    EXPECT_EQ(expected, ReadBytes(dir.File("gap.BIN")));
}

// Two gaps between three records: [2, 0x10) and [0x11, 0x20), 29 bytes.
const std::string kGappedHex = test::DataRecord(0, {1, 2}) + test::DataRecord(0x10, {3}) +
                               test::DataRecord(0x20, {4}) + test::EndRecord();

std::vector<uint8_t> GappedBin(uint8_t gap) {
    std::vector<uint8_t> bin(0x21, gap);
    bin[0] = 1;
    bin[1] = 2;
    bin[0x10] = 3;
    bin[0x20] = 4;
    return bin;
}

TEST_F(HexToBinTest, TheLogNamesAFilesGapsAndTheZeroThatFilledThem) {
    const std::string hex = WriteAndChoose(0, "gap.hex", kGappedHex);
    Row(0).PolishTypeIndex = 0;
    Row(0).PolishDataIndex = 1;  // the row's fill, which the gaps do not take by default
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(GappedBin(0x00), ReadBytes(dir.File("gap.BIN")));
    const Lines lines = LogLines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("文件1：#第3步：文件记录之间有2处空隙，共29字节，已填充0x00", lines[3]);
    EXPECT_EQ("***文件1:" + hex + "转换为Bin文件成功！***", lines[4]);
    EXPECT_EQ(4, ws.selection().StepNo[0]);
}

TEST_F(HexToBinTest, TheGapsTakeTheRowsFillWhenTheSettingSaysSo) {
    WriteAndChoose(0, "gap.hex", kGappedHex);
    Row(0).PolishTypeIndex = 0;
    Row(0).PolishDataIndex = 1;
    ws.HexGapFill = GapFill::RowFill;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(GappedBin(0xFF), ReadBytes(dir.File("gap.BIN")));
    EXPECT_EQ("文件1：#第3步：文件记录之间有2处空隙，共29字节，已填充0xFF", LogLines()[3]);
    // A row whose fill is 0x00 keeps them so.
    Row(0).PolishDataIndex = 0;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(GappedBin(0x00), ReadBytes(dir.File("gap.BIN")));
}

TEST_F(HexToBinTest, DataKeptBeforeTheOffsetIsNoGap) {
    // From 0x100 on, kept from index 0: the 0x100 bytes before the first
    // record stay 0x00; only the gap between the records takes the fill.
    WriteAndChoose(0, "low.hex", test::DataRecord(0x100, {1}) + test::DataRecord(0x104, {2}) + test::EndRecord());
    Row(0).PolishTypeIndex = 0;
    Row(0).PolishDataIndex = 1;
    Row(0).SaveOffsetData = true;
    ws.HexGapFill = GapFill::RowFill;
    EXPECT_TRUE(HexToBinBatch(ws));
    std::vector<uint8_t> expected(0x105, 0x00);
    expected[0x100] = 1;
    for (size_t i = 0x101; i < 0x104; ++i) expected[i] = 0xFF;
    expected[0x104] = 2;
    EXPECT_EQ(expected, ReadBytes(dir.File("low.BIN")));
    EXPECT_EQ("文件1：#第3步：文件记录之间有1处空隙，共3字节，已填充0xFF", LogLines()[3]);
}

TEST_F(HexToBinTest, AFailedFileDoesNotStopTheOthers) {
    WriteAndChoose(0, "a.hex", test::HexBlock(0, 16));
    WriteAndChooseBadHex(1, "b.hex", test::HexBlock(0, 16).substr(0, 30));  // no end record
    WriteAndChoose(2, "c.hex", test::HexBlock(0, 32));
    for (int r = 0; r < 3; ++r) Row(r).PolishTypeIndex = 0;
    ExpectFailedFiles("文件2");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_TRUE(test::Exists(dir.File("a.BIN")));
    EXPECT_FALSE(test::Exists(dir.File("b.BIN")));
    EXPECT_EQ(dir.File("c.BIN"), ws.OutputFileText);
    const Lines lines = LogLines();
    EXPECT_EQ("文件2：#第2步：转换为Bin文件失败！", lines[6]);
    EXPECT_EQ("***文件2：" + dir.File("b.hex") + "转换为Bin文件失败！***", lines[7]);
}

TEST_F(HexToBinTest, UpperCaseHexAndIhxConvertToTheirBinNames) {
    const std::string p = WriteAndChoose(0, "APP.HEX", test::HexBlock(0, 16));
    WriteAndChoose(1, "main.ihx", test::HexBlock(0, 8));
    Row(0).PolishTypeIndex = 0;
    Row(1).PolishTypeIndex = 0;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(16u, ReadBytes(dir.File("APP.BIN")).size());
    EXPECT_EQ(8u, ReadBytes(dir.File("main.BIN")).size());
    EXPECT_EQ("***文件1:" + p + "转换为Bin文件成功！***", LogLines()[3]);
}

TEST_F(HexToBinTest, ABinFileIsAlreadyABinFile) {
    const std::string p = WriteAndChoose(0, "app.bin", std::string(16, 'b'));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ((Lines{"***************hex转bin操作***************", "文件1：#第1步：该文件已经是Bin文件",
                     "***文件1：" + p + "转换为Bin文件失败！***", ""}),
              LogLines());
}

TEST_F(HexToBinTest, AlignmentStepsFollowTheConversion) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0, 13));
    Row(0).PolishTypeIndex = 2;
    Row(0).PolishDataIndex = 1;
    EXPECT_TRUE(HexToBinBatch(ws));
    const std::string bin = dir.File("app.BIN");
    const Lines lines = LogLines();
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("文件1：#第3步：文件" + bin + "已读取13字节数据", lines[3]);
    EXPECT_EQ("文件1：#第4步：文件" + bin + " 4字节对齐成功, 对齐后文件的长度由13变为16", lines[4]);
    EXPECT_EQ(16, ws.selection().ConvertedSize[0]);
    const std::vector<uint8_t> out = ReadBytes(bin);
    ASSERT_EQ(16u, out.size());
    EXPECT_EQ(0xFF, out[13]);
    EXPECT_EQ(0xFF, out[15]);
}

TEST_F(HexToBinTest, UnreadableSourceIsALogLine) {
    const std::string p = WriteAndChoose(0, "app.hex", test::HexBlock(0, 16));
    std::remove(p.c_str());
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ("文件1：#第1步：文件" + p + "读取数据失败", LogLines()[1]);
}

TEST_F(HexToBinTest, FileOfAnotherLengthThanRecordedIsRefused) {
    const std::string text = test::HexBlock(0, 16);
    const std::string p = WriteAndChoose(0, "app.hex", text);
    Row(0).PolishTypeIndex = 0;
    dir.Write("app.hex", text.substr(0, text.size() - 13) + test::EndRecord() + test::EndRecord());
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ("文件1：#第1步：文件" + p + "在选择后已被改变（记录的大小为" + std::to_string(text.size()) +
                  "字节，现在为" + std::to_string(text.size() + 13) + "字节），请重新选择该文件",
              LogLines()[1]);
    EXPECT_FALSE(test::Exists(dir.File("app.BIN")));
}

TEST_F(HexToBinTest, ConversionOutputThatIsAnotherRowsFileIsRefused) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0, 16));
    const std::string bin = WriteAndChoose(1, "app.BIN", std::string("mine"));
    prompts.ExpectNotice("文件1转换生成的" + bin + "与文件2是同一个文件，继续操作将覆盖文件2，操作已取消！");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ("mine", test::ReadText(bin));
}

#ifdef _WIN32
// Windows names are UTF-16; two that no ANSI code page can spell.
TEST_F(HexToBinTest, NamesComeFromThePathsOwnBytes) {
    WriteAndChoose(0, "x\U0001F600.hex", test::HexBlock(0, 16));
    WriteAndChoose(1, "x\U0001F601.hex", test::HexBlock(0, 32));
    Row(0).PolishTypeIndex = 0;
    Row(1).PolishTypeIndex = 0;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(16u, ReadBytes(dir.File("x\U0001F600.BIN")).size());
    EXPECT_EQ(32u, ReadBytes(dir.File("x\U0001F601.BIN")).size());
    EXPECT_FALSE(test::Exists(dir.File("x?.BIN")));
}
#else
TEST_F(HexToBinTest, NamesComeFromThePathsOwnBytes) {
    // Neither name survives a code-page round trip; both keep their own BIN.
    WriteAndChoose(0, "x\xff.hex", test::HexBlock(0, 16));
    WriteAndChoose(1, "x\xfe.hex", test::HexBlock(0, 32));
    Row(0).PolishTypeIndex = 0;
    Row(1).PolishTypeIndex = 0;
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ(16u, ReadBytes(dir.File("x\xff.BIN")).size());
    EXPECT_EQ(32u, ReadBytes(dir.File("x\xfe.BIN")).size());
    EXPECT_FALSE(test::Exists(dir.File("x?.BIN")));
}
#endif

TEST_F(HexToBinTest, UnwritableOutputIsAFailureNotASuccess) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0, 16));
    Row(0).PolishTypeIndex = 0;
    // A folder where the BIN file should go cannot be replaced by a file.
    ASSERT_TRUE(test::MakeFolder(dir.File("app.BIN")));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("文件1：#第2步：转换为Bin文件失败， 失败原因：文件" + dir.File("app.BIN") + "写入失败！", lines[2]);
    // The reason, in the log's own language, under the failure.
    EXPECT_EQ("文件1：#第2步：失败原因：这是文件夹，不是文件", lines[3]);
    EXPECT_EQ("***文件1：" + dir.File("app.hex") + "转换为Bin文件失败！***", lines[4]);
    EXPECT_EQ("", ws.OutputFileText);
}

TEST_F(HexToBinTest, FailedWriteKeepsAnEarlierBin) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0, 16));
    Row(0).PolishTypeIndex = 0;
    const std::string bin = dir.Write("app.BIN", std::string("earlier output"));
    ASSERT_TRUE(test::MakeReadOnly(bin));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ("earlier output", test::ReadText(bin));
    EXPECT_EQ("文件1：#第2步：转换为Bin文件失败， 失败原因：文件" + bin + "写入失败！", LogLines()[2]);
}

TEST_F(HexToBinTest, OffsetPastTheDataIsRefusedWithoutWriting) {
    WriteAndChoose(0, "app.hex", test::HexBlock(0x1000, 16));
    Row(0).PolishTypeIndex = 0;
    Row(0).SaveOffsetData = false;
    Row(0).OffsetAddrText = "00005000";  // as an imported project might say
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(HexToBinBatch(ws));
    EXPECT_EQ("文件1：#第2步：转换为Bin文件失败， 失败原因：偏移地址0x00005000超出HEX文件的数据范围！", LogLines()[2]);
    EXPECT_FALSE(test::Exists(dir.File("app.BIN")));
}

TEST_F(HexToBinTest, AFileRewrittenAtTheSameSizeIsDecodedAgain) {
    // The row keeps what its scan decoded only while the file is the one scanned.
    const std::string p = WriteAndChoose(0, "app.hex", test::DataRecord(0, {1, 2, 3}) + test::EndRecord());
    Row(0).PolishTypeIndex = 0;
    dir.Write("app.hex", test::DataRecord(0, {0xFF, 2, 3}) + test::EndRecord());
    // Another modification time, as a second write later would give.
    const auto path = test::FsPath(p);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
    EXPECT_TRUE(HexToBinBatch(ws));
    EXPECT_EQ((std::vector<uint8_t>{0xFF, 2, 3}), ReadBytes(dir.File("app.BIN")));
}

}  // namespace
}  // namespace torvane
