#include "core/workspace.h"

#include <gtest/gtest.h>

#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ScriptedPrompts;
using test::TempDir;

class ClearListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int row : {0, 2}) {
            prompts.ExpectOpen(dir.Write("f" + std::to_string(row) + ".bin", std::string(16, 'x')));
            ws.rows().ChooseFile(row);
        }
        ws.HeaderChecked = true;
        ws.OutputFileText = "/out/Merge.Bin";
        ws.selection().WorkingCopies[0].FileSize = 99;
        ws.selection().Count = 1;
        ws.selection().Rows[0] = 0;
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    TempDir dir;
    ScriptedPrompts prompts;
    Workspace ws{prompts};
};

TEST_F(ClearListTest, NoKeepsEverything) {
    prompts.ExpectBox("确认要清空文件列表吗？", "温馨提示", Answer::No, MessageButtons::YesNo, MessageIcon::Question);
    ws.ClearList();
    EXPECT_FALSE(ws.rows().Controls(0).FileNameText.empty());
    EXPECT_TRUE(ws.HeaderChecked);
}

TEST_F(ClearListTest, YesClearsRowsAndTheOutputInTheAlignLayout) {
    prompts.ExpectBox("确认要清空文件列表吗？", "温馨提示", Answer::Yes, MessageButtons::YesNo);
    ws.ClearList();
    for (int i = 0; i < kRowCount; ++i) {
        EXPECT_EQ("", ws.rows().Controls(i).FileNameText);
        EXPECT_EQ(i + 1, ws.rows().Entry(i).FileNo);
        EXPECT_EQ(FileEntry{}, ws.selection().WorkingCopies[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(1, ws.selection().Count);  // the row list is not touched
    EXPECT_FALSE(ws.HeaderChecked);
    EXPECT_EQ("", ws.OutputFileText);
}

TEST_F(ClearListTest, TheMergeLayoutKeepsTheOutputFile) {
    ws.ListLayout = kOffsetLayout;
    prompts.ExpectBox("确认要清空文件列表吗？", "温馨提示", Answer::Yes);
    ws.ClearList();
    EXPECT_EQ("/out/Merge.Bin", ws.OutputFileText);
}

}  // namespace
}  // namespace torvane
