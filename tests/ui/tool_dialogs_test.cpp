// The tool dialogs' wiring: that each control reaches its logic call and shows
// what it returns. What the logic computes is proven by the tests under tests/tools.

#include "ui/tool_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/format.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/bin2c/bin_to_c_dialog.h"
#include "tools/bin2c/bin_to_c_tool.h"
#include "tools/checksum/check_dialog.h"
#include "tools/checksum/check_tool.h"
#include "tools/compare/compare_dialog.h"
#include "tools/nic/upgrade_dialog.h"
#include "tools/nic/upgrade_image.h"
#include "support/nic_test_support.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/stamp_dialog.h"
#include "tools/stamp/stamp_tool.h"
#include "tools/testbin/test_bin_dialog.h"
#include "tools/testbin/test_bin_tool.h"
#include "widgets/new_list_box.h"
#include "ui/main_ids.h"
#include "ui/qt_prompts.h"
#include "ui/row_ids.h"
#include "tools/testbin/test_bin_ids.h"
#include "tools/nic/upgrade_ids.h"
#include "tools/checksum/check_ids.h"
#include "tools/bin2c/bin_to_c_ids.h"
#include "shots.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

template <typename T>
T* Find(QWidget* parent, int id) {
    T* w = parent->findChild<T*>(QString::number(id));
    EXPECT_NE(nullptr, w) << id;
    return w;
}

void Click(QWidget* parent, int id) { QTest::mouseClick(Find<QPushButton>(parent, id), Qt::LeftButton); }

// Replaces an edit's text the way a user does: select everything, then type.
void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
    else QTest::keyClicks(edit, text);
}

void ExpectInformation(ScriptedPrompts& prompts, const char* text) {
    prompts.ExpectBox(text, ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Information);
}

template <typename Dialog>
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = std::make_unique<Dialog>(prompts);
        dialog->show();
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    QLineEdit* Edit(int id) { return Find<QLineEdit>(dialog.get(), id); }
    QString Text(int id) { return Edit(id)->text(); }

    test::TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<Dialog> dialog;
};

// ---- 生成文件校验值 ----

class CheckDialogTest : public DialogTest<CDlg_Check> {
protected:
    QListWidget* Methods() { return Find<QListWidget>(dialog.get(), check_ids::kMethodList); }
    void ClickMethod(int row) {
        QListWidget* list = Methods();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    int SelectedMethod() {
        const QList<QListWidgetItem*> items = Methods()->selectedItems();
        return items.isEmpty() ? -1 : Methods()->row(items.first());
    }
};

TEST_F(CheckDialogTest, EveryPickOfAMethodComputesAndShowsTheValue) {
    ASSERT_EQ(kChecksumMethodCount, Methods()->count());
    EXPECT_EQ(0, SelectedMethod());
    QTest::keyClicks(Edit(check_ids::kData), QStringLiteral("0102"));
    // The method selected from the start, clicked again.
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("FC"), Text(check_ids::kResult));
    // A move by keyboard computes too.
    QTest::keyClick(Methods(), Qt::Key_Down);
    EXPECT_EQ(1, SelectedMethod());
    EXPECT_EQ(QStringLiteral("FEFD"), Text(check_ids::kResult));

    Retype(Edit(check_ids::kData), QStringLiteral("0001f203f4f5f6f7"));
    ClickMethod(1);
    EXPECT_EQ(QStringLiteral("220D"), Text(check_ids::kResult));
    Retype(Edit(check_ids::kData), QStringLiteral("313233343536373839"));
    ClickMethod(static_cast<int>(ChecksumMethod::Crc32IsoHdlc));
    EXPECT_EQ(QStringLiteral("CBF43926"), Text(check_ids::kResult));
    Shoot(dialog.get(), QStringLiteral("tool-check"));
}

// The value shown always belongs to the file and data shown.
TEST_F(CheckDialogTest, TheResultIsClearedWhenItsInputChangesOrTheComputationFails) {
    QTest::keyClicks(Edit(check_ids::kData), QStringLiteral("0x0102"));
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("FC"), Text(check_ids::kResult));
    QTest::keyClicks(Edit(check_ids::kData), QStringLiteral("03"));
    EXPECT_EQ(QString(), Text(check_ids::kResult));
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("F9"), Text(check_ids::kResult));
    QTest::keyClicks(Edit(check_ids::kPath), QStringLiteral("/no/such.bin"));
    EXPECT_EQ(QString(), Text(check_ids::kResult));

    // A failed computation clears a value set since.
    Edit(check_ids::kPath)->clear();
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("F9"), Text(check_ids::kResult));
    prompts.ExpectBox(kCheckDataErrorMessage, ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Exclamation);
    Edit(check_ids::kData)->blockSignals(true);
    Edit(check_ids::kData)->setText(QStringLiteral("012"));
    Edit(check_ids::kData)->blockSignals(false);
    ClickMethod(0);
    EXPECT_EQ(QString(), Text(check_ids::kResult));
}

TEST_F(CheckDialogTest, NothingToCheckClearsTheSelectionUntilTheNextPick) {
    prompts.ExpectBox(kCheckNothingMessage, ApplicationName(), Answer::Ok, MessageButtons::Ok, MessageIcon::Exclamation);
    ClickMethod(2);
    EXPECT_EQ(-1, SelectedMethod());
    EXPECT_EQ(QString(), Text(check_ids::kResult));

    QTest::keyClicks(Edit(check_ids::kData), QStringLiteral("0102030405"));
    ClickMethod(2);
    EXPECT_EQ(2, SelectedMethod());
    EXPECT_EQ(QStringLiteral("F9FDFCFB"), Text(check_ids::kResult));
}

TEST_F(CheckDialogTest, DataEditDropsTypedNonHexCharactersButNotPastedText) {
    QLineEdit* data = Edit(check_ids::kData);
    QTest::keyClicks(data, QStringLiteral("1g2 ,fZ"));
    EXPECT_EQ(QStringLiteral("12f"), data->text());
    QTest::keyClick(data, Qt::Key_Backspace);
    EXPECT_EQ(QStringLiteral("12"), data->text());
    QGuiApplication::clipboard()->setText(QStringLiteral(" 34,zz"));
    QTest::keyClick(data, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(QStringLiteral("12 34,zz"), data->text());
    // The path edit takes any character.
    QTest::keyClicks(Edit(check_ids::kPath), QStringLiteral("/tmp/g z"));
    EXPECT_EQ(QStringLiteral("/tmp/g z"), Text(check_ids::kPath));
}

TEST_F(CheckDialogTest, BrowsedFileIsChecked) {
    const std::string file = dir.Write("app.bin", std::vector<uint8_t>{0x01, 0x02});
    prompts.ExpectOpen(file);
    Click(dialog.get(), check_ids::kBrowse);
    EXPECT_EQ(QString::fromStdString(file), Text(check_ids::kPath));
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("FC"), Text(check_ids::kResult));
}

TEST_F(CheckDialogTest, TheFileDialogOffersAllFilesBesideBin) {
    prompts.ExpectOpen(std::nullopt);
    Click(dialog.get(), check_ids::kBrowse);
    const QStringList filters = QtNameFilters(prompts.openDialogs.at(0).filter);
    // BIN first, as ever, then the formats whose data can be checked, then all files.
    ASSERT_EQ(5, filters.size());
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("Bin文件(*.BIN)")));
    EXPECT_TRUE(filters[2].contains(QStringLiteral("*.s19")));
    EXPECT_TRUE(filters[3].contains(QStringLiteral("*.axf")));
    EXPECT_TRUE(filters[4].startsWith(QStringLiteral("所有文件 (*)")));
}

TEST_F(CheckDialogTest, AHexFileIsSaidToBeCheckedOverItsTextAndItsDataCanBeChosen) {
    auto* note = dialog->findChild<QLabel*>(QStringLiteral("checkNote"));
    auto* choice = dialog->findChild<QCheckBox*>(QStringLiteral("checkImageData"));
    ASSERT_NE(nullptr, note);
    ASSERT_NE(nullptr, choice);
    const std::string bin = dir.Write("app.bin", std::vector<uint8_t>{0x01, 0x02});
    Edit(check_ids::kPath)->setText(QString::fromStdString(bin));
    EXPECT_TRUE(note->isHidden());
    EXPECT_TRUE(choice->isHidden());

    // The same two bytes as a HEX record at 0x100.
    const std::string text = ":020100000102FA\r\n:00000001FF\r\n";
    Edit(check_ids::kPath)->setText(QString::fromStdString(dir.Write("app.hex", text)));
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("HEX文件是文本，默认按文件的文本计算校验值")));
    EXPECT_EQ(QStringLiteral("按HEX文件描述的数据计算"), choice->text());
    ClickMethod(0);
    const QString overText = Text(check_ids::kResult);
    EXPECT_NE(QStringLiteral("FC"), overText);
    choice->click();
    EXPECT_EQ(QString(), Text(check_ids::kResult));  // the value shown was of the text
    ClickMethod(0);
    EXPECT_EQ(QStringLiteral("FC"), Text(check_ids::kResult));
    Shoot(dialog.get(), QStringLiteral("tool-check-hex-data"));
    Edit(check_ids::kPath)->setText(QStringLiteral("/fw/app.s19"));
    EXPECT_EQ(QStringLiteral("按S-record文件描述的数据计算"), choice->text());
}

TEST_F(CheckDialogTest, EnterAndEscapeNeitherCloseNorPress) {
    QPushButton* browse = Find<QPushButton>(dialog.get(), check_ids::kBrowse);
    browse->setFocus();
    // A pressed "..." would ask for a file, which the prompts would refuse as unexpected.
    QTest::keyClick(browse, Qt::Key_Return);
    QTest::keyClick(browse, Qt::Key_Enter);
    QTest::keyClick(Edit(check_ids::kData), Qt::Key_Escape);
    QTest::keyClick(Methods(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
}

// ---- 生成测试文件 ----

class TestBinDialogTest : public DialogTest<Dlg_TestBin> {
protected:
    QCheckBox* Random() { return Find<QCheckBox>(dialog.get(), testbin_ids::kRandom); }
};

TEST_F(TestBinDialogTest, OpensWithTheStartValuesAndLimits) {
    EXPECT_EQ(QStringLiteral("1024"), Text(testbin_ids::kLength));
    EXPECT_EQ(QStringLiteral("000000"), Text(testbin_ids::kStart));
    EXPECT_EQ(QStringLiteral("0003FF"), Text(testbin_ids::kEnd));
    EXPECT_EQ(QString(), Text(testbin_ids::kFill));
    EXPECT_FALSE(Edit(testbin_ids::kFill)->isEnabled());
    EXPECT_TRUE(Random()->isChecked());
    EXPECT_EQ(QString::fromStdString(TestBinDefaultPath()), Text(testbin_ids::kPath));
    EXPECT_EQ(7, Edit(testbin_ids::kLength)->maxLength());
    EXPECT_EQ(2, Edit(testbin_ids::kFill)->maxLength());
    Shoot(dialog.get(), QStringLiteral("tool-testbin"));
}

TEST_F(TestBinDialogTest, EndFieldFollowsTheLength) {
    Retype(Edit(testbin_ids::kLength), QStringLiteral("100"));
    EXPECT_EQ(QStringLiteral("000063"), Text(testbin_ids::kEnd));
    EXPECT_EQ("000063", dialog->form().EndText);
    // No length: the end field shows all eight digits of -1, past its typing limit.
    Retype(Edit(testbin_ids::kLength), QString());
    EXPECT_EQ(QStringLiteral("FFFFFFFF"), Text(testbin_ids::kEnd));
    // The user may shorten that text, not lengthen it.
    QLineEdit* end = Edit(testbin_ids::kEnd);
    end->end(false);
    QTest::keyClick(end, Qt::Key_Backspace);
    QTest::keyClicks(end, QStringLiteral("AB"));
    EXPECT_EQ(QStringLiteral("FFFFFFF"), end->text());
    EXPECT_EQ("FFFFFFF", dialog->form().EndText);
}

TEST_F(TestBinDialogTest, HexFieldsDropTypedNonHexCharactersAndTheLengthDoesNot) {
    for (int id : {testbin_ids::kStart, testbin_ids::kEnd}) {
        Retype(Edit(id), QStringLiteral("1g2x"));
        EXPECT_EQ(QStringLiteral("12"), Text(id)) << id;
    }
    Random()->click();
    Retype(Edit(testbin_ids::kFill), QStringLiteral("z5-a7"));
    EXPECT_EQ(QStringLiteral("5a"), Text(testbin_ids::kFill));
    EXPECT_EQ("5a", dialog->form().FillText);
    // A sign passes into the length, whose end field then reads -6.
    Retype(Edit(testbin_ids::kLength), QStringLiteral("-5"));
    EXPECT_EQ(QStringLiteral("-5"), Text(testbin_ids::kLength));
    EXPECT_EQ(QStringLiteral("FFFFFFFA"), Text(testbin_ids::kEnd));
}

TEST_F(TestBinDialogTest, GenerateWritesTheFileAtTheBrowsedPath) {
    const std::string out = dir.File("test16.bin");
    prompts.ExpectOpen(out);
    Click(dialog.get(), testbin_ids::kBrowse);
    EXPECT_EQ(QString::fromStdString(out), Text(testbin_ids::kPath));

    Retype(Edit(testbin_ids::kLength), QStringLiteral("16"));
    Retype(Edit(testbin_ids::kStart), QStringLiteral("4"));
    Retype(Edit(testbin_ids::kEnd), QStringLiteral("7"));
    Random()->click();
    EXPECT_TRUE(Edit(testbin_ids::kFill)->isEnabled());
    QTest::keyClicks(Edit(testbin_ids::kFill), QStringLiteral("5A"));
    ExpectInformation(prompts, kTestBinDoneMessage);
    Click(dialog.get(), testbin_ids::kGenerate);
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0x5A, 0x5A, 0x5A, 0x5A, 0, 0, 0, 0, 0, 0, 0, 0}),
              test::ReadBytes(out));
}

TEST_F(TestBinDialogTest, ResetEmptiesTheNumbersAndRestoresThePath) {
    Random()->click();
    Retype(Edit(testbin_ids::kPath), QStringLiteral("/tmp/elsewhere.bin"));
    Click(dialog.get(), testbin_ids::kReset);
    for (int id : {testbin_ids::kLength, testbin_ids::kStart, testbin_ids::kEnd, testbin_ids::kFill})
        EXPECT_EQ(QString(), Text(id)) << id;
    EXPECT_EQ(QString::fromStdString(TestBinDefaultPath()), Text(testbin_ids::kPath));
    EXPECT_FALSE(Random()->isChecked());
    EXPECT_TRUE(Edit(testbin_ids::kFill)->isEnabled());
}

TEST_F(TestBinDialogTest, EnterAndEscapeNeitherCloseNorPress) {
    // A pressed "生成" would write Test.bin and show a box the prompts do not expect.
    QPushButton* generate = Find<QPushButton>(dialog.get(), testbin_ids::kGenerate);
    generate->setFocus();
    QTest::keyClick(generate, Qt::Key_Return);
    QTest::keyClick(Edit(testbin_ids::kLength), Qt::Key_Enter);
    QTest::keyClick(Edit(testbin_ids::kLength), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
}

// ---- 转换为C语言数组格式 ----

using BinToHDialogTest = DialogTest<CDlg_BinToH>;

TEST_F(BinToHDialogTest, ConvertsTheBrowsedSourceIntoTheProposedTarget) {
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x01, 0xAB, 0xFF});
    prompts.ExpectOpen(source);
    Click(dialog.get(), bin2c_ids::kBrowseSource);
    EXPECT_EQ(QString::fromStdString(source), Text(bin2c_ids::kSource));
    EXPECT_EQ(QString::fromStdString(dir.File("app.h")), Text(bin2c_ids::kTarget));
    EXPECT_EQ(Text(bin2c_ids::kTarget), Edit(bin2c_ids::kTarget)->toolTip());
    EXPECT_EQ(Text(bin2c_ids::kTarget).size(), Edit(bin2c_ids::kTarget)->cursorPosition());
    Shoot(dialog.get(), QStringLiteral("tool-bin2c"));

    prompts.ExpectBox(kBinToCDoneMessage, kBinToCTipCaption, Answer::Ok, MessageButtons::Ok, MessageIcon::Information);
    Click(dialog.get(), bin2c_ids::kConvert);
    EXPECT_EQ("const UINT8 Bin_Tab[ ] =\r\n{\r\n\t0X01,0XAB,0XFF\r\n};", test::ReadText(dir.File("app.h")));
}

TEST_F(BinToHDialogTest, TheStdintChoiceWritesUint8t) {
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x01});
    Edit(bin2c_ids::kSource)->setText(QString::fromStdString(source));
    Edit(bin2c_ids::kTarget)->setText(QString::fromStdString(dir.File("app.h")));
    QCheckBox* stdint = Find<QCheckBox>(dialog.get(), bin2c_ids::kStdintType);
    ASSERT_NE(nullptr, stdint);
    EXPECT_FALSE(stdint->isChecked());  // the program's own form stays the default
    EXPECT_EQ(QString::fromUtf8(kBinToCStdintCaption), stdint->text());
    QTest::mouseClick(stdint, Qt::LeftButton);
    prompts.ExpectBox(kBinToCDoneMessage, kBinToCTipCaption, Answer::Ok, MessageButtons::Ok, MessageIcon::Information);
    Click(dialog.get(), bin2c_ids::kConvert);
    EXPECT_EQ("#include <stdint.h>\r\n\r\nconst uint8_t Bin_Tab[ ] =\r\n{\r\n\t0X01\r\n};\r\n", test::ReadText(dir.File("app.h")));
    Shoot(dialog.get(), QStringLiteral("tool-bin2c-stdint"));
}

TEST_F(BinToHDialogTest, EnterConvertsNothingAndEscapeCloses) {
    const std::string source = dir.Write("app.bin", std::vector<uint8_t>{0x01});
    QTest::keyClicks(Edit(bin2c_ids::kSource), QString::fromStdString(source));
    QTest::keyClicks(Edit(bin2c_ids::kTarget), QString::fromStdString(dir.File("app.h")));
    QTest::keyClick(Edit(bin2c_ids::kTarget), Qt::Key_Return);
    EXPECT_FALSE(test::Exists(dir.File("app.h")));
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(Edit(bin2c_ids::kTarget), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(QDialog::Rejected, dialog->result());
}

// ---- 生成网卡升级文件 ----

class UpgradeDialogTest : public DialogTest<CDlg_NCUpgradeFile> {
protected:
    CNewListBox* List() { return Find<CNewListBox>(dialog.get(), upgrade_ids::kList); }
    // Chooses a file with the browse button inside the edit.
    void Browse(int id, const std::string& path) {
        prompts.ExpectOpen(path);
        QAction* browse = Edit(id)->findChild<QAction*>(QString::fromUtf8(kUpgradeBrowseAction));
        ASSERT_NE(nullptr, browse);
        browse->trigger();
        EXPECT_EQ(QString::fromStdString(path), Text(id));
    }
};

TEST_F(UpgradeDialogTest, CommandsListTheirLinesInTheDialogsList) {
    EXPECT_EQ(0, List()->model()->rowCount());
    const std::string image = dir.Write("net_v1.2.bin", std::vector<uint8_t>(kUpgradeImageMinSize + 16, 0xEE));
    const std::string config = dir.Write("net.cfg", test::NicConfigFile(test::CountingBody()));
    Browse(upgrade_ids::kImage, image);
    Browse(upgrade_ids::kConfig, config);
    // The images' folder and the configuration's are kept apart.
    EXPECT_EQ(FileKind::UpgradeImage, prompts.openDialogs.at(0).kind);
    EXPECT_EQ(FileKind::AdapterConfig, prompts.openDialogs.at(1).kind);

    Click(dialog.get(), upgrade_ids::kMerge);
    // The success line, the 32 settings, the line of image B.
    ASSERT_EQ(34, List()->model()->rowCount());
    EXPECT_EQ(QStringLiteral("网卡配置文件读取成功！"), List()->RowText(0));
    const QString merged = QString::fromStdString(dir.File("net_v1.2_new.bin"));
    EXPECT_EQ(QStringLiteral("升级文件合并生成成功,文件名为%1！").arg(merged), List()->RowText(33));
    EXPECT_EQ(33, List()->currentIndex().row());
    EXPECT_TRUE(test::Exists(merged.toStdString()));

    // Lines accumulate.
    Click(dialog.get(), upgrade_ids::kProduction);
    ASSERT_EQ(68, List()->model()->rowCount());
    const QString production = QString::fromStdString(dir.File("net_v1.2_newforproduction.bin"));
    EXPECT_EQ(QStringLiteral("升级文件合并用于生产生成成功,文件名为%1！").arg(production), List()->RowText(67));
    EXPECT_TRUE(test::Exists(production.toStdString()));
    Shoot(dialog.get(), QStringLiteral("tool-upgrade"));
}

TEST_F(UpgradeDialogTest, NoImageGivesTheNoticeAndNoLine) {
    prompts.ExpectNotice(kChooseUpgradeFileMessage);
    Click(dialog.get(), upgrade_ids::kProduction);
    EXPECT_EQ(0, List()->model()->rowCount());
}

TEST_F(UpgradeDialogTest, EnterWritesNothingAndEscapeCloses) {
    QTest::keyClicks(Edit(upgrade_ids::kImage), QStringLiteral("/nonexistent/net.bin"));
    QTest::keyClick(Edit(upgrade_ids::kImage), Qt::Key_Return);
    EXPECT_EQ(0, List()->model()->rowCount());
    QTest::keyClick(Edit(upgrade_ids::kImage), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

// ---- the Tools menu ----

TEST(StampDialogTest, WritesTheChosenFieldAndShowsTheValueAndThePresetsCheck) {
    test::TempDir dir;
    const std::string image = dir.Write("app.bin", "123456789");
    const std::string out = dir.File("app_crc.bin");
    ScriptedPrompts prompts;
    CDlg_Stamp dialog(prompts);
    FieldEditor* field = dialog.field();
    field->kind()->setCurrentIndex(field->kind()->findData(QStringLiteral("CRC-16/XMODEM")));
    EXPECT_EQ(QStringLiteral("“123456789”的校验值：31C3（宽2字节）"), field->checkValue()->text());
    dialog.input()->setText(QString::fromStdString(image));
    dialog.output()->setText(QString::fromStdString(out));
    Retype(field->start(), QStringLiteral("0"));
    Retype(field->end(), QStringLiteral("8"));
    Retype(field->at(), QStringLiteral("9"));
    QTest::mouseClick(field->bigEndian(), Qt::LeftButton);
    prompts.ExpectBox(Format(kStampDoneFormat, out.c_str()), ApplicationName());
    QTest::mouseClick(dialog.writeButton(), Qt::LeftButton);
    EXPECT_EQ(QStringLiteral("CRC-16/XMODEM = 31C3，已写入0x00000009处"), dialog.result()->text());
    EXPECT_EQ("123456789\x31\xC3", test::ReadText(out));
    // A field the inputs cannot make is said in a box; nothing is written.
    Retype(field->at(), QString());
    prompts.ExpectNotice(Format(kFieldBadAddressFormat, "写入地址", "end"));
    QTest::mouseClick(dialog.writeButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.result()->text().isEmpty());
    EXPECT_TRUE(prompts.Done());
    Shoot(&dialog, QStringLiteral("stamp-dialog"));
}

TEST(StampDialogTest, TheImageDialogOffersSRecordsAndElfAndTheOutputsNoElf) {
    ScriptedPrompts prompts;
    prompts.ExpectOpen(std::nullopt);
    BrowseStampImage(prompts);
    prompts.ExpectSave(std::nullopt);
    BrowseStampOutput(prompts, "/fw/app.s19");
    const QStringList image = QtNameFilters(prompts.openDialogs.at(0).filter);
    const QStringList output = QtNameFilters(prompts.saveDialogs.at(0).filter);
    EXPECT_TRUE(image.value(0).startsWith(QStringLiteral("映像文件(*.bin;*.hex;")));
    EXPECT_TRUE(image.contains(QStringLiteral("ELF文件(*.ELF;*.AXF) (*.elf *.axf)")));
    EXPECT_TRUE(image.contains(
        QStringLiteral("S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT) (*.srec *.s19 *.s28 *.s37 *.mot)")));
    EXPECT_FALSE(output.join(u' ').contains(QStringLiteral("*.elf")));
    EXPECT_EQ(image.value(0), output.value(0));
    EXPECT_TRUE(prompts.Done());
}

TEST(OpenToolDialogTest, EachToolCommandOpensItsDialogModallyForOneUse) {
    const std::pair<int, const char*> cases[] = {
        {main_ids::kChecksumTool, CDlg_Check::staticMetaObject.className()},
        {main_ids::kTestBinTool, Dlg_TestBin::staticMetaObject.className()},
        {main_ids::kBinToCTool, CDlg_BinToH::staticMetaObject.className()},
        {main_ids::kUpgradeTool, CDlg_NCUpgradeFile::staticMetaObject.className()},
        {main_ids::kStampTool, CDlg_Stamp::staticMetaObject.className()},
        {main_ids::kCompareTool, CDlg_Compare::staticMetaObject.className()},
        {row_ids::kDeleteCommand, ""},  // not a tool
    };
    for (const auto& [command, className] : cases) {
        QString seen;
        QPointer<QWidget> opened;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen = QString::fromLatin1(dialog->metaObject()->className());
                opened = dialog;
                dialog->reject();
            }
        });
        closer.start(0);
        OpenToolDialog(command, nullptr);
        EXPECT_EQ(QString::fromLatin1(className), seen) << command;
        EXPECT_TRUE(opened.isNull()) << command;
    }
}

}  // namespace
}  // namespace torvane::ui
