#include "config/config_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/chinese_reasons.h"
#include "core/merge.h"
#include "platform/code_page.h"
#include "support/hex_text.h"
#include "support/workspace_fixture.h"

namespace torvane {
namespace {

using test::ReadText;

class ConfigTest : public test::WorkspaceTest {
protected:
    void ExpectSaved() {
        prompts.ExpectBox("已将文件配置信息保存到INI文件中。", "信息", Answer::Ok, MessageButtons::Ok,
                          MessageIcon::Information);
    }
    void Export(const std::string& path) {
        prompts.ExpectSave(path);
        ExpectSaved();
        ExportConfig(ws);
    }
    void Import(const std::string& path) {
        prompts.ExpectOpen(path);
        ImportConfig(ws);
    }
};

TEST_F(ConfigTest, ExportWritesTheExampleBytes) {
    const std::string hex = WriteAndChoose(0, "app.hex", test::HexBlock(0x08000000, 64));
    Row(0).SaveOffsetData = true;
    const std::string size = Row(0).FileSizeText;
    const std::string ini = dir.File("Config.ini");
    Export(ini);
    EXPECT_EQ("[FileInfo1]\r\nFileName=" + hex + "\r\nFileNo=1\r\nFileType=1\r\nFileSize=" + size +
                  "\r\nBINOffset=00000000\r\nPolishType=2\r\nPolishData=0\r\nOffsetAddr=08000000\r\n"
                  "IsSaveOffsetData=1\r\n",
              ReadText(ini));
    ASSERT_EQ(1u, prompts.saveDialogs.size());
    const FileDialog& d = prompts.saveDialogs[0];
    EXPECT_EQ("ini文件(*.ini)|*.ini||", d.filter);
    EXPECT_EQ("ini", d.defaultExtension);
    EXPECT_EQ("Config", d.proposedName);
    EXPECT_TRUE(d.overwritePrompt);
}

TEST_F(ConfigTest, ExportTakesEveryRowWithAFileCheckedOrNot) {
    WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    WriteAndChoose(2, "c.bin", std::string(10, 'c'));
    Row(2).Selected = false;
    const std::string ini = dir.File("two.ini");
    Export(ini);
    const std::string text = ReadText(ini);
    EXPECT_NE(std::string::npos, text.find("[FileInfo1]"));
    EXPECT_NE(std::string::npos, text.find("[FileInfo3]"));
    EXPECT_EQ(std::string::npos, text.find("[FileInfo2]"));
}

TEST_F(ConfigTest, ExportRefusals) {
    prompts.ExpectNotice("请选择至少一个目标文件！");
    ExportConfig(ws);
    WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    prompts.ExpectSave(std::nullopt);
    ExportConfig(ws);
    prompts.ExpectSave(dir.File("no/such/dir/x.ini"));
    prompts.ExpectNotice("配置文件打开失败！");
    ExportConfig(ws);
}

// Folder permission bits are POSIX; on Windows a project another program
// holds open is the folder that takes no new file.
#ifndef _WIN32
TEST_F(ConfigTest, FailedExportLeavesAnOldProjectWhole) {
    WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    const std::string ini = dir.Write("old.ini", std::string("[FileInfo1]\r\nFileName=/kept\r\n"));
    ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0555));
    prompts.ExpectSave(ini);
    prompts.ExpectNotice("配置文件打开失败！");
    ExportConfig(ws);
    ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0755));
    EXPECT_EQ("[FileInfo1]\r\nFileName=/kept\r\n", ReadText(ini));
}
#else
TEST_F(ConfigTest, FailedExportLeavesAHeldProjectWhole) {
    WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    const std::string ini = dir.Write("old.ini", std::string("[FileInfo1]\r\nFileName=C:\\kept\r\n"));
    {
        const test::ExclusiveHold hold(ini);
        ASSERT_TRUE(hold.held());
        prompts.ExpectSave(ini);
        prompts.ExpectNotice("配置文件打开失败！");
        ExportConfig(ws);
    }
    EXPECT_EQ("[FileInfo1]\r\nFileName=C:\\kept\r\n", ReadText(ini));
    EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(test::FsPath(dir.path())), {}));  // a.bin, old.ini
}
#endif

TEST_F(ConfigTest, LayoutDecidesTheHiddenColumn) {
    WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    Row(0).BinOffsetText = "1234";
    Row(0).PolishTypeIndex = 3;
    const std::string perFile = dir.File("file.ini");
    Export(perFile);
    EXPECT_NE(std::string::npos, ReadText(perFile).find("BINOffset=00000000\r\nPolishType=3\r\n"));

    ws.SelectMode(WorkMode::MergeMode);
    const std::string merge = dir.File("merge.ini");
    Export(merge);
    EXPECT_NE(std::string::npos, ReadText(merge).find("BINOffset=00001234\r\nPolishType=2\r\n"));
}

TEST_F(ConfigTest, RoundTripInBothLayouts) {
    const std::string hex = WriteAndChoose(1, "app.hex", test::HexBlock(0x1000, 64));
    Row(1).SaveOffsetData = true;
    const std::string bin = WriteAndChoose(4, "data.bin", std::string(100, 'd'));
    Row(4).BinOffsetText = "8000";
    Row(4).PolishDataIndex = 1;
    Row(4).PolishTypeIndex = 1;
    Row(4).Selected = false;

    for (const WorkMode mode : {WorkMode::HexToBinMode, WorkMode::MergeMode}) {
        ws.SelectMode(mode);
        const bool merge = mode == WorkMode::MergeMode;
        const std::string ini = dir.File(merge ? "m.ini" : "f.ini");
        Export(ini);
        Import(ini);
        const RowControls& h = Row(1);
        EXPECT_EQ(hex, h.FileNameText);
        EXPECT_EQ("00001000", h.OffsetAddrText);
        EXPECT_TRUE(h.OffsetAddrReadOnly);
        EXPECT_TRUE(h.SaveOffsetData || !merge);  // the HEX-to-BIN switch unchecks it before export
        const RowControls& b = Row(4);
        EXPECT_EQ(bin, b.FileNameText);
        EXPECT_EQ("100", b.FileSizeText);
        EXPECT_TRUE(b.Selected);  // imported rows are checked
        EXPECT_EQ(1, b.PolishDataIndex);
        EXPECT_EQ(merge ? "00008000" : "00000000", b.BinOffsetText);
        EXPECT_EQ(merge ? 2 : 1, b.PolishTypeIndex);
        // Put back what the hidden column lost, for the next layout.
        Row(4).BinOffsetText = "8000";
        Row(4).PolishTypeIndex = 1;
    }
}

TEST_F(ConfigTest, ImportLoadsRowsInFileOrderAndClearsTheOthers) {
    const std::string a = dir.Write("a.bin", std::string(10, 'a'));
    const std::string c = dir.Write("c.bin", std::string(30, 'c'));
    WriteAndChoose(1, "old.bin", std::string(5, 'o'));
    WriteAndChoose(5, "old6.bin", std::string(5, 'o'));
    const std::string ini = dir.Write("p.ini", "[FileInfo3]\r\nFileName=" + c + "\r\nFileSize=30\r\nPolishType=3\r\n"
                                               "PolishData=1\r\n[FileInfo1]\r\nFileName=" + a + "\r\nFileSize=10\r\n");
    Import(ini);
    EXPECT_EQ(a, Row(0).FileNameText);
    EXPECT_EQ(c, Row(2).FileNameText);
    EXPECT_EQ(3, Row(2).PolishTypeIndex);
    for (int r : {1, 3, 4, 5}) EXPECT_EQ("", Row(r).FileNameText) << r;
    // Missing keys: no alignment and no fill chosen.
    EXPECT_EQ(-1, Row(0).PolishTypeIndex);
    EXPECT_EQ(-1, Row(0).PolishDataIndex);
    EXPECT_FALSE(Row(0).SaveOffsetData);
}

TEST_F(ConfigTest, RefusedFilesChangeNothing) {
    WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    const RowControls before = Row(0);
    struct Case {
        const char* text;
        const char* message;
    };
    for (const Case c : {Case{"", "该配置文件为空！"}, Case{"; only a comment\r\nx=1\r\n", "该配置文件为空！"},
                         Case{"[FileInfo1]\r\n[Config]\r\n", "该配置文件不完整！"},
                         Case{"[FileInfo12]\r\n", "该配置文件不完整！"},
                         Case{"[FileInfo1]\r\n[FileInfo7]\r\n", "该配置文件不完整！"},
                         Case{"[FileInfo0]\r\n", "该配置文件不完整！"},
                         Case{"[FileInfoX]\r\n", "该配置文件不完整！"}}) {
        prompts.ExpectNotice(c.message);
        Import(dir.Write("bad.ini", c.text));
        EXPECT_EQ(before, Row(0)) << c.text;
    }
    // Ten sections do not fit the name list: the cut list is refused.
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "[FileInfo" + std::to_string(i % 6 + 1) + "]\r\n";
    prompts.ExpectNotice("该配置文件不完整！");
    Import(dir.Write("ten.ini", ten));
    EXPECT_EQ(before, Row(0));
    prompts.ExpectOpen(std::nullopt);
    ImportConfig(ws);
    EXPECT_EQ(before, Row(0));
}

TEST_F(ConfigTest, ReloadMessagesOfImportedRows) {
    const std::string b = dir.Write("b.bin", std::string(12, 'b'));
    const std::string ini = dir.Write("r.ini", "[FileInfo2]\nFileName=" + b + "\nFileSize=10\n[FileInfo4]\nFileName=" +
                                                   dir.File("missing.bin") + "\n");
    prompts.ExpectNotice("文件2：" + b + "的大小10已经改变！");
    prompts.ExpectNotice("文件4不存在!");
    prompts.ExpectOpen(ini);
    ImportConfig(ws);
    EXPECT_EQ("12", Row(1).FileSizeText);
    EXPECT_EQ("", Row(3).FileNameText);
}

TEST_F(ConfigTest, AValueLongerThanTheReaderTakesRefusesTheProjectUnchanged) {
    // Cut to 127 characters, the name would be another file's (or a range
    // would lose its end): nothing is cut, the key is named.
    const std::string kept = WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    const std::string b = dir.Write("b.bin", std::string(12, 'b'));
#ifdef _WIN32
    const std::string longName = "C:\\" + std::string(130, 'n') + ".bin";
#else
    const std::string longName = "/" + std::string(130, 'n') + ".bin";
#endif
    prompts.ExpectNotice("该配置文件中文件4的FileName超过127个字符，无法导入！");
    Import(dir.Write("r.ini", "[FileInfo2]\nFileName=" + b + "\nFileSize=12\n[FileInfo4]\nFileName=" + longName + "\n"));
    EXPECT_EQ(kept, Row(0).FileNameText);
    EXPECT_EQ("", Row(1).FileNameText);
    EXPECT_EQ("[FileInfo4] FileName holds " + std::to_string(longName.size()) +
                  " characters, more than the 127 a project value may have",
              prompts.reasons.back().reason);
    // 127 characters are taken as they are; at 128 the cut would read 1, not 12.
    Import(dir.Write("s.ini", "[FileInfo1]\nFileName=" + b + "\nFileSize=" + std::string(125, '0') + "12\n"));
    EXPECT_EQ("12", Row(0).FileSizeText);
    prompts.ExpectNotice("该配置文件中文件1的FileSize超过127个字符，无法导入！");
    Import(dir.Write("t.ini", "[FileInfo1]\nFileName=" + b + "\nFileSize=" + std::string(126, '0') + "12\n"));
}

TEST_F(ConfigTest, RowNamedTwiceLoadsOnce) {
    const std::string b = dir.Write("b.bin", std::string(12, 'b'));
    const std::string ini = dir.Write("d.ini", "[FileInfo2]\nFileName=" + b + "\nFileSize=10\n[fileinfo2]\n");
    prompts.ExpectNotice("文件2：" + b + "的大小10已经改变！");
    const ImportResult r = [&] {
        return ImportConfigFrom(ws, ini);
    }();
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(1, r.named);
    EXPECT_EQ(1, r.loaded);
}

TEST_F(ConfigTest, ExportOntoARowsOwnFileIsRefused) {
    const std::string bin = WriteAndChoose(0, "a.bin", std::string(10, 'a'));
    prompts.ExpectSave(dir.path() + "/./a.bin");
    prompts.ExpectNotice("不能将配置文件保存为文件1：" + bin + "，否则该文件将被覆盖！");
    ExportConfig(ws);
    EXPECT_EQ(std::string(10, 'a'), ReadText(bin));
}

TEST_F(ConfigTest, PathsComeBackAsTheyWereWritten) {
    // The reader trims blanks and strips a pair of quotes; the export quotes
    // such a value so that it survives both.
    const std::string blank = WriteAndChoose(0, "trail.bin ", std::string(10, 't'));
    const std::string ini = dir.File("p.ini");
    Export(ini);
    EXPECT_NE(std::string::npos, ReadText(ini).find("FileName=\"" + blank + "\"\r\n"));
    ws.rows().ClearEntry(0);
    Import(ini);
    EXPECT_EQ(blank, Row(0).FileNameText);
}

TEST_F(ConfigTest, PathsThatCannotBeReadBackRefuseTheExport) {
    const std::string ini = dir.File("x.ini");
#ifdef _WIN32
    // Windows names are UTF-16: one outside every ANSI code page.
    const std::string odd = "x\U0001F600.bin";
#else
    const std::string odd = "x\xff.bin";  // not valid in the code page
#endif
    WriteAndChoose(0, odd, std::string(10, 'x'));
    prompts.ExpectSave(ini);
    prompts.ExpectNotice("文件1的路径" + dir.File(odd) +
                         "含有当前系统编码无法表示的字符，无法保存到配置文件中，导出已取消！");
    ExportConfig(ws);

#ifndef _WIN32  // Windows file names cannot hold a line end
    WriteAndChoose(0, "a\nb.bin", std::string(10, 'x'));
    prompts.ExpectSave(ini);
    prompts.ExpectNotice("文件1的路径含有换行符，无法保存到配置文件中，导出已取消！");
    ExportConfig(ws);
#endif

    WriteAndChoose(0, std::string(130, 'n') + ".bin", std::string(10, 'x'));
    prompts.ExpectSave(ini);
    prompts.ExpectNotice("文件1的路径超过127个字符，无法保存到配置文件中，导出已取消！");
    ExportConfig(ws);
    EXPECT_FALSE(test::Exists(ini));
}

TEST_F(ConfigTest, RelativePathsMeanTheProjectsFolder) {
    ASSERT_TRUE(test::MakeFolder(dir.File("proj")));
    const std::string bin = dir.Write("proj/fw.bin", std::string(12, 'f'));
    const std::string ini = dir.Write("proj/p.ini", "[FileInfo1]\r\nFileName=fw.bin\r\nFileSize=12\r\n");
    Import(ini);
    EXPECT_EQ(bin, Row(0).FileNameText);
    EXPECT_TRUE(Row(0).Selected);
}

TEST_F(ConfigTest, SectionNamesAreMeasuredInCharacters) {
    // Nine characters pass the length check and name row 2 by their last one;
    // its keys are then looked up in [FileInfo2], which this file lacks.
    ASSERT_TRUE(SetCodePage("UTF-8"));
    const std::string bin = dir.Write("a.bin", std::string(12, 'a'));
    prompts.ExpectNotice("文件2不存在!");
    Import(dir.Write("c.ini", "[FileInfo1]\r\nFileName=" + bin + "\r\nFileSize=12\r\n[文件信息File2]\r\n"));
    SetCodePage("");
    EXPECT_EQ(bin, Row(0).FileNameText);
}

TEST_F(ConfigTest, OversizedProjectIsRefusedUnread) {
    WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    const std::string ini = dir.Write("huge.ini", "[FileInfo1]\r\n");
    ASSERT_TRUE(test::SetFileLength(ini, 5 * 1024 * 1024));
    prompts.ExpectNotice("配置文件" + ini + "过大，无法导入！");
    Import(ini);
    EXPECT_EQ(dir.File("keep.bin"), Row(0).FileNameText);
}

TEST_F(ConfigTest, MergeSettingsTravelInTheFirstSectionAndComeBack) {
    ws.SelectMode(WorkMode::MergeMode);
    WriteAndChoose(1, "a.bin", std::string(16, 'a'));
    WriteAndChoose(3, "b.bin", std::string(16, 'b'));
    ws.SetMergeFormat(ImageFormat::IntelHex);
    ws.MergeBaseText = "8000000";
    // The length first: written after the CRC, it would lie in the CRC's range.
    // The fields are in the map's addresses, the base's (the project says so).
    ws.MergeFields = {*ParseFieldSpec("length32@8007FF8:8000000-8007FF7:be"),
                      *ParseFieldSpec("crc32@8007FFC:8000000-8007FFB")};
    const std::string ini = dir.File("merge.ini");
    Export(ini);
    const std::string text = ReadText(ini);
    // The keys follow the nine row keys of the first section only: a reader
    // that knows only those passes over them.
    const size_t second = text.find("[FileInfo4]");
    EXPECT_NE(std::string::npos, text.find("IsSaveOffsetData=0\r\nMergeFormat=hex\r\nMergeBase=08000000\r\n"
                                           "MergeFieldAddresses=flash\r\n"
                                           "MergeField1=length32@8007FF8:8000000-8007FF7:be\r\n"
                                           "MergeField2=CRC-32/ISO-HDLC@8007FFC:8000000-8007FFB\r\n[FileInfo4]"))
        << text;
    EXPECT_EQ(std::string::npos, text.find("Merge", second));

    ws.MergeBaseText.clear();
    ws.MergeFields.clear();
    ws.SetMergeFormat(ImageFormat::Binary);
    Import(ini);
    EXPECT_EQ(ImageFormat::IntelHex, ws.MergeFormat);
    EXPECT_EQ("Merge.hex", ws.OutputFileText.substr(ws.OutputFileText.size() - 9));
    EXPECT_EQ("08000000", ws.MergeBaseText);
    ASSERT_EQ(2u, ws.MergeFields.size());
    EXPECT_EQ("length32@8007FF8:8000000-8007FF7:be", FieldSpecText(ws.MergeFields[0]));
    EXPECT_EQ(FieldAddresses::Map, ws.MergeFieldAddresses);

    // A project without them gives the defaults back.
    Import(dir.Write("plain.ini", "[FileInfo1]\r\nFileName=" + dir.File("a.bin") + "\r\nFileSize=16\r\n"));
    EXPECT_TRUE(ws.MergeFields.empty());
    EXPECT_EQ("", ws.MergeBaseText);
    EXPECT_EQ(ImageFormat::Binary, ws.MergeFormat);
}

TEST_F(ConfigTest, AnImportedProjectMergesTheSameBytesAsTheWorkspaceThatExportedIt) {
    ws.SelectMode(WorkMode::MergeMode);
    WriteAndChoose(0, "a.bin", std::string(40, 'a'));
    WriteAndChoose(1, "b.bin", std::string(24, 'b'));
    Row(1).BinOffsetText = "40";
    ws.SetMergeFormat(ImageFormat::SRecord);
    ws.MergeFields = {*ParseFieldSpec("crc/16/8BB7/0/0/0/0@7E:0-7D:be"), *ParseFieldSpec("stm32@80:0-7F")};
    const std::string ini = dir.File("p.ini");
    Export(ini);
    ws.SetOutputFile(dir.File("first.srec"));
    prompts.ExpectNotice("合并成功!");
    ASSERT_TRUE(MergeBatch(ws));

    test::ScriptedPrompts other;
    Workspace again(other);
    again.SelectMode(WorkMode::MergeMode);
    other.ExpectOpen(ini);
    ImportConfig(again);
    EXPECT_EQ("Merge.srec", again.OutputFileText.substr(again.OutputFileText.size() - 10));
    again.SetOutputFile(dir.File("second.srec"));
    other.ExpectNotice("合并成功!");
    ASSERT_TRUE(MergeBatch(again));
    // The S0 records name their own files; everything after them is the same.
    const std::string first = ReadText(dir.File("first.srec"));
    const std::string second = ReadText(dir.File("second.srec"));
    EXPECT_EQ(first.substr(first.find('\n')), second.substr(second.find('\n')));
    EXPECT_NE(std::string::npos, first.find("S1"));
}

TEST_F(ConfigTest, ExportWithoutMergeSettingsWritesOnlyTheRowKeys) {
    WriteAndChoose(0, "a.bin", std::string(16, 'a'));
    const std::string ini = dir.File("plain.ini");
    Export(ini);
    EXPECT_EQ(std::string::npos, ReadText(ini).find("Merge"));
    // Fields the merge would refuse are not kept.
    ws.MergeFields = {*ParseFieldSpec("crc32@10:0-1F")};
    prompts.ExpectSave(dir.File("bad.ini"));
    prompts.ExpectNotice(kBadFieldsExportMessage);
    ExportConfig(ws);
    EXPECT_FALSE(test::Exists(dir.File("bad.ini")));
}

TEST_F(ConfigTest, UnreadableMergeSettingsRefuseTheImportBeforeAnythingChanges) {
    WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    ws.MergeFields = {*ParseFieldSpec("crc32@10:0-F")};
    const RowControls before = Row(0);
    const std::string a = dir.Write("a.bin", std::string(16, 'a'));
    for (const char* bad : {"MergeField1=crc33@10:0-F", "MergeFormat=elf", "MergeBase=123456789",
                            "MergeField1=sum8@10:0-F\r\nMergeField2=x"}) {
        prompts.ExpectNotice("该配置文件的合并设置有误，无法导入！");
        Import(dir.Write("bad.ini", "[FileInfo1]\r\nFileName=" + a + "\r\n" + bad + "\r\n"));
        EXPECT_EQ(before, Row(0)) << bad;
        EXPECT_EQ(1u, ws.MergeFields.size()) << bad;
    }
}

TEST_F(ConfigTest, MergeFieldsAreNeverCutOrSkipped) {
    WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    const RowControls before = Row(0);
    const std::string a = dir.Write("a.bin", std::string(16, 'a'));
    // A custom CRC whose ":be" stands past the 127th character.
    std::string longField = "crc/64/42F0E1EBA9EA3693/FFFFFFFFFFFFFFFF/1/1/FFFFFFFFFFFFFFFF@00000000000010:00000000000000000000000000-";
    longField += "0000000000000000000000000F:be";
    ASSERT_GT(longField.size(), 127u);
    struct Case {
        std::string keys;
        std::string reason;
    };
    for (const Case& c :
         {Case{"MergeField1=" + longField, "[FileInfo1] MergeField1 holds " + std::to_string(longField.size()) +
                                               " characters, more than the 127 a project value may have"},
          Case{"MergeField1=crc32@10:0-F\r\nMergeField3=add8@20:0-F", "[FileInfo1] has MergeField3 but no MergeField2"},
          Case{"MergeField2=crc32@10:0-F", "[FileInfo1] has MergeField2 but no MergeField1"},
          Case{"MergeField01=crc32@10:0-F", "[FileInfo1] MergeField01 is none of MergeField1, MergeField2, ..."},
          Case{"MergeBase=0\r\n[FileInfo2]\r\nFileName=" + a + "\r\nmergefield1=crc32@10:0-F",
               "[FileInfo1] and [FileInfo2] both hold merge settings; a project keeps them in one section"}}) {
        prompts.ExpectNotice("该配置文件的合并设置有误，无法导入！");
        Import(dir.Write("bad.ini", "[FileInfo1]\r\nFileName=" + a + "\r\n" + c.keys + "\r\n"));
        EXPECT_EQ(before, Row(0)) << c.keys;
        EXPECT_EQ(c.reason, prompts.reasons.back().reason);
        EXPECT_NE(c.reason, ChineseReason(c.reason)) << c.reason;
    }
    // Numbered from 1 without a gap, in any order and case, they are read.
    prompts.ExpectNotice("文件1：" + a + "的大小0已经改变！");
    Import(dir.Write("good.ini", "[FileInfo1]\r\nFileName=" + a + "\r\nMERGEFIELD2=add8@20:0-F\r\nMergeField1=crc32@10:0-F\r\n"));
    ASSERT_EQ(2u, ws.MergeFields.size());
    EXPECT_EQ("add8@20:0-F", FieldSpecText(ws.MergeFields[1]));
}

// A project saved before fields took the map's addresses (no
// MergeFieldAddresses key): its fields stay image offsets, and it merges the
// bytes it merged then.
TEST_F(ConfigTest, AnOlderProjectsFieldsStayImageOffsetsAndMergeTheSameBytes) {
    ws.SelectMode(WorkMode::MergeMode);
    const std::string boot = dir.Write("boot.hex", test::HexBlock(0x08000000, 32));
    const std::string app = dir.Write("app.bin", std::string(16, 'a'));
    // The project as the last release wrote it.
    const std::string old = dir.Write(
        "old.ini", "[FileInfo1]\r\nFileName=" + boot + "\r\nFileNo=1\r\nFileType=1\r\nFileSize=" +
                       std::to_string(test::HexBlock(0x08000000, 32).size()) +
                       "\r\nBINOffset=00000000\r\nPolishType=2\r\nPolishData=0\r\nOffsetAddr=08000000\r\n"
                       "IsSaveOffsetData=0\r\nMergeFormat=hex\r\nMergeField1=CRC-32/ISO-HDLC@30:0-2F\r\n"
                       "[FileInfo2]\r\nFileName=" + app + "\r\nFileNo=2\r\nFileType=0\r\nFileSize=16\r\n"
                       "BINOffset=00000020\r\nPolishType=2\r\nPolishData=0\r\nOffsetAddr=00000000\r\n"
                       "IsSaveOffsetData=0\r\n");
    Import(old);
    EXPECT_EQ(FieldAddresses::ImageOffsets, ws.MergeFieldAddresses);
    ws.SetOutputFile(dir.File("old.hex"));
    prompts.ExpectNotice("合并成功!");
    ASSERT_TRUE(MergeBatch(ws));
    // Saved again, it says which addresses its fields use, and keeps them.
    const std::string again = dir.File("again.ini");
    Export(again);
    EXPECT_NE(std::string::npos, ReadText(again).find("MergeFieldAddresses=offset\r\nMergeField1=CRC-32/ISO-HDLC@30:0-2F"));
    // The same CRC entered anew, at the end of the image in the map's addresses.
    ws.MergeFieldAddresses = FieldAddresses::Map;
    ws.MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    ws.SetOutputFile(dir.File("new.hex"));
    prompts.ExpectNotice("合并成功!");
    ASSERT_TRUE(MergeBatch(ws));
    const std::string first = ReadText(dir.File("old.hex"));
    const std::string second = ReadText(dir.File("new.hex"));
    EXPECT_EQ(first, second);
    EXPECT_NE(std::string::npos, first.find(":04003000"));
    Import(again);
    EXPECT_EQ(FieldAddresses::ImageOffsets, ws.MergeFieldAddresses);
}

TEST_F(ConfigTest, TheGapFillAndTheFieldsAddressesTravelWhereTheyAreNotDefault) {
    WriteAndChoose(0, "a.bin", std::string(16, 'a'));
    const std::string plain = dir.File("plain.ini");
    Export(plain);
    EXPECT_EQ(std::string::npos, ReadText(plain).find("GapFill"));
    EXPECT_EQ(std::string::npos, ReadText(plain).find("MergeFieldAddresses"));
    ws.HexGapFill = GapFill::RowFill;
    ws.MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    const std::string both = dir.File("both.ini");
    Export(both);
    EXPECT_NE(std::string::npos,
              ReadText(both).find("IsSaveOffsetData=0\r\nGapFill=row\r\nMergeFieldAddresses=flash\r\n"
                                  "MergeField1=CRC-32/ISO-HDLC@end:start-end\r\n"))
        << ReadText(both);
    ws.HexGapFill = GapFill::Zero;
    ws.MergeFields.clear();
    Import(both);
    EXPECT_EQ(GapFill::RowFill, ws.HexGapFill);
    EXPECT_EQ(FieldAddresses::Map, ws.MergeFieldAddresses);
    ASSERT_EQ(1u, ws.MergeFields.size());
    EXPECT_TRUE(ws.MergeFields[0].Symbolic());
    // A project without them gives the defaults back.
    Import(plain);
    EXPECT_EQ(GapFill::Zero, ws.HexGapFill);
    EXPECT_EQ(FieldAddresses::Map, ws.MergeFieldAddresses);
}

TEST_F(ConfigTest, AGapFillOrFieldAddressesItCannotReadRefusesTheImport) {
    WriteAndChoose(0, "keep.bin", std::string(5, 'k'));
    const std::string a = dir.Write("a.bin", std::string(16, 'a'));
    struct Case {
        const char* keys;
        const char* reason;
    };
    for (const Case& c : {Case{"GapFill=FF", "[FileInfo1] GapFill=FF is not row or 00"},
                          Case{"MergeFieldAddresses=image\r\nMergeField1=crc32@10:0-F",
                               "[FileInfo1] MergeFieldAddresses=image is not flash or offset"},
                          Case{"GapFill=row\r\n[FileInfo2]\r\nFileName=a.bin\r\nMergeBase=0",
                               "[FileInfo1] and [FileInfo2] both hold merge settings; a project keeps them in one "
                               "section"}}) {
        prompts.ExpectNotice("该配置文件的合并设置有误，无法导入！");
        Import(dir.Write("bad.ini", "[FileInfo1]\r\nFileName=" + a + "\r\n" + c.keys + "\r\n"));
        EXPECT_EQ(c.reason, prompts.reasons.back().reason);
        EXPECT_NE(c.reason, ChineseReason(c.reason));
    }
    EXPECT_EQ(GapFill::Zero, ws.HexGapFill);
}

}  // namespace
}  // namespace torvane
