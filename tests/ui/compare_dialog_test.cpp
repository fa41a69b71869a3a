// 比较映像文件: two files compared in the window, the fields of one checked,
// the report saved.
#include "tools/compare/compare_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>

#include "formats/image_formats.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/stamp_tool.h"
#include "shots.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

QString Cell(QAbstractItemModel* model, int row, int column, int role = Qt::DisplayRole) {
    return model->data(model->index(row, column), role).toString();
}

class CompareDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.resize(0x300);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
        // A: a HEX file of two pieces at 0x08000000 with a CRC-32 of the first at its end.
        SparseImage image;
        image.Write(0x08000000, std::vector<uint8_t>(data.begin(), data.begin() + 0x200));
        image.Write(0x08000280, std::vector<uint8_t>(data.begin() + 0x280, data.end()));
        const FieldSpec crc[] = {*ParseFieldSpec("crc32@80001FC:8000000-80001FB")};
        WriteFields(image, 0xFF, crc);
        std::string problem;
        a = dir.Write("app.hex", WriteImage(ImageFormat::IntelHex, image, WriteOptions{}, problem));
        // B: the flash read back as a BIN, erased in the hole, two bytes
        // changed and 0x40 bytes more at its end.
        std::vector<uint8_t> flash = image.Read(0x08000000, 0x300, 0xFF);
        flash[0x20] ^= 0x01;
        flash[0x2A0] = 0x00;
        flash.resize(0x340, 0x5A);
        b = dir.Write("readback.bin", flash);
    }
    test::TempDir dir;
    std::vector<uint8_t> data;
    std::string a, b;
    ScriptedPrompts prompts;
};

TEST_F(CompareDialogTest, TwoFilesShowTheirRangesAndTheBytesOfTheChosenOne) {
    CDlg_Compare dialog(prompts, {});
    dialog.fileA()->setText(QString::fromStdString(a));
    dialog.fileB()->setText(QString::fromStdString(b));
    Retype(dialog.baseB(), QStringLiteral("8000000"));
    Retype(dialog.fill(), QStringLiteral("FF"));
    dialog.show();
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    ASSERT_NE(nullptr, dialog.comparison());
    QAbstractItemModel* ranges = dialog.rangeTable()->model();
    // The hole reads as erased flash: the same. The kinds in address order.
    QStringList kinds;
    for (int row = 0; row < ranges->rowCount(); ++row) kinds << Cell(ranges, row, 0);
    EXPECT_EQ((QStringList{QStringLiteral("相同"), QStringLiteral("不同"), QStringLiteral("相同"), QStringLiteral("不同"),
                           QStringLiteral("相同"), QStringLiteral("不同")}),
              kinds);
    EXPECT_EQ(QStringLiteral("0x08000020"), Cell(ranges, 1, 1));
    EXPECT_EQ(QStringLiteral("0x080002A0"), Cell(ranges, 3, 1));
    // B's 0x40 extra bytes against A's gap read as FF: their bytes are not FF.
    EXPECT_EQ(QStringLiteral("0x08000300"), Cell(ranges, 5, 1));
    EXPECT_TRUE(dialog.summary()->text().startsWith(QStringLiteral("两个文件的内容不同"))) << dialog.summary()->text().toStdString();
    // The first differing range is chosen: its line of bytes, the differing one marked.
    EXPECT_EQ(1, dialog.rangeTable()->currentIndex().row());
    QAbstractItemModel* bytes = dialog.bytesTable()->model();
    ASSERT_EQ(1, bytes->rowCount());
    EXPECT_EQ(QStringLiteral("0x08000020"), Cell(bytes, 0, 0));
    EXPECT_EQ(QStringLiteral("%1").arg(data[0x20], 2, 16, QLatin1Char('0')).toUpper(), Cell(bytes, 0, 1));
    EXPECT_EQ(QStringLiteral("%1").arg(data[0x20] ^ 1, 2, 16, QLatin1Char('0')).toUpper(), Cell(bytes, 0, 18));
    EXPECT_TRUE(bytes->data(bytes->index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_TRUE(bytes->data(bytes->index(0, 18), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(bytes->data(bytes->index(0, 2), Qt::BackgroundRole).isValid());
    Shoot(&dialog, QStringLiteral("compare-dialog"));
    // Choosing a range in the table shows its bytes.
    dialog.rangeTable()->selectRow(4);
    EXPECT_EQ(QStringLiteral("0x080002A0"), Cell(bytes, 0, 0));
    // Without the fill byte, the hole is only in B.
    Retype(dialog.fill(), QString());
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    bool onlyB = false;
    for (int row = 0; row < ranges->rowCount(); ++row)
        onlyB = onlyB || (Cell(ranges, row, 0) == QStringLiteral("仅B有") && Cell(ranges, row, 1) == QStringLiteral("0x08000200"));
    EXPECT_TRUE(onlyB);
    EXPECT_TRUE(prompts.Done());
}

TEST_F(CompareDialogTest, TheFieldsOfFileACheckAndTheReportIsSaved) {
    // The merge settings' CRC, a position in the merged image.
    CDlg_Compare dialog(prompts, {*ParseFieldSpec("crc32@1FC:0-1FB")});
    EXPECT_TRUE(dialog.mergeFieldsChoice()->isChecked());
    dialog.fileA()->setText(QString::fromStdString(a));
    dialog.show();
    dialog.pages()->setCurrentIndex(1);
    QTest::mouseClick(dialog.verifyButton(), Qt::LeftButton);
    ASSERT_EQ(1, dialog.verifyTable()->rowCount());
    EXPECT_EQ(QStringLiteral("0x080001FC"), dialog.verifyTable()->item(0, 1)->text());
    EXPECT_EQ(QStringLiteral("一致"), dialog.verifyTable()->item(0, 5)->text());
    EXPECT_EQ(dialog.verifyTable()->item(0, 3)->text(), dialog.verifyTable()->item(0, 4)->text());
    // The read-back, with its flipped bit in the CRC's range: typed in as a field of its own.
    dialog.fileA()->setText(QString::fromStdString(b));
    Retype(dialog.baseA(), QStringLiteral("8000000"));
    QTest::mouseClick(dialog.typedFieldsChoice(), Qt::LeftButton);
    FieldEditor* editor = dialog.editor();
    editor->kind()->setCurrentIndex(editor->kind()->findData(QStringLiteral("CRC-32/ISO-HDLC")));
    Retype(editor->start(), QStringLiteral("8000000"));
    Retype(editor->end(), QStringLiteral("80001FB"));
    Retype(editor->at(), QStringLiteral("80001FC"));
    QTest::mouseClick(dialog.addFieldButton(), Qt::LeftButton);
    EXPECT_EQ(1, dialog.typedFields()->count());
    QTest::mouseClick(dialog.verifyButton(), Qt::LeftButton);
    EXPECT_EQ(QStringLiteral("不一致"), dialog.verifyTable()->item(0, 5)->text());
    EXPECT_EQ(QStringLiteral("1个字段不一致。"), dialog.verifySummary()->text());
    Shoot(&dialog, QStringLiteral("compare-dialog-fields"));

    // The report: the comparison's lines and the fields'.
    dialog.fileB()->setText(QString::fromStdString(a));
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    EXPECT_EQ(0, dialog.pages()->currentIndex());
    const std::string report = dir.File("report.txt");
    prompts.ExpectSave(report);
    prompts.ExpectBox(Format(kCompareExportedFormat, report.c_str()), ApplicationName());
    QTest::mouseClick(dialog.exportButton(), Qt::LeftButton);
    const std::string text = test::ReadText(report);
    EXPECT_NE(std::string::npos, text.find("结果：两个文件的内容不同")) << text;
    EXPECT_NE(std::string::npos, text.find("不同    0x08000020-0x08000020  1字节，其中1字节不同")) << text;
    EXPECT_NE(std::string::npos, text.find("结果：1个字段不一致")) << text;
    EXPECT_EQ(FileKind::CompareReport, prompts.saveDialogs.at(0).kind);
    EXPECT_TRUE(prompts.Done());
}

TEST_F(CompareDialogTest, WhatCannotBeComparedIsSaidInABoxWithItsReason) {
    CDlg_Compare dialog(prompts, {});
    prompts.ExpectNotice(kCompareNoFileMessage);
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    dialog.fileA()->setText(QString::fromStdString(a));
    dialog.fileB()->setText(QString::fromStdString(dir.File("none.bin")));
    prompts.ExpectNotice(Format(kCompareReadFailedFormat, dir.File("none.bin").c_str()));
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    EXPECT_EQ(dir.File("none.bin"), prompts.reasons.back().path);
    Retype(dialog.range(), QStringLiteral("200-100"));
    prompts.ExpectNotice(kCompareBadRangeMessage);
    QTest::mouseClick(dialog.compareButton(), Qt::LeftButton);
    // No field in the merge settings and none typed: the editor's is refused with its reason.
    prompts.ExpectNotice(Format(kFieldBadAddressFormat, "校验范围的起始地址", "start"));
    QTest::mouseClick(dialog.verifyButton(), Qt::LeftButton);
    prompts.ExpectNotice(kCompareNothingToExportMessage);
    QTest::mouseClick(dialog.exportButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts.Done());
}

TEST_F(CompareDialogTest, EnterPressesTheFocusedButtonAndNothingInAnEdit) {
    CDlg_Compare dialog(prompts, {});
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.fileA()->setText(QString::fromStdString(a));
    dialog.fileB()->setText(QString::fromStdString(a));
    dialog.fileB()->setFocus();
    QTest::keyClick(dialog.fileB(), Qt::Key_Return);
    EXPECT_EQ(nullptr, dialog.comparison());
    EXPECT_TRUE(dialog.isVisible());
    dialog.compareButton()->setFocus();
    QTest::keyClick(dialog.compareButton(), Qt::Key_Return);
    ASSERT_NE(nullptr, dialog.comparison());
    EXPECT_TRUE(dialog.comparison()->equal());
    // Alt+B reaches file B's edit; Tab goes on to its "...". No two letters alike.
    QStringList letters;
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (const qsizetype amp = button->text().indexOf(QLatin1Char('&')); amp >= 0) letters << button->text().mid(amp + 1, 1);
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (const qsizetype amp = label->text().indexOf(QLatin1Char('&')); amp >= 0) letters << label->text().mid(amp + 1, 1);
    EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size()) << letters.join(u',').toStdString();
    EXPECT_GE(letters.size(), 8);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
    EXPECT_EQ(dialog.fileB(), QApplication::focusWidget());
    QTest::keyClick(dialog.fileB(), Qt::Key_Tab);
    EXPECT_EQ(QStringLiteral("compareBrowseB"), QApplication::focusWidget()->objectName());
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
}  // namespace torvane::ui
