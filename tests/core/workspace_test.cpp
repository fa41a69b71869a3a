#include "core/workspace.h"

#include <gtest/gtest.h>

#include "platform/program_path.h"
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

namespace torvane {
namespace {

TEST(SelectModeTest, StartsInHexToBinModeWithTheHeaderChecked) {
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    EXPECT_EQ(WorkMode::HexToBinMode, ws.Mode());
    EXPECT_EQ("对齐长度", ws.AlignTitle);
    EXPECT_EQ("补充数据", ws.FillTitle);
    EXPECT_EQ("", ws.OutputFileText);
    EXPECT_TRUE(ws.HeaderChecked);
    EXPECT_EQ(kAlignLayout, ws.ListLayout);
    for (int i = 0; i < kRowCount; ++i) EXPECT_FALSE(ws.rows().Controls(i).Selected);
    EXPECT_EQ(DefaultFilesFolder() + kPathSeparator + "Merge.Bin", ws.DefaultOutputPath);
}

TEST(SelectModeTest, EachModeSetsTitlesColumnFlagsAndCommands) {
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    struct Case {
        WorkMode mode;
        const char* align;
        const char* fill;
        bool alignColumn;
        int32_t layout;
        int32_t flags[3];
    };
    for (const Case c : {Case{WorkMode::MergeMode, "偏移地址(0x)", "填充数据", false, 2, {0, 1, 0}},
                         Case{WorkMode::AlignMode, "对齐长度", "补充数据", true, 1, {0, 0, 1}},
                         Case{WorkMode::HexToBinMode, "对齐长度", "补充数据", true, 1, {1, 0, 0}}}) {
        ws.SelectMode(c.mode);
        EXPECT_EQ(c.align, ws.AlignTitle);
        EXPECT_EQ(c.fill, ws.FillTitle);
        EXPECT_EQ(c.layout, ws.ListLayout);
        EXPECT_EQ(c.alignColumn, ws.rows().Controls(5).AlignColumnShown);
        EXPECT_EQ(c.flags[0], ws.HexToBinFlag());
        EXPECT_EQ(c.flags[1], ws.MergeFlag());
        EXPECT_EQ(c.flags[2], ws.AlignFlag());
        EXPECT_EQ(c.flags[0] == 1, ws.IsEnabled(Operation::HexToBin));
        EXPECT_EQ(c.flags[1] == 1, ws.IsEnabled(Operation::Merge));
        EXPECT_EQ(c.flags[2] == 1, ws.IsEnabled(Operation::Align));
    }
}

TEST(SelectModeTest, MergeModeRestoresTheDefaultOutputNotATypedOne) {
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    ws.SelectMode(WorkMode::MergeMode);
    EXPECT_EQ(ws.DefaultOutputPath, ws.OutputFileText);
    ws.OutputFileText = "/elsewhere/typed.bin";
    ws.SelectMode(WorkMode::HexToBinMode);
    EXPECT_EQ("", ws.OutputFileText);
    ws.SelectMode(WorkMode::MergeMode);
    EXPECT_EQ(ws.DefaultOutputPath, ws.OutputFileText);
    ws.SelectMode(WorkMode::AlignMode);
    ws.OutputFileText = "/filled/by/an/operation.BIN";
    ws.SelectMode(WorkMode::AlignMode);
    EXPECT_EQ("", ws.OutputFileText);
}

}  // namespace
}  // namespace torvane
