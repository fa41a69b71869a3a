#include "core/merge.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/chinese_reasons.h"
#include "core/workspace.h"
#include "checks/crc.h"
#include "formats/image_formats.h"
#include "platform/format.h"
#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

using test::ReadBytes;
using Lines = std::vector<std::string>;

const std::string kOverlapFormat =
    "文件%d当前偏移地址0x%.8X小于文件%d在FLASH存储空间的结束地址0x%.8X，是否强制插入？\r\n"
    " 选是，该文件将强制插入到偏移地址处\r\n 选否，则该文件将追加到文件%d结束地址处\r\n 选取消，则取消合并操作\r\n";

class MergeTest : public test::WorkspaceTest {
protected:
    void SetUp() override {
        ws.SelectMode(WorkMode::MergeMode);
        ws.OutputFileText = dir.File("out.bin");
    }

    // A BIN file of `size` bytes of `value` in `row`, placed at `offset`.
    std::string Bin(int row, const std::string& name, size_t size, uint8_t value, const char* offset, int fill = 0) {
        const std::string p = WriteAndChoose(row, name, std::string(size, static_cast<char>(value)));
        Row(row).BinOffsetText = offset;
        Row(row).PolishDataIndex = fill;
        return p;
    }

    void ExpectOverlap(int file, uint32_t offset, int previous, uint32_t end, Answer answer) {
        char text[1024];
        std::snprintf(text, sizeof text, kOverlapFormat.c_str(), file, offset, previous, end, previous);
        prompts.ExpectBox(text, "提示", answer, MessageButtons::YesNoCancel, MessageIcon::Question);
    }

    void ExpectDone() { prompts.ExpectNotice("合并成功!"); }
    void ExpectIncompleteQuestion(const std::string& files, Answer answer) {
        prompts.ExpectBox("以下文件未能合并：" + files +
                              "\r\n合并后的文件将缺少这些文件的数据，详细原因请查看操作记录。\r\n仍然写入不完整的合并文件吗？",
                          "提示", answer, MessageButtons::YesNo, MessageIcon::Question);
    }
    // Asked first and answered Yes, the image is written without the files.
    void ExpectIncomplete(const std::string& files) {
        ExpectIncompleteQuestion(files, Answer::Yes);
        prompts.ExpectBox("合并文件已写入，但以下文件未能合并：" + files +
                              "\r\n合并后的文件缺少这些文件的数据，详细原因请查看操作记录。",
                          ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Exclamation);
    }

    std::vector<uint8_t> Output() const { return ReadBytes(dir.File("out.bin")); }
};

TEST_F(MergeTest, WorkedExampleFillsTheGapWithTheNextFilesFill) {
    const std::string a = Bin(0, "a.bin", 256, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 128, 0xBB, "200", 1);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ((Lines{"***************合并操作***************", "文件1：#第1步：文件" + a + "已读取256数据",
                     "文件1：#第2步：文件" + a + "已插入到合并文件0x00000000处，空白处已填充0x00", "",
                     "文件2：#第1步：文件" + b + "已读取128数据",
                     "文件2：#第2步：文件" + b + "已插入到合并文件0x00000200处，空白处已填充0xFF", "",
                     "***文件合并成功！合并后的文件存于" + dir.File("out.bin") + ",大小为640字节！***", ""}),
              LogLines());
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(640u, out.size());
    EXPECT_EQ(0xAA, out[255]);
    EXPECT_EQ(0xFF, out[0x100]);
    EXPECT_EQ(0xFF, out[0x1FF]);
    EXPECT_EQ(0xBB, out[0x200]);
    EXPECT_EQ(dir.File("out.bin"), ws.OutputFileText);
}

TEST_F(MergeTest, SpaceBeforeTheFirstFileGetsItsFill) {
    Bin(0, "a.bin", 16, 0xAA, "10", 1);
    Bin(1, "b.bin", 16, 0xBB, "20");
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x30u, out.size());
    EXPECT_EQ(std::vector<uint8_t>(16, 0xFF), std::vector<uint8_t>(out.begin(), out.begin() + 16));
}

TEST_F(MergeTest, FileAtThePreviousEndNeedsNoQuestionAndNoFill) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 16, 0xBB, "10", 1);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ("文件2：#第2步：文件" + b + "已插入到合并文件0x00000010处，空白处已填充0x00", LogLines()[5]);
}

TEST_F(MergeTest, OverlapForcedOverwritesAndTheNextFileComparesWithTheForcedEnd) {
    Bin(0, "a.bin", 0x100, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 0x10, 0xBB, "20");
    const std::string c = Bin(2, "c.bin", 0x10, 0xCC, "40", 1);  // between P (0x30) and L (0x100)
    ExpectOverlap(2, 0x20, 1, 0x100, Answer::Yes);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("文件2：#第2步：文件" + b + "已强制插入到合并文件0x00000020处", lines[5]);
    EXPECT_EQ("文件3：#第2步：文件" + c + "已插入到合并文件0x00000040处，空白处已填充0x00", lines[8]);
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x100u, out.size());  // L only grows when a file ends beyond it
    EXPECT_EQ(0xAA, out[0x1F]);
    EXPECT_EQ(0xBB, out[0x20]);
    EXPECT_EQ(0xAA, out[0x30]);
    EXPECT_EQ(0xCC, out[0x40]);
    EXPECT_EQ(0xAA, out[0x50]);
}

TEST_F(MergeTest, OverlapAnsweredNoAppendsAtThePreviousEnd) {
    Bin(0, "a.bin", 0x100, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 0x10, 0xBB, "20");
    ExpectOverlap(2, 0x20, 1, 0x100, Answer::No);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ("文件2：#第2步：文件" + b + "已追加到合并文件0x00000100处", LogLines()[5]);
    EXPECT_EQ(0x110u, Output().size());
}

TEST_F(MergeTest, CancelWritesNothing) {
    Bin(0, "a.bin", 0x100, 0xAA, "0");
    Bin(1, "b.bin", 0x10, 0xBB, "20");
    ExpectOverlap(2, 0x20, 1, 0x100, Answer::Cancel);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ("#第1步：取消合并", LogLines().back());
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
}

TEST_F(MergeTest, SixMebibytesExactlyFitsAndOneByteMoreAsks) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "5FFFF0");
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(0x600000u, Output().size());

    Row(1).BinOffsetText = "5FFFF1";
    prompts.ExpectBox(
        "文件2偏移地址0x005FFFF1太大导致合并后的文件超过6M.\r\n是否确定继续合并？\r\n是，将该文件将追加到文件1结束地址0x00000010\r\n否，取消合并",
        "提示", Answer::Yes, MessageButtons::YesNo, MessageIcon::Question);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(0x20u, Output().size());

    prompts.ExpectBox(
        "文件2偏移地址0x005FFFF1太大导致合并后的文件超过6M.\r\n是否确定继续合并？\r\n是，将该文件将追加到文件1结束地址0x00000010\r\n否，取消合并",
        "提示", Answer::No);
    const int from = ws.log().LineCount();
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ("#第1步：取消合并", LogLines(from).back());
}

TEST_F(MergeTest, SizeQuestionForTheFirstFileNamesTheImageStart) {
    Bin(0, "a.bin", 16, 0xAA, "5FFFF8");
    Bin(1, "b.bin", 16, 0xBB, "10");
    prompts.ExpectBox(
        "文件1偏移地址0x005FFFF8太大导致合并后的文件超过6M.\r\n是否确定继续合并？\r\n是，将该文件将追加到合并文件起始地址0x00000000\r\n否，取消合并",
        "提示", Answer::Yes);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(0x20u, Output().size());
}

TEST_F(MergeTest, ImageWithoutAFailedHexFileIsWrittenButNotASuccess) {
    const std::string hex = WriteAndChooseBadHex(0, "boot.hex", test::HexBlock(0, 16).substr(0, 30));  // no end record
    Bin(1, "b.bin", 16, 0xBB, "10", 1);
    ExpectIncomplete("文件1");
    EXPECT_FALSE(MergeBatch(ws));
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x20u, out.size());
    EXPECT_EQ(0xFF, out[0]);
    EXPECT_EQ(0xBB, out[0x10]);
    const Lines lines = LogLines();
    EXPECT_EQ("***文件合并未完成！合并后的文件存于" + dir.File("out.bin") + ",大小为32字节，其中缺少文件1！***",
              lines[lines.size() - 2]);
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("合并成功")) << line;
}

TEST_F(MergeTest, AnImageWithoutAFileIsNotWrittenUnlessTheUserSaysSo) {
    // Yesterday's good image stays when today's merge left a row out.
    const std::string previous = dir.Write("out.bin", std::string("yesterday's image"));
    WriteAndChooseBadHex(0, "boot.hex", test::HexBlock(0, 16).substr(0, 30));  // no end record
    Bin(1, "b.bin", 16, 0xBB, "10", 1);
    ExpectIncompleteQuestion("文件1", Answer::No);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ(Answer::No, prompts.shownBoxes.back().defaultAnswer);  // Enter keeps the old image
    EXPECT_EQ("yesterday's image", test::ReadText(previous));
    const Lines lines = LogLines();
    EXPECT_EQ("***文件合并未完成！缺少文件1，合并文件" + previous + "未写入！***", lines[lines.size() - 2]);
    EXPECT_EQ("合并文件缺少未能合并的文件，是否仍然写入的提问回答为“否”，没有写入合并文件",
              ChineseReason(prompts.reasons.back().reason));
    ASSERT_TRUE(ws.LastMergeMap);
    EXPECT_TRUE(ws.LastMergeMap->stopped);
    EXPECT_EQ(0, ws.LastMergeMap->imageSize);
}

TEST_F(MergeTest, HexFilesAreConvertedInMemoryAndTheirStepsContinue) {
    const std::string hex = WriteAndChoose(0, "app.hex", test::HexBlock(0x08000000, 32));
    const std::string b = Bin(1, "b.bin", 16, 0xBB, "20");
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("文件1：#第2步：已转换为Bin数据（不生成Bin文件），大小：32字节", lines[2]);
    EXPECT_EQ("文件1：#第3步：文件" + hex + "已插入到合并文件0x00000000处，空白处已填充0x00", lines[3]);
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x30u, out.size());
    EXPECT_EQ(test::BlockByte(31), out[31]);
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("app.BIN")) << line;
}

// A bootloader with a gap between its records, then an application BIN.
class MergeGapTest : public MergeTest {
protected:
    std::string Boot() {
        const std::string p = WriteAndChoose(0, "boot.hex",
                                             test::LinearRecord(0x0800) + test::DataRecord(0, {1, 2, 3, 4}) +
                                                 test::DataRecord(0x10, {5, 6}) + test::EndRecord());
        Row(0).PolishDataIndex = 1;
        return p;
    }
};

TEST_F(MergeGapTest, AHexRowsGapsStayZeroByDefaultAndTheMapNamesThem) {
    const std::string boot = Boot();
    Bin(1, "app.bin", 4, 0xAA, "20", 1);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x24u, out.size());
    EXPECT_EQ(std::vector<uint8_t>(12, 0x00), std::vector<uint8_t>(out.begin() + 4, out.begin() + 0x10));
    EXPECT_EQ(std::vector<uint8_t>(14, 0xFF), std::vector<uint8_t>(out.begin() + 0x12, out.begin() + 0x20));
    const Lines lines = LogLines();
    EXPECT_EQ("文件1：#第3步：文件记录之间有1处空隙，共12字节，已填充0x00", lines[3]);
    EXPECT_EQ("文件1：#第4步：文件" + boot + "已插入到合并文件0x00000000处，空白处已填充0x00", lines[4]);
    ASSERT_TRUE(ws.LastMergeMap);
    const std::vector<MapRange>& r = ws.LastMergeMap->ranges;
    ASSERT_EQ(5u, r.size());
    EXPECT_EQ(RangeKind::File, r[0].kind);
    EXPECT_EQ(RangeKind::Gap, r[1].kind);
    EXPECT_EQ(4, r[1].start);
    EXPECT_EQ(0xF, r[1].end);
    EXPECT_EQ(1, r[1].row);
    EXPECT_EQ(0x00, r[1].fill);
    EXPECT_EQ(4, r[1].sourceOffset);
    EXPECT_EQ(RangeKind::File, r[2].kind);
    EXPECT_EQ(0x10, r[2].sourceOffset);
    EXPECT_EQ(RangeKind::Fill, r[3].kind);
}

TEST_F(MergeGapTest, TheRowsFillFillsItsGapsWhenAsked) {
    Boot();
    Bin(1, "app.bin", 4, 0xAA, "20", 1);
    ws.HexGapFill = GapFill::RowFill;
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    std::vector<uint8_t> expected(0x24, 0xFF);
    for (uint8_t i = 0; i < 4; ++i) expected[i] = static_cast<uint8_t>(i + 1);
    expected[0x10] = 5;
    expected[0x11] = 6;
    for (size_t i = 0x20; i < 0x24; ++i) expected[i] = 0xAA;
    EXPECT_EQ(expected, Output());
    EXPECT_EQ("文件1：#第3步：文件记录之间有1处空隙，共12字节，已填充0xFF", LogLines()[3]);
    EXPECT_EQ(0xFF, ws.LastMergeMap->ranges[1].fill);
}

TEST_F(MergeGapTest, AFileForcedOverAGapOverlapsThatFile) {
    Boot();
    Bin(1, "app.bin", 4, 0xAA, "8");
    ExpectOverlap(2, 8, 1, 0x12, Answer::Yes);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<MapRange>& r = ws.LastMergeMap->ranges;
    ASSERT_EQ(5u, r.size());
    EXPECT_EQ(RangeKind::Gap, r[1].kind);
    EXPECT_EQ(7, r[1].end);
    EXPECT_EQ(RangeKind::Overlap, r[2].kind);
    EXPECT_EQ(1, r[2].coveredRow);
    EXPECT_EQ(RangeKind::Gap, r[3].kind);
    EXPECT_EQ(8, r[3].sourceOffset - 4);
}

// A bootloader HEX at the flash base and an application BIN after it,
// merged into Intel HEX: the fields are in the addresses the map shows.
class MergeFieldTest : public MergeTest {
protected:
    void SetUp() override {
        MergeTest::SetUp();
        WriteAndChoose(0, "boot.hex", test::HexBlock(0x08000000, 32));
        Bin(1, "app.bin", 16, 0xAA, "20");
        ws.OutputFileText = dir.File("out.hex");
    }
    // The image the HEX output holds, from the flash base.
    std::vector<uint8_t> Image() const {
        const std::vector<uint8_t> text = ReadBytes(dir.File("out.hex"));
        const ImageRead read = ReadImage(ImageFormat::IntelHex, text);
        EXPECT_TRUE(read.ok()) << read.reason;
        return read.image.Read(0x08000000, read.image.end() - 0x08000000, 0);
    }
    static uint32_t Crc32(std::span<const uint8_t> bytes) {
        return static_cast<uint32_t>(ComputeCrc(*FindCrcPreset("crc32"), bytes));
    }
};

TEST_F(MergeFieldTest, ACrcAtTheEndOfTheImageNeedsNoArithmetic) {
    ws.MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> image = Image();
    ASSERT_EQ(0x34u, image.size());
    const uint32_t crc = Crc32(std::span(image).first(0x30));
    EXPECT_EQ(crc, static_cast<uint32_t>(image[0x30] | image[0x31] << 8 | image[0x32] << 16 | image[0x33] << 24));
    const Lines lines = LogLines();
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(),
                                     Format("#写入校验值：CRC-32/ISO-HDLC = %08X，写入合并文件0x08000030处，校验范围"
                                            "0x08000000-0x0800002F",
                                            crc)));
    // The map keeps image offsets and shows them with the base.
    ASSERT_TRUE(ws.LastMergeMap);
    EXPECT_EQ(0x08000000u, ws.LastMergeMap->base);
    EXPECT_EQ(0x30, ws.LastMergeMap->fields.at(0).at);
    EXPECT_EQ(0x2F, ws.LastMergeMap->fields.at(0).end);
}

TEST_F(MergeFieldTest, TheSameFieldByNumberIsTheFlashAddress) {
    ws.MergeFields = {*ParseFieldSpec("crc32@8000030:8000000-800002F")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> image = Image();
    ASSERT_EQ(0x34u, image.size());
    EXPECT_EQ(Crc32(std::span(image).first(0x30)),
              static_cast<uint32_t>(image[0x30] | image[0x31] << 8 | image[0x32] << 16 | image[0x33] << 24));
}

TEST_F(MergeFieldTest, AProjectOfImageOffsetsKeepsItsMeaning) {
    ws.MergeFieldAddresses = FieldAddresses::ImageOffsets;
    ws.MergeFields = {*ParseFieldSpec("crc32@30:0-2F")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> offsets = Image();
    ws.MergeFieldAddresses = FieldAddresses::Map;
    ws.MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(offsets, Image());
}

TEST_F(MergeFieldTest, AnOffsetBelowTheBaseIsRefusedOnceTheFilesArePlaced) {
    // The base comes from the files: only once they are placed is it known.
    ws.MergeFields = {*ParseFieldSpec("crc32@30:0-2F")};
    prompts.ExpectNotice(kMergeFieldsRefusedMessage);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_FALSE(test::Exists(dir.File("out.hex")));
    const Lines lines = LogLines();
    EXPECT_EQ("***文件合并失败！校验值字段设置有误，合并文件未写入！***", lines.at(lines.size() - 2));
    ASSERT_FALSE(prompts.reasons.empty());
    EXPECT_EQ("CRC-32/ISO-HDLC@30:0-2F lies below the image's first address 0x08000000", prompts.reasons.back().reason);
    EXPECT_EQ("CRC-32/ISO-HDLC（写入地址0x00000030，范围0x00000000-0x0000002F）低于映像的起始地址0x08000000",
              ChineseReason(prompts.reasons.back().reason));
    ASSERT_TRUE(ws.LastMergeMap);
    EXPECT_TRUE(ws.LastMergeMap->stopped);
}

TEST_F(MergeFieldTest, ABinWithoutABaseKeepsOffsetsAndOneWithABaseTakesIt) {
    ws.OutputFileText = dir.File("out.bin");
    ws.MergeFields = {*ParseFieldSpec("crc32@30:0-2F")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(0x34u, Output().size());
    ws.MergeBaseText = "8000000";
    ws.MergeFields = {*ParseFieldSpec("crc32@8000030:start-800002F")};
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(0x34u, Output().size());
}

TEST_F(MergeFieldTest, WhatTheFilesDoNotDecideIsRefusedBeforeAnythingIsRead) {
    // Inside its own range wherever the image lies: no log line, nothing read.
    ws.MergeFields = {*ParseFieldSpec("crc32@8000010:8000000-800002F")};
    prompts.ExpectNotice(kMergeFieldsRefusedMessage);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_TRUE(LogLines().empty());
}

TEST(MergeFieldRulesTest, TheImagesFirstAddressIsKnownWhereTheFilesDoNotChooseIt) {
    EXPECT_EQ(0u, KnownFieldOrigin(FieldAddresses::ImageOffsets, "8000000", ImageFormat::IntelHex));
    EXPECT_EQ(0x08000000u, KnownFieldOrigin(FieldAddresses::Map, "8000000", ImageFormat::Binary));
    EXPECT_EQ(0u, KnownFieldOrigin(FieldAddresses::Map, "", ImageFormat::Binary));
    EXPECT_EQ(std::nullopt, KnownFieldOrigin(FieldAddresses::Map, "", ImageFormat::SRecord));
    // Where the files choose, a field must fit an image at 0 or at the flash base.
    const std::vector<FieldSpec> flash = {*ParseFieldSpec("crc32@8006802:8000000-80067FF")};
    EXPECT_EQ(std::nullopt, MergeFieldsProblem(flash, FieldAddresses::Map, "", ImageFormat::IntelHex));
    EXPECT_NE(std::nullopt, MergeFieldsProblem(flash, FieldAddresses::Map, "", ImageFormat::Binary));
    EXPECT_NE(std::nullopt, MergeFieldsProblem(flash, FieldAddresses::ImageOffsets, "", ImageFormat::IntelHex));
    const std::vector<FieldSpec> words = {*ParseFieldSpec("crc32@end:start-end")};
    EXPECT_EQ(std::nullopt, MergeFieldsProblem(words, FieldAddresses::Map, "", ImageFormat::Binary));
}

TEST_F(MergeTest, WritesNoFileButItsOutputEvenWhenCancelled) {
    // A toolchain writes app.bin beside app.hex: the merge never replaces it.
    const std::string mine = dir.Write("app.bin", std::string(7, 'u'));
    WriteAndChoose(0, "app.hex", test::HexBlock(0x100, 32));
    Bin(1, "b.bin", 16, 0xBB, "0");
    prompts.ExpectBox(
        "文件2当前偏移地址0x00000000小于文件1在FLASH存储空间的结束地址0x00000120，是否强制插入？\r\n"
        " 选是，该文件将强制插入到偏移地址处\r\n 选否，则该文件将追加到文件1结束地址处\r\n 选取消，则取消合并操作\r\n",
        "提示", Answer::Cancel, MessageButtons::YesNoCancel, MessageIcon::Question);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ(std::vector<uint8_t>(7, 'u'), ReadBytes(mine));
    // app.bin, app.hex, b.bin: nothing more (on Windows app.BIN is app.bin).
    EXPECT_EQ(3, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));
}

TEST_F(MergeTest, AHexFileAwayFromItsOwnAddressIsNamed) {
    // A bootloader at 0x7800 with its bytes before the offset kept as well:
    // the offset moves them a second time.
    WriteAndChoose(0, "boot.hex", test::HexBlock(0x7800, 16));
    Row(0).SaveOffsetData = true;
    Bin(1, "b.bin", 16, 0xBB, "10000");
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("文件1：#第4步：注意：HEX文件中地址0x00007800的数据位于合并文件0x0000F000处，而不是0x00007800处", lines[4]);
    EXPECT_EQ(test::BlockByte(0), Output().at(0xF000));

    // At its own address nothing more is said.
    Row(0).SaveOffsetData = false;
    const int from = ws.log().LineCount();
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    for (const std::string& line : LogLines(from)) EXPECT_EQ(std::string::npos, line.find("注意")) << line;
    EXPECT_EQ(test::BlockByte(0), Output().at(0x7800));
}

TEST_F(MergeTest, HexTextUnderABinNameIsAskedAbout) {
    const std::string text = test::HexBlock(0, 16);
    const std::string p = dir.Write("app.bin", text);
    Choose(0, p);
    Bin(1, "b.bin", 16, 0xBB, "1000");
    const std::string question = "文件1：" + p +
                                 "的内容是HEX格式的文本，不是BIN数据。\r\n 选是，仍将该文件作为BIN文件合并\r\n 选否，该文件不参与合并";
    prompts.ExpectBox(question, "提示", Answer::No, MessageButtons::YesNo, MessageIcon::Question);
    ExpectIncomplete("文件1");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ(0x1010u, Output().size());  // the other file alone, at its offset
    EXPECT_EQ(0x00, Output().at(0));
    prompts.ExpectBox(question, "提示", Answer::Yes, MessageButtons::YesNo, MessageIcon::Question);
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(':', Output().at(0));
}

TEST_F(MergeTest, UnreadableSourceEndsTheMergeWithoutOutput) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 16, 0xBB, "10");
    Bin(2, "c.bin", 16, 0xCC, "20");
    std::remove(b.c_str());
    EXPECT_FALSE(MergeBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("文件2：#第1步：文件" + b + "读取数据失败", lines[4]);
    EXPECT_EQ("", lines[5]);
    EXPECT_EQ(6u, lines.size());
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
}

TEST_F(MergeTest, EntryChecksComeFirst) {
    ws.OutputFileText.clear();
    prompts.ExpectNotice("请选择输出文件！");
    EXPECT_FALSE(MergeBatch(ws));
    ws.OutputFileText = dir.File("out.bin");
    Bin(0, "a.bin", 16, 0xAA, "0");
    prompts.ExpectNotice("请选择至少两个目标文件！");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ(0, ws.log().LineCount());
}

TEST_F(MergeTest, NegativeOffsetIsRefusedAndEndsTheMerge) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    const std::string b = Bin(1, "b.bin", 16, 0xBB, "FFFFFFFF");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ("文件2：#第2步：文件" + b + "放置到0xFFFFFFFF处将超出合并文件6M的范围，合并终止", LogLines()[5]);
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
}

TEST_F(MergeTest, ForcedOrAppendedPlacementPastTheImageIsRefused) {
    Bin(0, "a.bin", 0x200000, 0xAA, "0");
    Bin(1, "b.bin", 0x200000, 0xBB, "200000");
    Bin(2, "c.bin", 0x200000, 0xCC, "400000");
    Bin(3, "d.bin", 0x100, 0xDD, "300000");  // overlaps; appending at 6 MiB cannot fit
    ExpectOverlap(4, 0x300000, 3, 0x600000, Answer::No);
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_NE(std::string::npos, LogLines().at(LogLines().size() - 2).find("放置到0x00600000处将超出合并文件6M的范围"));
    EXPECT_FALSE(test::Exists(dir.File("out.bin")));
}

TEST_F(MergeTest, UnwritableOutputIsReportedNotSucceeded) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "10");
    ws.OutputFileText = dir.File("missing/out.bin");
    prompts.ExpectNotice("合并文件写入失败！");
    EXPECT_FALSE(MergeBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("***文件合并失败！合并后的文件" + dir.File("missing/out.bin") + "写入失败！***", lines[lines.size() - 2]);
}

TEST_F(MergeTest, FailedWriteLeavesTheOldOutput) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "10");
    const std::string out = dir.Write("out.bin", std::string("previous image"));
    ASSERT_TRUE(test::MakeReadOnly(out));
    prompts.ExpectNotice("合并文件写入失败！");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ("previous image", test::ReadText(out));
    for (const std::string& line : LogLines()) EXPECT_EQ(std::string::npos, line.find("合并成功")) << line;
}

// /dev/full is POSIX: Windows has no device that refuses every byte.
#ifndef _WIN32
TEST_F(MergeTest, OutputOnAFullDeviceIsAFailure) {
    Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "10");
    ws.OutputFileText = "/dev/full";
    prompts.ExpectNotice("合并文件写入失败！");
    EXPECT_FALSE(MergeBatch(ws));
}
#endif

TEST_F(MergeTest, FileReplacedSinceItWasChosenIsLeftOut) {
    const std::string a = Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "10");
    Bin(2, "c.bin", 16, 0xCC, "20");
    dir.Write("a.bin", std::string("xy"));  // same name, other length
    ExpectIncomplete("文件1");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ("文件1：#第1步：文件" + a + "在选择后已被改变（记录的大小为16字节，现在为2字节），请重新选择该文件",
              LogLines()[1]);
    const std::vector<uint8_t> out = Output();
    ASSERT_EQ(0x30u, out.size());
    EXPECT_EQ(0x00, out[0]);  // neither version of a.bin
    EXPECT_EQ(0xBB, out[0x10]);
    EXPECT_EQ(0xCC, out[0x20]);
}

TEST_F(MergeTest, LongerFileIsAlsoAChange) {
    const std::string b = Bin(1, "b.bin", 16, 0xBB, "10");
    Bin(0, "a.bin", 16, 0xAA, "0");
    dir.Write("b.bin", std::string(17, 'b'));
    ExpectIncomplete("文件2");
    EXPECT_FALSE(MergeBatch(ws));
    EXPECT_EQ(16u, Output().size());
}

TEST_F(MergeTest, AHexFileAndTheBinFileBesideItMergeWithoutTouchingEither) {
    // app.BIN is the user's own file: the merge reads it and writes nothing there.
    const std::string bin = Bin(1, "app.BIN", 16, 0xBB, "1000");
    WriteAndChoose(0, "app.hex", test::HexBlock(0, 16));
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    EXPECT_EQ(std::string(16, '\xBB'), test::ReadText(bin));
    EXPECT_EQ(0x1010u, Output().size());
}

TEST_F(MergeTest, OutputOntoOneOfItsOwnInputsIsAllowed) {
    // The inputs are read before the image is written.
    const std::string a = Bin(0, "a.bin", 16, 0xAA, "0");
    Bin(1, "b.bin", 16, 0xBB, "10");
    ws.OutputFileText = a;
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    const std::vector<uint8_t> out = ReadBytes(a);
    ASSERT_EQ(0x20u, out.size());
    EXPECT_EQ(0xAA, out[0]);
    EXPECT_EQ(0xBB, out[0x10]);
}

#ifndef _WIN32
// A folder without write bits is the POSIX form of an installed program's.
TEST_F(MergeTest, TheDefaultOutputOfAnInstalledProgramIsWritten) {
    // The program's folder as /usr/bin is for its user: no write bit at all.
    const std::string program = dir.File("bin");
    const std::string home = dir.File("home");
    ASSERT_EQ(0, ::mkdir(program.c_str(), 0555));
    ASSERT_EQ(0, ::mkdir(home.c_str(), 0755));
    ws.DefaultOutputPath = ChooseFilesFolder(program, home, "") + "/Merge.Bin";
    ws.SelectMode(WorkMode::MergeMode);
    Bin(0, "a.bin", 8, 0xAA, "0");
    Bin(1, "b.bin", 8, 0xBB, "8");
    ExpectDone();
    EXPECT_TRUE(MergeBatch(ws));
    std::vector<uint8_t> expected(8, 0xAA);
    expected.resize(16, 0xBB);
    EXPECT_EQ(expected, ReadBytes(home + "/Merge.Bin"));
    ::chmod(program.c_str(), 0755);
}
#endif

}  // namespace
}  // namespace torvane
