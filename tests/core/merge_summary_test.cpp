#include "core/merge_summary.h"

#include <gtest/gtest.h>

#include "core/integrity_fields.h"
#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

class MergeSummaryTest : public test::WorkspaceTest {
protected:
    void SetUp() override { ws.SelectMode(WorkMode::MergeMode); }
};

TEST_F(MergeSummaryTest, SaysWhatTheMergeWouldMakeBeforeItRuns) {
    WriteAndChoose(0, "boot.hex", test::HexBlock(0x08000000, 0x40));
    WriteAndChoose(1, "app.bin", std::string(0x20, 'a'));
    Row(1).BinOffsetText = "100";
    ws.SetMergeFormat(ImageFormat::IntelHex);
    ws.MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    const MergeSummary s = SummarizeMerge(ws);
    EXPECT_EQ("合并预览：0x08000000-0x08000123，292字节；Intel HEX，起始地址0x08000000（自动）；校验值字段1个", s.text);
    EXPECT_TRUE(s.complete);
    // It writes nothing and leaves no map of a merge behind.
    EXPECT_FALSE(test::Exists(ws.OutputFileText));
    EXPECT_FALSE(ws.LastMergeMap);
    EXPECT_TRUE(ws.log().LineCount() == 0);
}

TEST_F(MergeSummaryTest, SettingsKeptFromAnEarlierProjectAreShownWithTooFewFiles) {
    // The list was cleared; the base, the fields and the gap fill were not.
    ws.MergeBaseText = "8000000";
    ws.MergeFields = {*ParseFieldSpec("crc32@8006800:8000000-80067FF")};
    ws.MergeFieldAddresses = FieldAddresses::ImageOffsets;
    ws.HexGapFill = GapFill::RowFill;
    WriteAndChoose(0, "a.bin", std::string(16, 'a'));
    const MergeSummary s = SummarizeMerge(ws);
    EXPECT_EQ("合并预览：已选择1个文件，至少需要两个；BIN，起始地址0x08000000（指定）；校验值字段1个（地址为偏移）；"
              "空隙按行填充",
              s.text);
    EXPECT_FALSE(s.complete);
}

TEST_F(MergeSummaryTest, AMergeThatWouldStopSaysWhereAndWhy) {
    WriteAndChoose(0, "a.bin", std::string(16, 'a'));
    WriteAndChoose(1, "b.bin", std::string(16, 'b'));
    Row(1).BinOffsetText = "10";
    ws.MergeFields = {*ParseFieldSpec("crc32@700000:0-F")};
    const MergeSummary s = SummarizeMerge(ws);
    EXPECT_EQ("合并预览：合并将取消：CRC-32/ISO-HDLC（写入地址0x00700000，范围0x00000000-0x0000000F）超出了映像可容纳的"
              "末尾0x005FFFFF；BIN；校验值字段1个",
              s.text);
    EXPECT_FALSE(s.complete);
    ws.MergeFields.clear();
    EXPECT_EQ("合并预览：0x00000000-0x0000001F，32字节；BIN；无校验值字段", SummarizeMerge(ws).text);
}

}  // namespace
}  // namespace torvane
