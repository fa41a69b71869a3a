#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "config/config_file.h"
#include "core/hex_to_bin.h"
#include "core/operation_log.h"
#include "core/workspace.h"
#include "support/hex_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/bin2c/bin_to_c_dialog.h"
#include "tools/checksum/check_dialog.h"
#include "tools/nic/upgrade_dialog.h"
#include "tools/testbin/test_bin_dialog.h"
#include "ui/about_dialog.h"
#include "ui/list_item.h"
#include "ui/memory_map_view.h"
#include "ui/merge_settings_dialog.h"
#include "tools/serialize/serialize_dialog.h"
#include "tools/serialize/serialize_tool.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/field_list_editor.h"
#include "ui/main_ids.h"
#include "ui/row_ids.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

using namespace main_ids;
using test::ScriptedPrompts;

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CQuenlorDlg>(prompts, 1.0);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    QWidget* Widget(int id) { return window->findChild<QWidget*>(QString::number(id)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key, mods);
    }

    test::TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQuenlorDlg> window;
};

TEST_F(KeyboardTest, MenusAndTheirItemsCarryTheirLettersInTheChineseWay) {
    QStringList titles;
    for (QAction* a : window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ((QStringList{QStringLiteral("文件(&F)"), QStringLiteral("功能(&M)"), QStringLiteral("工具(&T)"),
                           QStringLiteral("帮助(&H)")}),
              titles);
    EXPECT_EQ(QStringLiteral("导入配置文件(&I)"), window->menuAction(kImportConfig)->text());
    EXPECT_EQ(QStringLiteral("退出(&X)"), window->menuAction(kExit)->text());
    EXPECT_EQ(QStringLiteral("生成网卡升级文件(&N)"), window->menuAction(kUpgradeTool)->text());
    // Every item of a menu has a letter of its own there.
    for (QAction* title : window->menuBar()->actions()) {
        QStringList letters;
        for (QAction* item : title->menu()->actions()) {
            if (item->isSeparator()) continue;
            const qsizetype amp = item->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(amp, 0) << item->text().toStdString();
            letters << item->text().mid(amp + 1, 1);
        }
        EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size()) << title->text().toStdString();
    }
    QMenu* file = window->menuBar()->actions().first()->menu();
    file->popup(window->mapToGlobal(QPoint(0, window->menuBar()->height())));
    Shoot(file, QStringLiteral("menu-file-keys"));
    file->close();
    // The toolbar's tooltips keep the plain captions.
    EXPECT_EQ(QStringLiteral("导入配置文件"), window->toolAction(kImportConfig)->toolTip());
}

TEST_F(KeyboardTest, ShortcutsReachTheirCommands) {
    EXPECT_EQ(QKeySequence(QStringLiteral("Ctrl+O")), window->menuAction(kImportConfig)->shortcut());
    prompts.ExpectOpen(std::nullopt);  // the import's file dialog
    Key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(FileKind::Project, prompts.openDialogs.at(0).kind);

    prompts.ExpectNotice(kSelectOneFileMessage);  // the export, with no file to export
    Key(Qt::Key_S, Qt::ControlModifier);
    prompts.ExpectNotice(kLogEmptyMessage);  // saving the empty log
    Key(Qt::Key_L, Qt::ControlModifier);

    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(WorkMode::MergeMode, window->workspace().Mode());
    Key(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(WorkMode::AlignMode, window->workspace().Mode());
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(WorkMode::HexToBinMode, window->workspace().Mode());

    // F5 runs the batch of the mode shown.
    const std::string hex = dir.Write("app.hex", test::HexBlock(0, 13));
    prompts.ExpectOpen(hex);
    window->workspace().rows().ChooseFile(0);
    window->RefreshAll();
    Key(Qt::Key_F5);
    EXPECT_TRUE(test::Exists(dir.File("app.BIN")));

    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            opened = about->windowTitle();
            about->reject();
        }
    });
    Key(Qt::Key_F1);
    EXPECT_EQ(QStringLiteral("关于 Torvane"), opened);
}

TEST_F(KeyboardTest, F10AndAltOpenTheMenuBar) {
    Key(Qt::Key_F10);
    EXPECT_EQ(window->menuBar()->actions().first(), window->menuBar()->activeAction());
    if (QMenu* open = window->menuBar()->actions().first()->menu()) open->close();
    window->menuBar()->setActiveAction(nullptr);
    Widget(kImportButton)->setFocus();
    // Alt pressed and let go alone puts the menu bar in keyboard mode.
    QTest::keyPress(Widget(kImportButton), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(Widget(kImportButton), Qt::Key_Alt);
    EXPECT_EQ(window->menuBar()->actions().first(), window->menuBar()->activeAction());
}

TEST_F(KeyboardTest, EnterPressesTheFocusedPushButtonAndNothingElse) {
    Widget(kImportButton)->setFocus();
    prompts.ExpectOpen(std::nullopt);
    Key(Qt::Key_Return);
    EXPECT_EQ(1u, prompts.openDialogs.size());
    // In an edit Enter and Escape still do nothing, nor does Escape on a button.
    QWidget* edit = window->row(0)->findChild<QWidget*>(QString::number(row_ids::kFileName));
    edit->setFocus();
    Key(Qt::Key_Return);
    Key(Qt::Key_Escape);
    Widget(kImportButton)->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(1u, prompts.openDialogs.size());
}

TEST_F(KeyboardTest, APathTypedIntoARowLoadsOnEnterOrWhenTheBoxIsLeft) {
    auto nameBox = [&](int row) {
        return window->row(row)->findChild<QLineEdit*>(QString::number(row_ids::kFileName));
    };
    const std::string text = test::HexBlock(0x1000, 16);
    const std::string hex = dir.Write("app.hex", text);
    const std::string bin = dir.Write("data.bin", std::string(300, 'x'));
    const FileList& rows = window->workspace().rows();

    nameBox(0)->setFocus();
    QTest::keyClicks(nameBox(0), QString::fromStdString(hex));
    Key(Qt::Key_Return);
    EXPECT_EQ(hex, rows.Row(0).controls.FileNameText);
    EXPECT_EQ(std::to_string(text.size()), rows.Row(0).controls.FileSizeText);
    EXPECT_EQ("00001000", rows.Row(0).controls.OffsetAddrText);
    EXPECT_TRUE(window->row(0)->findChild<QCheckBox*>(QString::number(row_ids::kSelect))->isChecked());

    // Tab out of the box takes it too, and goes on to the "...".
    nameBox(1)->setFocus();
    QTest::keyClicks(nameBox(1), QString::fromStdString(bin));
    Key(Qt::Key_Tab);
    EXPECT_EQ(QStringLiteral("300"),
              window->row(1)->findChild<QLineEdit*>(QString::number(row_ids::kFileSize))->text());
    EXPECT_EQ(window->row(1)->findChild<QWidget*>(QString::number(row_ids::kBrowse)), QApplication::focusWidget());

    // A name that does not open gets the box of "...", and the row keeps its file.
    nameBox(1)->setFocus();
    nameBox(1)->selectAll();
    QTest::keyClicks(nameBox(1), QString::fromStdString(dir.File("missing.bin")));
    prompts.ExpectNotice("文件打开失败！");
    Key(Qt::Key_Return);
    EXPECT_EQ(QString::fromStdString(bin), nameBox(1)->text());
    EXPECT_EQ("300", rows.Row(1).controls.FileSizeText);
    Shoot(window.get(), QStringLiteral("main-typed-paths"));

    // A batch started from the box takes what was typed first (the BIN row
    // is left out: HEX转BIN has nothing to do for it).
    window->workspace().rows().Controls(1).Selected = false;
    window->RefreshAll();
    nameBox(2)->setFocus();
    QTest::keyClicks(nameBox(2), QString::fromStdString(dir.Write("second.hex", text)));
    Key(Qt::Key_F5);
    EXPECT_TRUE(test::Exists(dir.File("app.BIN")));
    EXPECT_TRUE(test::Exists(dir.File("second.BIN")));
}

// The letters of the Alt keys of a window's buttons and labels, '&' marked.
QStringList MnemonicLetters(QWidget* window) {
    QStringList letters;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) letters << b->text().mid(amp + 1, 1).toUpper();
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        const qsizetype amp = l->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) letters << l->text().mid(amp + 1, 1).toUpper();
    }
    return letters;
}

TEST_F(KeyboardTest, AltOReachesTheOutputFile) {
    EXPECT_EQ(QStringLiteral("输出文件(&O)："), qobject_cast<QLabel*>(Widget(kOutputLabel))->text());
    Widget(kImportButton)->setFocus();
    Key(Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(Widget(kOutputFile), QApplication::focusWidget());
    // No menu title of the window takes the same letter.
    QStringList letters = MnemonicLetters(window.get());
    for (QAction* a : window->menuBar()->actions()) letters << a->text().mid(a->text().indexOf(QLatin1Char('&')) + 1, 1);
    EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size()) << letters.join(u',').toStdString();
}

TEST(MergeSettingsKeysTest, AltAAddsTheField) {
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    CMergeSettingsDlg settings(ws, prompts);
    settings.show();
    settings.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
    const QStringList letters = MnemonicLetters(&settings);
    EXPECT_TRUE(letters.contains(QStringLiteral("A")));
    EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size());
    FieldEditor* f = settings.editor();
    f->start()->setText(QStringLiteral("0"));
    f->end()->setText(QStringLiteral("1F"));
    f->at()->setText(QStringLiteral("20"));
    f->start()->setFocus();
    QTest::keyClick(f->start(), Qt::Key_A, Qt::AltModifier);
    // A button's letter clicks it the way a mouse does, after a moment.
    EXPECT_TRUE(QTest::qWaitFor([&] { return settings.fields()->count() == 1; }, 2000));
    Shoot(&settings, QStringLiteral("merge-settings-keys"));
    EXPECT_TRUE(prompts.Done());
}

TEST(SerializeKeysTest, LettersTabAndEnterInTheSerialiser) {
    ScriptedPrompts prompts;
    CDlg_Serialize dialog(prompts);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QStringList letters = MnemonicLetters(&dialog);
    for (const char* letter : {"T", "S", "F", "C", "M", "A", "O", "N", "R", "G"})
        EXPECT_TRUE(letters.contains(QString::fromLatin1(letter))) << letter;
    EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size()) << letters.join(u',').toStdString();
    // Alt+T reaches the template, Tab goes on to its "..." and then the base.
    dialog.name()->setFocus();
    QTest::keyClick(dialog.name(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(dialog.templatePath(), QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialog.base(), QApplication::focusWidget());
    // From the MAC's step into the field list and its editor; from the
    // editor's byte order to 添加, and from the list's last button to the folder.
    dialog.macStep()->setEnabled(true);
    dialog.macStep()->setFocus();
    QTest::keyClick(dialog.macStep(), Qt::Key_Tab);
    EXPECT_EQ(dialog.fields()->list(), QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(static_cast<QWidget*>(dialog.fields()->editor()->kind()), QApplication::focusWidget());
    dialog.fields()->editor()->littleEndian()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialog.fields()->addButton(), QApplication::focusWidget());
    dialog.fields()->downButton()->setEnabled(true);
    dialog.fields()->downButton()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dialog.folder(), QApplication::focusWidget());
    // Enter in an edit does nothing; on 生成 it presses it (the first input's box).
    QTest::keyClick(dialog.base(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(prompts.shownBoxes.empty());
    dialog.runButton()->setFocus();
    prompts.ExpectNotice(kSerializeNoTemplateMessage);
    QTest::keyClick(dialog.runButton(), Qt::Key_Return);
    EXPECT_TRUE(prompts.Done());
    Shoot(&dialog, QStringLiteral("serialize-keys"));
}

TEST(MemoryMapKeysTest, TabLeavesTheTableAndEnterPressesTheFocusedButton) {
    test::TempDir dir;
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    ws.SelectMode(WorkMode::MergeMode);
    for (int row = 0; row < 2; ++row) {
        prompts.ExpectOpen(dir.Write("f" + std::to_string(row) + ".bin", std::string(16, 'x')));
        ws.rows().ChooseFile(row);
        ws.rows().Controls(row).BinOffsetText = row == 0 ? "0" : "100";
    }
    CMemoryMapDlg view(ws, prompts);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_GT(view.table()->rowCount(), 1);
    view.table()->setFocus();
    view.table()->setCurrentCell(0, 0);
    QTest::keyClick(view.table(), Qt::Key_Tab);
    auto* png = view.findChild<QPushButton*>(QStringLiteral("exportPng"));
    EXPECT_EQ(png, QApplication::focusWidget());
    // Enter presses it: the export asks where to save.
    prompts.ExpectSave(std::nullopt);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(1u, prompts.saveDialogs.size());
    // In the table Enter presses nothing; on "关闭" it closes the map.
    view.table()->setFocus();
    QTest::keyClick(view.table(), Qt::Key_Return);
    EXPECT_TRUE(view.isVisible());
    EXPECT_EQ(1u, prompts.saveDialogs.size());
    auto* close = view.findChild<QPushButton*>(QStringLiteral("close"));
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_FALSE(view.isVisible());
    EXPECT_TRUE(prompts.Done());
}

TEST_F(KeyboardTest, TabFollowsTheRowsThenTheActionButtons) {
    auto rowWidget = [&](int row, int id) { return window->row(row)->findChild<QWidget*>(QString::number(id)); };
    std::vector<QWidget*> expected = {Widget(kModeHexToBin), Widget(kModeMerge), Widget(kModeAlign),
                                      Widget(kHeaderCheck)};
    for (int row = 0; row < 6; ++row) {
        for (int id : {row_ids::kSelect, row_ids::kFileName, row_ids::kBrowse, row_ids::kFileSize,
                       row_ids::kPolishType, row_ids::kBinOffset, row_ids::kPolishData, row_ids::kOffsetAddr,
                       row_ids::kSaveOffsetData})
            expected.push_back(rowWidget(row, id));
    }
    for (int id : {kOutputFile, kOutputBrowse, kImportButton, kExportButton, kHexToBinButton, kMergeButton,
                   kMemoryMapButton, kAlignButton, kLogList, kSaveLog, kClearLog})
        expected.push_back(Widget(id));
    std::vector<QWidget*> chain;
    QWidget* w = expected.front();
    for (size_t i = 0; i < expected.size(); ++i) {
        chain.push_back(w);
        do w = w->nextInFocusChain();
        while (std::find(expected.begin(), expected.end(), w) == expected.end() && w != expected.front());
    }
    EXPECT_EQ(expected, chain);
    // The keyboard walks it: from the last field of row 1 to the first of row 2.
    rowWidget(0, row_ids::kOffsetAddr)->setFocus();
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(rowWidget(1, row_ids::kSelect), QApplication::focusWidget());
}

// Each tool dialog closes with its title bar's close button; Escape closes the
// two that do not swallow it.
TEST(ToolDialogKeysTest, CloseButtonClosesEveryToolAndEscapeTheTwoThatAllowIt) {
    ScriptedPrompts prompts;
    std::vector<std::pair<std::unique_ptr<QDialog>, bool>> dialogs;
    dialogs.emplace_back(std::make_unique<CDlg_Check>(prompts), false);
    dialogs.emplace_back(std::make_unique<Dlg_TestBin>(prompts), false);
    dialogs.emplace_back(std::make_unique<CDlg_BinToH>(prompts), true);
    dialogs.emplace_back(std::make_unique<CDlg_NCUpgradeFile>(prompts), true);
    for (auto& [dialog, escapeCloses] : dialogs) {
        const std::string name = dialog->metaObject()->className();
        EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint) << name;
        dialog->show();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        EXPECT_EQ(!escapeCloses, dialog->isVisible()) << name;
        dialog->show();
        EXPECT_TRUE(dialog->close()) << name;
        EXPECT_FALSE(dialog->isVisible()) << name;
    }
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
}  // namespace torvane::ui
