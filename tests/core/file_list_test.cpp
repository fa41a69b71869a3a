#include "core/file_list.h"

#include <gtest/gtest.h>


#include "core/batch_selection.h"
#include "core/decode_hex.h"
#include "support/hex_text.h"
#include "support/image_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using test::ScriptedPrompts;
using test::TempDir;

class FileListTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    void Choose(int row, const std::string& path) {
        prompts.ExpectOpen(path);
        list.ChooseFile(row);
    }

    TempDir dir;
    ScriptedPrompts prompts;
    FileList list{prompts};
};

TEST_F(FileListTest, NewRowsShowTheirNumberAndDefaults) {
    for (int i = 0; i < kRowCount; ++i) {
        const RowControls& c = list.Controls(i);
        EXPECT_EQ(std::to_string(i + 1), c.SelectCaption);
        EXPECT_EQ(2, c.PolishTypeIndex);
        EXPECT_EQ(0, c.PolishDataIndex);
        EXPECT_TRUE(c.AlignColumnShown);
        EXPECT_EQ(FileEntry{}, list.Entry(i));
    }
}

TEST_F(FileListTest, ChooseBinFileShowsPathAndSizeAndSelects) {
    const std::string p = dir.Write("data.bin", std::string(300, 'x'));
    Choose(1, p);
    const RowControls& c = list.Controls(1);
    EXPECT_EQ(p, c.FileNameText);
    EXPECT_EQ("300", c.FileSizeText);
    EXPECT_TRUE(c.FileSizeReadOnly);
    EXPECT_TRUE(c.Selected);
    EXPECT_EQ("", c.OffsetAddrText);
    EXPECT_FALSE(c.OffsetAddrReadOnly);
    ASSERT_EQ(1u, prompts.openDialogs.size());
    EXPECT_EQ(kChooseFilter, prompts.openDialogs[0].filter);
    EXPECT_EQ("", prompts.openDialogs[0].defaultExtension);
}

TEST_F(FileListTest, UpperCaseHexAndIhxAreScannedAsHexFiles) {
    for (const char* name : {"APP.HEX", "app.ihx"}) {
        const std::string p = dir.Write(name, test::HexBlock(0x1000, 16));
        Choose(0, p);
        EXPECT_EQ("00001000", list.Controls(0).OffsetAddrText) << name;
        list.CollectEntry(0);
        EXPECT_EQ(kHexFile, list.Entry(0).FileType) << name;
    }
}

TEST_F(FileListTest, ChooseHexFilePresetsOffsets) {
    struct Case {
        uint32_t lowest;
        const char* offsetAddr;
        bool keep;
        const char* binOffset;
    };
    // The BIN offset puts the data at its own address, so the keep box stays
    // unchecked: keeping the bytes before the offset too would double it.
    for (const Case c : {Case{0x08000000, "08000000", false, "0"}, Case{0x1000, "00001000", false, "1000"},
                         Case{0, "00000000", false, "0"}, Case{0x08012340, "08012340", false, "12340"}}) {
        const std::string p = dir.Write("app.hex", test::HexBlock(c.lowest, 64));
        Choose(2, p);
        const RowControls& r = list.Controls(2);
        EXPECT_EQ(c.offsetAddr, r.OffsetAddrText);
        EXPECT_TRUE(r.OffsetAddrReadOnly);
        EXPECT_EQ(c.keep, r.SaveOffsetData) << c.offsetAddr;
        EXPECT_EQ(c.binOffset, r.BinOffsetText);
        EXPECT_TRUE(r.Selected);
        list.ClearEntry(2);
    }
}

// Shown at address 0, but unchecked with the box and its reason: a batch would
// only refuse it.
TEST_F(FileListTest, HexFileWithoutDataShowsAddressZero) {
    const std::string p = dir.Write("empty.hex", std::string(test::EndRecord()));
    prompts.ExpectNotice(kBadHexFileMessage);
    Choose(0, p);
    EXPECT_EQ("00000000", list.Controls(0).OffsetAddrText);
    EXPECT_FALSE(list.Controls(0).SaveOffsetData);
    EXPECT_FALSE(list.Controls(0).Selected);
    EXPECT_EQ("the file contains no data", prompts.LastReason().reason);
}

TEST_F(FileListTest, HexThatDoesNotDecodeFillsTheRowUnchecked) {
    const std::string data = test::DataRecord(0x2000, {1, 2, 3});
    for (const std::string& text : {data + ":0100000001FF\r\n" + test::EndRecord(), data}) {  // checksum, no end
        const std::string p = dir.Write("bad.hex", text);
        prompts.ExpectNotice(kBadHexFileMessage);
        Choose(0, p);
        EXPECT_EQ(p, list.Controls(0).FileNameText);
        EXPECT_EQ("00002000", list.Controls(0).OffsetAddrText);
        EXPECT_FALSE(list.Controls(0).Selected);
        EXPECT_FALSE(prompts.LastReason().reason.empty());
    }
}

// One place given two values is answered as a damaged record: the box, once,
// with the reason naming both lines.
TEST_F(FileListTest, HexGivingOnePlaceTwoValuesIsABadHexFile) {
    const std::string p =
        dir.Write("twice.hex", test::DataRecord(0x2000, {1, 2}) + test::DataRecord(0x2001, {3}) + test::EndRecord());
    prompts.ExpectNotice(kBadHexFileMessage);
    Choose(0, p);
    EXPECT_FALSE(list.Controls(0).Selected);
    EXPECT_EQ("line 2: 0x00002001 is given two values, 0x02 on line 1 and 0x03 on line 2", prompts.LastReason().reason);
}

TEST_F(FileListTest, HexDataOutsideTheImageIsRefusedWithItsAddress) {
    const std::string low = test::HexBlock(0x00100000, 64);
    const std::string p = dir.Write("far.hex", low.substr(0, low.size() - 13) + test::HexBlock(0x08300000, 16));
    prompts.ExpectNotice("HEX文件中地址0x08300000处的数据超出了2M的范围，加载失败！");
    Choose(0, p);
    EXPECT_EQ("", list.Controls(0).FileNameText);
    EXPECT_FALSE(list.Controls(0).Selected);
    EXPECT_NE(std::string::npos, prompts.LastReason().reason.find("0x08300000"));
}

TEST_F(FileListTest, HexIsLimitedByItsImageNotItsText) {
    // 1 MiB at the flash base is about 2.9 MB of text.
    const std::string big = dir.Write("big.hex", test::HexBlock(0x08000000, 0x100000));
    ASSERT_GT(big.size(), 0u);
    Choose(0, big);
    EXPECT_TRUE(list.Controls(0).Selected);
    EXPECT_EQ("08000000", list.Controls(0).OffsetAddrText);

    std::string text(kHexTextSizeLimit + 1, '\n');
    text.replace(0, 13, test::EndRecord());
    prompts.ExpectNotice(kHexTooLargeMessage);
    Choose(1, dir.Write("huge.hex", text));
    EXPECT_EQ("", list.Controls(1).FileNameText);
}

TEST_F(FileListTest, SizeLimitsOfChoosing) {
    const std::string exact = dir.Write("exact.bin", std::string(0x200000, '\0'));
    Choose(0, exact);
    EXPECT_EQ("2097152", list.Controls(0).FileSizeText);

    const std::string over = dir.Write("over.bin", std::string(0x200001, '\0'));
    prompts.ExpectNotice("文件大于2M，加载失败！");
    Choose(1, over);
    EXPECT_EQ(RowControls{}.FileNameText, list.Controls(1).FileNameText);
    EXPECT_FALSE(list.Controls(1).Selected);

    const std::string empty = dir.Write("empty.bin", std::string());
    prompts.ExpectNotice("您选择了空文件，请重新选择！");
    Choose(1, empty);
    EXPECT_EQ("", list.Controls(1).FileNameText);
}

TEST_F(FileListTest, UnopenableFilesAreRefused) {
    prompts.ExpectNotice("文件打开失败！");
    Choose(0, dir.File("missing.bin"));
    prompts.ExpectNotice("文件打开失败！");
    Choose(0, dir.path());  // a folder

    // Reading is enough: a read-only file (one from /usr/share, a read-only
    // share) is chosen like any other.
    const std::string ro = dir.Write("ro.hex", test::HexBlock(0x100, 16));
    ASSERT_TRUE(test::MakeReadOnly(ro));
    Choose(0, ro);
    EXPECT_EQ(ro, list.Controls(0).FileNameText);
    EXPECT_TRUE(list.Controls(0).Selected);
}

TEST_F(FileListTest, FailedChooseInALoadedRowKeepsNameAndSelection) {
    const std::string hex = dir.Write("app.hex", test::HexBlock(0x1000, 16));
    Choose(3, hex);
    list.Controls(3).PolishDataIndex = 1;
    prompts.ExpectNotice("您选择了空文件，请重新选择！");
    Choose(3, dir.Write("empty.bin", std::string()));
    const RowControls& c = list.Controls(3);
    EXPECT_EQ(hex, c.FileNameText);
    EXPECT_TRUE(c.Selected);
    EXPECT_EQ("", c.FileSizeText);
    EXPECT_EQ("", c.OffsetAddrText);
    EXPECT_EQ("", c.BinOffsetText);
    EXPECT_FALSE(c.SaveOffsetData);
    EXPECT_EQ(1, c.PolishDataIndex);
}

TEST_F(FileListTest, ATypedPathLoadsAsAChosenOneWithoutItsQuotes) {
    const std::string hex = dir.Write("app.hex", test::HexBlock(0x08001000, 16));
    list.LoadTypedFile(2, "  \"" + hex + "\" ");
    const RowControls& c = list.Controls(2);
    EXPECT_EQ(hex, c.FileNameText);
    EXPECT_EQ(std::to_string(test::HexBlock(0x08001000, 16).size()), c.FileSizeText);
    EXPECT_EQ("08001000", c.OffsetAddrText);
    EXPECT_TRUE(c.Selected);
    EXPECT_TRUE(prompts.openDialogs.empty());
    // The row then collects the file as chosen: a batch finds it unchanged.
    list.CollectEntry(2);
    EXPECT_EQ(static_cast<int32_t>(test::HexBlock(0x08001000, 16).size()), list.Entry(2).FileSize);
}

TEST_F(FileListTest, ATypedPathMeetsTheChecksAndBoxesOfAChosenOneAndARefusedOneChangesNothing) {
    const std::string bin = dir.Write("a.bin", std::string(10, 'a'));
    Choose(0, bin);
    list.Controls(0).PolishDataIndex = 1;
    const FileRow before = list.Row(0);
    prompts.ExpectNotice("文件打开失败！");
    list.LoadTypedFile(0, dir.File("missing.bin"));
    EXPECT_EQ(before.controls, list.Controls(0));
    EXPECT_EQ(dir.File("missing.bin"), prompts.reasons.back().path);
    prompts.ExpectNotice("您选择了空文件，请重新选择！");
    list.LoadTypedFile(0, dir.Write("empty.bin", std::string()));
    EXPECT_EQ(before.controls, list.Controls(0));
    prompts.ExpectNotice("文件大于2M，加载失败！");
    list.LoadTypedFile(0, dir.Write("big.bin", std::string(0x200001, 'b')));
    EXPECT_EQ(before.controls, list.Controls(0));
}

TEST_F(FileListTest, ATypedNameWithoutFolderIsTakenBesideTheRowsFile) {
    const std::string first = dir.Write("first.bin", std::string(4, 'a'));
    const std::string second = dir.Write("second.bin", std::string(6, 'b'));
    Choose(1, first);
    list.LoadTypedFile(1, "second.bin");
    EXPECT_EQ(second, list.Controls(1).FileNameText);
    EXPECT_EQ("6", list.Controls(1).FileSizeText);
    EXPECT_EQ(dir.File("x.hex"), TypedFileName("x.hex", first));
    EXPECT_EQ("", TypedFileName(" \"\" ", first));
    EXPECT_TRUE(IsAbsolutePath(TypedFileName("x.hex", "")));
}

TEST_F(FileListTest, TheRowsOwnNameTypedAgainChangesNothingAndAnEmptyBoxEmptiesTheRow) {
    const std::string bin = dir.Write("a.bin", std::string(10, 'a'));
    Choose(0, bin);
    list.Controls(0).BinOffsetText = "100";
    const RowControls before = list.Controls(0);
    list.LoadTypedFile(0, bin);
    EXPECT_EQ(before, list.Controls(0));
    list.LoadTypedFile(0, "  ");
    EXPECT_EQ("", list.Controls(0).FileNameText);
    EXPECT_EQ("", list.Controls(0).FileSizeText);
    EXPECT_FALSE(list.Controls(0).Selected);
    // An empty row left empty shows no box.
    list.LoadTypedFile(0, "");
}

TEST_F(FileListTest, BoxesAboutSRecordAndElfRowsNameTheirFormat) {
    const std::vector<uint8_t> data(40, 0x5A);
    prompts.ExpectNotice("错误的S-record文件！");
    Choose(0, dir.Write("bad.s19", test::SRecordText(0x1000, data, true)));
    EXPECT_FALSE(list.Controls(0).Selected);
    prompts.ExpectNotice("S-record文件中地址0x08300000处的数据超出了2M的范围，加载失败！");
    Choose(1, dir.Write("far.srec", test::SRecordText(0x08300000, data)));
    prompts.ExpectNotice("ELF文件中地址0x08300000处的数据超出了2M的范围，加载失败！");
    Choose(2, dir.Write("far.elf", test::ElfImage(0x08300000, data)));
    // Good ones load as HEX rows do, at their lowest address.
    Choose(3, dir.Write("app.S19", test::SRecordText(0x08001000, data)));
    EXPECT_EQ("08001000", list.Controls(3).OffsetAddrText);
    EXPECT_TRUE(list.Controls(3).Selected);
    Choose(4, dir.Write("app.axf", test::ElfImage(0x08000100, data)));
    EXPECT_EQ("08000100", list.Controls(4).OffsetAddrText);
    EXPECT_TRUE(list.Controls(4).Selected);
    // The texts of real HEX files, and of BIN files, stay as they are.
    EXPECT_EQ("错误的Hex文件！", RowFileText(kBadHexFileMessage, "APP.HEX"));
    EXPECT_EQ("HEX文件大于6M，加载失败！", RowFileText(kHexTooLargeMessage, "app.ihx"));
    EXPECT_EQ("ELF文件大于6M，加载失败！", RowFileText(kHexTooLargeMessage, "APP.ELF"));
    EXPECT_EQ("文件大于2M，加载失败！", RowFileText(kTooLargeMessage, "a.s37"));
}

TEST_F(FileListTest, CancelledDialogChangesNothing) {
    const std::string p = dir.Write("a.bin", std::string(10, 'a'));
    Choose(0, p);
    const RowControls before = list.Controls(0);
    prompts.ExpectOpen(std::nullopt);
    list.ChooseFile(0);
    EXPECT_EQ(before, list.Controls(0));
}

TEST_F(FileListTest, CollectEntryReadsEveryControl) {
    RowControls& c = list.Controls(4);
    c.FileNameText = "/x/fw.hex";
    c.FileSizeText = "1234";
    c.OffsetAddrText = "08001000";
    c.BinOffsetText = "1000";
    c.Selected = true;
    c.SaveOffsetData = true;
    c.PolishTypeIndex = 3;
    c.PolishDataIndex = 1;
    list.CollectEntry(4);
    const FileEntry expected{1, 5, kHexFile, "/x/fw.hex", 1234, 0x1000, 0x08001000, 1, 3, 1};
    EXPECT_EQ(expected, list.Entry(4));
}

TEST_F(FileListTest, ClearedRowCollectsAsDefaults) {
    const std::string p = dir.Write("app.hex", test::HexBlock(0x1000, 16));
    Choose(2, p);
    list.ClearEntry(2);
    const FileEntry expected{0, 3, kBinFile, "", 0, 0, 0, 0, 2, 0};
    EXPECT_EQ(expected, list.Entry(2));
    const RowControls& c = list.Controls(2);
    EXPECT_FALSE(c.FileSizeReadOnly);
    EXPECT_FALSE(c.OffsetAddrReadOnly);
    EXPECT_FALSE(c.Selected);
    EXPECT_EQ("", c.FileNameText);
}

TEST_F(FileListTest, DeleteEntryOfAnEmptyRowShowsError) {
    prompts.ExpectBox("当前没有可删除的条目！", "Error", Answer::Ok, MessageButtons::Ok, MessageIcon::Exclamation);
    list.DeleteEntry(0);
    const std::string p = dir.Write("a.bin", std::string(10, 'a'));
    Choose(0, p);
    list.DeleteEntry(0);
    EXPECT_EQ("", list.Controls(0).FileNameText);
}

TEST_F(FileListTest, SetSelectedOnAnEmptyRowIsRefused) {
    list.Controls(0).Selected = true;
    prompts.ExpectNotice("请选择文件！");
    list.SetSelected(0);
    EXPECT_FALSE(list.Controls(0).Selected);

    const std::string p = dir.Write("a.bin", std::string(10, 'a'));
    Choose(1, p);
    list.Controls(1).Selected = false;
    list.SetSelected(1);
    EXPECT_FALSE(list.Controls(1).Selected);
    list.Controls(1).Selected = true;
    list.SetSelected(1);
    EXPECT_TRUE(list.Controls(1).Selected);
}

TEST_F(FileListTest, SelectAllChecksOnlyRowsWithFiles) {
    Choose(0, dir.Write("a.bin", std::string(10, 'a')));
    Choose(3, dir.Write("b.bin", std::string(10, 'b')));
    list.SelectAll(false);
    for (int i = 0; i < kRowCount; ++i) EXPECT_FALSE(list.Controls(i).Selected);
    list.SelectAll(true);
    for (int i = 0; i < kRowCount; ++i) EXPECT_EQ(i == 0 || i == 3, list.Controls(i).Selected) << i;
}

TEST_F(FileListTest, ReloadUnchangedHexShowsTheEntry) {
    const std::string p = dir.Write("app.hex", test::HexBlock(0x08000100, 64));
    Choose(0, p);
    list.CollectEntry(0);
    const FileEntry entry = list.Entry(0);
    list.ClearEntry(0);
    list.Entry(0) = entry;
    list.Entry(0).BINOffset = 0x4000;
    list.Entry(0).PolishType = 1;
    list.ReloadEntry(0);
    const RowControls& c = list.Controls(0);
    EXPECT_EQ(p, c.FileNameText);
    EXPECT_EQ(std::to_string(entry.FileSize), c.FileSizeText);
    EXPECT_EQ("08000100", c.OffsetAddrText);
    EXPECT_EQ("00004000", c.BinOffsetText);
    EXPECT_TRUE(c.FileSizeReadOnly);
    EXPECT_TRUE(c.OffsetAddrReadOnly);
    EXPECT_EQ(entry.IsSaveOffsetData != 0, c.SaveOffsetData);  // a project keeps what it stores
    EXPECT_TRUE(c.Selected);
    EXPECT_EQ(1, c.PolishTypeIndex);
}

TEST_F(FileListTest, ReloadChangedHexShowsTheNewFacts) {
    const std::string p = dir.Write("app.hex", test::HexBlock(0x2000, 64));
    FileEntry& e = list.Entry(1);
    e = FileEntry{0, 2, kHexFile, p, 5, 0, 0x1000, 0, 2, 0};
    prompts.ExpectNotice("文件2：" + p + "的信息已经改变！");
    list.ReloadEntry(1);
    const RowControls& c = list.Controls(1);
    EXPECT_EQ(std::to_string(test::HexBlock(0x2000, 64).size()), c.FileSizeText);
    EXPECT_EQ("00002000", c.OffsetAddrText);
    EXPECT_FALSE(c.OffsetAddrReadOnly);  // only an unchanged reload makes it read-only
    EXPECT_EQ(5, list.Entry(1).FileSize);  // the entry is not written
}

TEST_F(FileListTest, ReloadChangedBinShowsTheOldSizeInTheMessage) {
    const std::string p = dir.Write("c.bin", std::string(1008, 'c'));
    list.Entry(2) = FileEntry{1, 3, kBinFile, p, 1001, 0x200, 0, 0, 3, 1};
    prompts.ExpectNotice("文件3：" + p + "的大小1001已经改变！");
    list.ReloadEntry(2);
    const RowControls& c = list.Controls(2);
    EXPECT_EQ("1008", c.FileSizeText);
    EXPECT_EQ("00000000", c.OffsetAddrText);
    EXPECT_EQ("00000200", c.BinOffsetText);
    EXPECT_EQ(3, c.PolishTypeIndex);
    EXPECT_EQ(1, c.PolishDataIndex);
}

TEST_F(FileListTest, ReloadFailuresLeaveTheControls) {
    const RowControls before = list.Controls(0);
    list.Entry(0) = FileEntry{0, 1, kBinFile, dir.File("gone.bin"), 10, 0, 0, 0, 2, 0};
    prompts.ExpectNotice("文件1不存在!");
    list.ReloadEntry(0);

    list.Entry(0).FileName = dir.Write("big.bin", std::string(0x200001, '\0'));
    prompts.ExpectNotice("文件1大于2M,加载失败!");
    list.ReloadEntry(0);
    EXPECT_EQ(before, list.Controls(0));
}

TEST_F(FileListTest, ReloadTakesWhatChoosingTakes) {
    // A project row of 1.5 MiB, and a read-only one.
    list.Entry(0) = FileEntry{0, 1, kBinFile, dir.Write("mid.bin", std::string(0x180000, '\0')), 0x180000, 0, 0, 0, 2, 0};
    list.ReloadEntry(0);
    EXPECT_EQ("1572864", list.Controls(0).FileSizeText);
    EXPECT_TRUE(list.Controls(0).Selected);

    const std::string ro = dir.Write("ro.bin", std::string(10, 'r'));
    ASSERT_TRUE(test::MakeReadOnly(ro));
    list.Entry(1) = FileEntry{0, 2, kBinFile, ro, 10, 0, 0, 0, 2, 0};
    list.ReloadEntry(1);
    EXPECT_TRUE(list.Controls(1).Selected);
}

TEST_F(FileListTest, ReloadOfAnUnnamedListIndexSelectsNothing) {
    const std::string p = dir.Write("a.bin", std::string(4, 'a'));
    list.Entry(0) = FileEntry{0, 1, kBinFile, p, 4, 0, 0, 0, -1, 7};
    list.ReloadEntry(0);
    EXPECT_EQ(-1, list.Controls(0).PolishTypeIndex);
    EXPECT_EQ(-1, list.Controls(0).PolishDataIndex);
    list.CollectEntry(0);
    EXPECT_EQ(-1, list.Entry(0).PolishType);
}

TEST_F(FileListTest, ColumnSwitchesClearTheKeepBoxOfAHexRow) {
    const std::string p = dir.Write("app.hex", test::HexBlock(0x1000, 16));
    Choose(0, p);
    list.ShowOffsetColumn(0);
    EXPECT_FALSE(list.Controls(0).AlignColumnShown);
    list.Controls(0).SaveOffsetData = true;
    list.CollectEntry(0);  // the entry now keeps the data before the offset
    list.ShowAlignColumn(0);
    EXPECT_TRUE(list.Controls(0).AlignColumnShown);
    EXPECT_FALSE(list.Controls(0).SaveOffsetData);
    EXPECT_EQ(1, list.Entry(0).IsSaveOffsetData);
}

TEST(BatchSelectionTest, GatherTakesSelectedRowsInOrder) {
    ScriptedPrompts prompts;
    TempDir dir;
    FileList list(prompts);
    for (int row : {1, 4}) {
        prompts.ExpectOpen(dir.Write("f" + std::to_string(row) + ".bin", std::string(8, 'x')));
        list.ChooseFile(row);
    }
    BatchSelection s;
    ResetSelection(s);
    GatherSelection(s, list);
    EXPECT_EQ(2, s.Count);
    EXPECT_EQ((std::array<int32_t, 6>{1, 4, -1, -1, -1, -1}), s.Rows);
    EXPECT_EQ(5, s.Entry(1).FileNo);
    EXPECT_EQ(FileEntry{}, s.WorkingCopies[0]);
    EXPECT_EQ(list.Entry(4), s.WorkingCopies[4]);

    ResetSelection(s);
    EXPECT_EQ(0, s.Count);
    EXPECT_EQ(FileEntry{}, s.WorkingCopies[4]);
    EXPECT_EQ(-1, s.Rows[0]);
}

}  // namespace
}  // namespace torvane
