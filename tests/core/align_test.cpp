#include "core/align.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

using test::ReadBytes;
using Lines = std::vector<std::string>;

class AlignTest : public test::WorkspaceTest {
protected:
    void SetUp() override { ws.SelectMode(WorkMode::AlignMode); }
};

TEST_F(AlignTest, WorkedExamplePadsAndReloadsTheRow) {
    const std::string p = WriteAndChoose(2, "c.bin", std::string(1001, 'c'));
    Row(2).PolishTypeIndex = 3;
    Row(2).PolishDataIndex = 1;
    // The reload knows the padding's new length: no "the file changed" box.
    EXPECT_TRUE(AlignBatch(ws));
    EXPECT_TRUE(prompts.reasons.empty());
    EXPECT_EQ((Lines{"***************对齐操作***************", "文件3：#第1步：文件" + p + "已读取1001字节数据",
                     "文件3：#第2步：文件" + p + " 8字节对齐成功, 对齐后文件的长度由1001变为1008",
                     "***文件3：" + p + "对齐成功！***", ""}),
              LogLines());
    const std::vector<uint8_t> out = ReadBytes(p);
    ASSERT_EQ(1008u, out.size());
    EXPECT_EQ(std::vector<uint8_t>(7, 0xFF), std::vector<uint8_t>(out.begin() + 1001, out.end()));
    EXPECT_EQ("1008", Row(2).FileSizeText);
    EXPECT_EQ(p, ws.OutputFileText);
    EXPECT_EQ(1008, ws.selection().Entry(0).FileSize);

    // Collected again with the new size, the second run needs no padding.
    const int from = ws.log().LineCount();
    EXPECT_TRUE(AlignBatch(ws));
    EXPECT_EQ("文件3：#第1步：文件" + p + "长度1008已经是8字节的整数倍，无需对齐", LogLines(from)[1]);
    EXPECT_EQ("***文件3：" + p + "对齐失败！***", LogLines(from)[2]);
    EXPECT_EQ("", ws.OutputFileText);
}

TEST_F(AlignTest, AChangeThePaddingDidNotMakeIsStillReported) {
    const std::string p = WriteAndChoose(0, "d.bin", std::string(1001, 'd'));
    dir.Write("d.bin", std::string(1002, 'd'));  // changed by someone else since it was chosen
    prompts.ExpectNotice("文件1：" + p + "的大小1001已经改变！");
    EXPECT_TRUE(AlignBatch(ws));
    EXPECT_EQ(1004u, ReadBytes(p).size());
    EXPECT_EQ("1004", Row(0).FileSizeText);
}

TEST_F(AlignTest, PaddingCountFollowsTheChoice) {
    struct Case {
        int polish;
        size_t expected;
    };
    for (const Case c : {Case{1, 1002}, Case{2, 1004}, Case{3, 1008}}) {
        const std::string p = WriteAndChoose(0, "f.bin", std::string(1001, 'f'));
        Row(0).PolishTypeIndex = c.polish;
        EXPECT_TRUE(AlignBatch(ws));
        const std::vector<uint8_t> out = ReadBytes(p);
        EXPECT_EQ(c.expected, out.size());
        EXPECT_EQ(0x00, out.back());
    }
}

TEST_F(AlignTest, AlreadyAlignedFileIsUntouchedAndEmptiesTheOutput) {
    const std::string p = WriteAndChoose(0, "k.bin", std::string(1000, 'k'));
    ws.OutputFileText = "previous";
    EXPECT_TRUE(AlignBatch(ws));  // nothing failed, though nothing was padded
    EXPECT_EQ("文件1：#第1步：文件" + p + "长度1000已经是4字节的整数倍，无需对齐", LogLines()[1]);
    EXPECT_EQ(1000u, ReadBytes(p).size());
    EXPECT_EQ("", ws.OutputFileText);
}

TEST_F(AlignTest, OneByteChoiceIsRefusedAtStepOne) {
    const std::string p = WriteAndChoose(0, "one.bin", std::string(1001, 'o'));
    Row(0).PolishTypeIndex = 0;
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(AlignBatch(ws));
    EXPECT_EQ((Lines{"***************对齐操作***************", "文件1：#第1步：对齐失败！原因：选择了1字节对齐",
                     "***文件1：" + p + "对齐失败！***", ""}),
              LogLines());
    EXPECT_EQ(1001u, ReadBytes(p).size());
}

TEST_F(AlignTest, NoAlignmentChosenIsRefused) {
    const std::string p = WriteAndChoose(0, "none.bin", std::string(1001, 'n'));
    Row(0).PolishTypeIndex = -1;  // what a project file without the key leaves
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(AlignBatch(ws));
    EXPECT_EQ("文件1：#第1步：对齐失败！原因：未选择对齐长度", LogLines()[1]);
    EXPECT_EQ(1001u, ReadBytes(p).size());
}

TEST_F(AlignTest, HexEntryIsConvertedThenItsBinPadded) {
    const std::string hex = WriteAndChoose(0, "app.hex", test::HexBlock(0, 13));
    EXPECT_TRUE(AlignBatch(ws));
    const std::string bin = dir.File("app.BIN");
    const Lines lines = LogLines();
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ(0u, lines[1].find("文件1：#第1步："));
    EXPECT_EQ(0u, lines[2].find("文件1：#第2步：转换为Bin文件成功"));
    EXPECT_EQ("文件1：#第3步：文件" + bin + "已读取13字节数据", lines[3]);
    EXPECT_EQ("文件1：#第4步：文件" + bin + " 4字节对齐成功, 对齐后文件的长度由13变为16", lines[4]);
    EXPECT_EQ("***文件1：" + hex + "对齐成功！***", lines[5]);
    EXPECT_EQ(bin, ws.OutputFileText);
    EXPECT_EQ(16u, ReadBytes(bin).size());
}

TEST_F(AlignTest, FailedConversionIsTheFailureSummary) {
    const std::string hex = WriteAndChooseBadHex(0, "bad.hex", std::string(":00000001"));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(AlignBatch(ws));
    const Lines lines = LogLines();
    EXPECT_EQ("***文件1：" + hex + "对齐失败！***", lines[3]);
}

TEST_F(AlignTest, AReadOnlyFileIsAFailureToWriteWithItsReason) {
    // It can be read: the line blames the writing, and the reason follows.
    const std::string p = WriteAndChoose(0, "ro.bin", std::string(1001, 'g'));
    ASSERT_TRUE(test::MakeReadOnly(p));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(AlignBatch(ws));
    EXPECT_EQ("文件1：#第1步：文件" + p + "无法写入，对齐失败！", LogLines()[1]);
    EXPECT_EQ("文件1：#第1步：失败原因：文件为只读", LogLines()[2]);
    EXPECT_EQ(1001u, ReadBytes(p).size());
}

TEST_F(AlignTest, AFileGoneSinceItWasChosenIsAFailureToRead) {
    const std::string p = WriteAndChoose(0, "gone.bin", std::string(1001, 'g'));
    std::filesystem::remove(test::FsPath(p));
    ExpectFailedFiles("文件1");
    EXPECT_FALSE(AlignBatch(ws));
    const Lines lines = LogLines();
    const auto read = std::find(lines.begin(), lines.end(), "文件1：#第1步：文件读取数据失败");
    ASSERT_NE(lines.end(), read);
    EXPECT_EQ("文件1：#第1步：失败原因：文件或文件夹不存在", *(read + 1));
}

// A file size limit (setrlimit) is POSIX; Windows has no way to let only part
// of a write onto a disk that has room.
#ifndef _WIN32
TEST_F(AlignTest, PaddingThatCannotBeWrittenIsAFailureAndLeavesTheFile) {
    const std::string p = WriteAndChoose(0, "full.bin", std::string(1001, 'f'));
    struct rlimit old;
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old));
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 1002;  // room for one of the three padding bytes
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &tight));
    ExpectFailedFiles("文件1");
    const bool ok = AlignBatch(ws);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ("文件1：#第2步：文件" + p + " 4字节对齐失败，填充数据写入出错！", LogLines()[2]);
    EXPECT_EQ("文件1：#第2步：失败原因：文件过大", LogLines()[3]);
    EXPECT_EQ("***文件1：" + p + "对齐失败！***", LogLines()[4]);
    EXPECT_EQ(1001u, ReadBytes(p).size());
    EXPECT_EQ("", ws.OutputFileText);
}
#endif

TEST_F(AlignTest, PaddingComesFromTheFilesLengthNotARecordedOne) {
    // A file of 1.5 MiB now passes the reload after its padding, as choosing
    // takes it; the second run measures the padded file either way.
    const std::string p = WriteAndChoose(0, "big.bin", std::string(0x180001, 'b'));
    EXPECT_TRUE(AlignBatch(ws));
    ASSERT_EQ(0x180004u, ReadBytes(p).size());
    ASSERT_EQ("1572868", Row(0).FileSizeText);

    const int from = ws.log().LineCount();
    EXPECT_TRUE(AlignBatch(ws));
    EXPECT_EQ("文件1：#第1步：文件" + p + "长度1572868已经是4字节的整数倍，无需对齐", LogLines(from)[1]);
    EXPECT_EQ(0x180004u, ReadBytes(p).size());
}

TEST_F(AlignTest, NothingSelectedShowsTheMessage) {
    prompts.ExpectNotice("请选择至少一个目标文件！");
    EXPECT_FALSE(AlignBatch(ws));
    EXPECT_EQ(0, ws.log().LineCount());
}

}  // namespace
}  // namespace torvane
