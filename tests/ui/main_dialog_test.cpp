#include "ui/main_dialog.h"

#include "torvane/version.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QDir>
#include <QLineEdit>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QMimeData>
#include <QUrl>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include "config/config_file.h"
#include "support/hex_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "ui/about_dialog.h"
#include "ui/desktop_scale.h"
#include "widgets/ec_button.h"
#include "widgets/ec_static.h"
#include "widgets/new_list_box.h"
#include "ui/list_item.h"
#include "ui/main_ids.h"
#include "ui/qt_prompts.h"
#include "ui/memory_map_view.h"
#include "ui/merge_settings_dialog.h"
#include "tools/stamp/field_editor.h"
#include "platform/format.h"
#include "ui/row_ids.h"
#include "shots.h"

namespace torvane::ui {
namespace {

using namespace main_ids;
using test::ScriptedPrompts;

template <typename T>
T* Find(QWidget* parent, int id) {
    return parent->findChild<T*>(QString::number(id));
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CQuenlorDlg>(prompts, 1.0);
        window->show();
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    QPushButton* Button(int id) { return Find<QPushButton>(window.get(), id); }
    void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    bool AllThree(int button, int command) {
        return Button(button)->isEnabled() && window->menuAction(command)->isEnabled() &&
               window->toolAction(command)->isEnabled();
    }
    bool NoneOfThree(int button, int command) {
        return !Button(button)->isEnabled() && !window->menuAction(command)->isEnabled() &&
               !window->toolAction(command)->isEnabled();
    }

    test::TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQuenlorDlg> window;
};

TEST_F(MainDialogTest, StartsInHexToBinMode) {
    EXPECT_EQ(QStringLiteral("Torvane V130"), window->windowTitle());
    EXPECT_EQ(QStringLiteral("对齐长度"), Find<CECStatic>(window.get(), kTitleAlign)->text());
    EXPECT_EQ(QStringLiteral("补充数据"), Find<CECStatic>(window.get(), kTitleFill)->text());
    EXPECT_EQ(QString(), Find<QLineEdit>(window.get(), kOutputFile)->text());
    EXPECT_TRUE(Find<QCheckBox>(window.get(), kHeaderCheck)->isChecked());
    EXPECT_TRUE(AllThree(kHexToBinButton, kHexToBin));
    EXPECT_TRUE(NoneOfThree(kMergeButton, kMerge));
    EXPECT_TRUE(NoneOfThree(kAlignButton, kAlign));
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Find<QCheckBox>(window->row(i), row_ids::kSelect)->isChecked());
    Shoot(window.get(), QStringLiteral("main-hex2bin"));
}

TEST_F(MainDialogTest, ModeButtonsSwitchTheEnabledCommandAndTheColumn) {
    Click(kModeMerge);
    EXPECT_TRUE(NoneOfThree(kHexToBinButton, kHexToBin));
    EXPECT_TRUE(AllThree(kMergeButton, kMerge));
    EXPECT_TRUE(NoneOfThree(kAlignButton, kAlign));
    EXPECT_TRUE(Find<QLineEdit>(window->row(0), row_ids::kBinOffset)->isVisible());
    EXPECT_FALSE(Find<QComboBox>(window->row(0), row_ids::kPolishType)->isVisible());
    EXPECT_EQ(QStringLiteral("偏移地址(0x)"), Find<CECStatic>(window.get(), kTitleAlign)->text());
    EXPECT_EQ(QString::fromStdString(window->workspace().DefaultOutputPath),
              Find<QLineEdit>(window.get(), kOutputFile)->text());
    Shoot(window.get(), QStringLiteral("main-merge"));

    Click(kModeAlign);
    EXPECT_TRUE(AllThree(kAlignButton, kAlign));
    EXPECT_TRUE(NoneOfThree(kMergeButton, kMerge));
    EXPECT_TRUE(Find<QComboBox>(window->row(0), row_ids::kPolishType)->isVisible());
    EXPECT_EQ(QString(), Find<QLineEdit>(window.get(), kOutputFile)->text());
    Shoot(window.get(), QStringLiteral("main-align"));

    // A disabled command does nothing, whichever way it is issued.
    window->OnCommand(kMerge);
    EXPECT_EQ(0, window->workspace().log().LineCount());
}

TEST_F(MainDialogTest, TypedOutputIsReplacedByTheDefaultOnTheNextMergeSwitch) {
    Click(kModeMerge);
    QLineEdit* out = Find<QLineEdit>(window.get(), kOutputFile);
    out->clear();
    QTest::keyClicks(out, QStringLiteral("/tmp/typed.bin"));
    EXPECT_EQ("/tmp/typed.bin", window->workspace().OutputFileText);
    Click(kModeHexToBin);
    EXPECT_EQ(QString(), out->text());
    Click(kModeMerge);
    EXPECT_EQ(QString::fromStdString(window->workspace().DefaultOutputPath), out->text());
}

TEST_F(MainDialogTest, HexEditsTakeOnlyHexDigitsAndEightOfThem) {
    QLineEdit* edit = Find<QLineEdit>(window->row(2), row_ids::kOffsetAddr);
    QTest::keyClicks(edit, QStringLiteral("aF3g-z"));
    EXPECT_EQ(QStringLiteral("aF3"), edit->text());
    EXPECT_EQ("aF3", window->workspace().rows().Controls(2).OffsetAddrText);
    QTest::keyClicks(edit, QStringLiteral("123456"));
    EXPECT_EQ(QStringLiteral("aF312345"), edit->text());
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(QStringLiteral("aF31234"), edit->text());
}

TEST_F(MainDialogTest, EnterAndEscapeDoNothing) {
    QLineEdit* edit = Find<QLineEdit>(window->row(0), row_ids::kFileName);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    // A button without the focus is not pressed by Enter.
    QTest::keyClick(Button(kHexToBinButton), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainDialogTest, HexToBinFromTheRowsBrowseButton) {
    const std::string hex = dir.Write("app.hex", test::HexBlock(0, 13));
    prompts.ExpectOpen(hex);
    QTest::mouseClick(Find<QPushButton>(window->row(0), row_ids::kBrowse), Qt::LeftButton);
    EXPECT_EQ(FileKind::Firmware, prompts.openDialogs.at(0).kind);
    EXPECT_EQ(QString::fromStdString(hex), Find<QLineEdit>(window->row(0), row_ids::kFileName)->text());
    EXPECT_TRUE(Find<QCheckBox>(window->row(0), row_ids::kSelect)->isChecked());
    EXPECT_EQ(QStringLiteral("00000000"), Find<QLineEdit>(window->row(0), row_ids::kOffsetAddr)->text());

    Click(kHexToBinButton);
    EXPECT_TRUE(test::Exists(dir.File("app.BIN")));
    EXPECT_EQ(16u, test::ReadBytes(dir.File("app.BIN")).size());  // padded to 4 bytes
    CNewListBox* log = Find<CNewListBox>(window.get(), kLogList);
    ASSERT_EQ(7, log->model()->rowCount());
    EXPECT_EQ(QStringLiteral("***************hex转bin操作***************"), log->RowText(0));
    EXPECT_EQ(6, log->currentIndex().row());
    EXPECT_EQ(QString::fromStdString(dir.File("app.BIN")), Find<QLineEdit>(window.get(), kOutputFile)->text());
    Shoot(window.get(), QStringLiteral("main-after-hex2bin"));

    // The menu item "清空操作记录" does what the button does.
    window->menuAction(kClearLog)->trigger();
    EXPECT_EQ(0, log->model()->rowCount());
}

TEST_F(MainDialogTest, TheRowsFileDialogOffersEveryFormatTheRowsRead) {
    prompts.ExpectOpen(std::nullopt);
    QTest::mouseClick(Find<QPushButton>(window->row(0), row_ids::kBrowse), Qt::LeftButton);
    const QStringList filters = QtNameFilters(prompts.openDialogs.at(0).filter);
    // It opens on every format a row reads; HEX and BIN keep their entries.
    for (const char* pattern : {"*.hex", "*.ihx", "*.bin", "*.srec", "*.s19", "*.s28", "*.s37", "*.mot", "*.elf", "*.axf"})
        EXPECT_TRUE(filters.value(0).contains(QString::fromLatin1(pattern))) << pattern;
    EXPECT_TRUE(filters.contains(QStringLiteral("(*.HEX;*.IHX;*.BIN) (*.hex *.ihx *.bin)")));
    EXPECT_TRUE(filters.contains(QStringLiteral("(*.HEX;*.IHX) (*.hex *.ihx)")));
    EXPECT_TRUE(filters.contains(QStringLiteral("(*.BIN) (*.bin)")));
    EXPECT_TRUE(filters.contains(
        QStringLiteral("S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT) (*.srec *.s19 *.s28 *.s37 *.mot)")));
    EXPECT_TRUE(filters.contains(QStringLiteral("ELF文件(*.ELF;*.AXF) (*.elf *.axf)")));
    EXPECT_TRUE(filters.last().startsWith(QStringLiteral("所有文件")));
}

// The end of a path, the file name, is what the user looks for.
bool ShowsItsEnd(QLineEdit* field) {
    field->grab();  // lays out the text as a paint does
    return field->cursorPosition() == field->text().size() && field->rect().contains(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
}

TEST_F(MainDialogTest, ALongPathShowsItsFileNameWithTheWholePathAsTooltip) {
    const std::string folder = dir.path() + "/" + std::string(60, 'f') + "/" + std::string(60, 'g');
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    const std::string hex = folder + "/firmware_with_a_long_name.hex";
    dir.Write(hex.substr(dir.path().size() + 1), test::HexBlock(0, 13));
    prompts.ExpectOpen(hex);
    QTest::mouseClick(Find<QPushButton>(window->row(1), row_ids::kBrowse), Qt::LeftButton);
    QLineEdit* name = Find<QLineEdit>(window->row(1), row_ids::kFileName);
    EXPECT_TRUE(ShowsItsEnd(name));
    EXPECT_EQ(QString::fromStdString(hex), name->toolTip());

    Click(kHexToBinButton);
    QLineEdit* out = Find<QLineEdit>(window.get(), kOutputFile);
    EXPECT_EQ(QString::fromStdString(folder + "/firmware_with_a_long_name.BIN"), out->text());
    EXPECT_TRUE(ShowsItsEnd(out));
    EXPECT_EQ(out->text(), out->toolTip());
    Shoot(window.get(), QStringLiteral("main-long-path"));
}

// Drags local files over `target` and drops them; false when the target
// refused the drag. What a drop starts runs once the drop is over.
bool Drop(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

TEST_F(MainDialogTest, AFileDroppedOnARowIsChosenAsItsBrowseButtonChoosesIt) {
    const std::string hex = dir.Write("app.hex", test::HexBlock(0x100, 13));
    EXPECT_TRUE(Drop(window->row(2), {hex}));
    EXPECT_EQ(QString::fromStdString(hex), Find<QLineEdit>(window->row(2), row_ids::kFileName)->text());
    EXPECT_TRUE(Find<QCheckBox>(window->row(2), row_ids::kSelect)->isChecked());
    EXPECT_EQ(QStringLiteral("00000100"), Find<QLineEdit>(window->row(2), row_ids::kOffsetAddr)->text());

    // The same checks and messages.
    prompts.ExpectNotice("您选择了空文件，请重新选择！");
    EXPECT_TRUE(Drop(window->row(3), {dir.Write("empty.bin", "")}));
    EXPECT_EQ(QString(), Find<QLineEdit>(window->row(3), row_ids::kFileName)->text());
    // One file at a time, and only a file.
    EXPECT_FALSE(Drop(window->row(4), {hex, dir.Write("b.bin", "b")}));
    EXPECT_FALSE(Drop(window->row(4), {dir.path()}));
    EXPECT_EQ(QString(), Find<QLineEdit>(window->row(4), row_ids::kFileName)->text());
}

TEST_F(MainDialogTest, AProjectDroppedOnTheWindowOrOnARowIsImported) {
    const std::string hex = dir.Write("app.hex", test::HexBlock(0, 13));
    prompts.ExpectOpen(hex);
    QTest::mouseClick(Find<QPushButton>(window->row(0), row_ids::kBrowse), Qt::LeftButton);
    prompts.ExpectSave(dir.File("project.ini"));
    prompts.ExpectBox(kConfigSavedMessage, "信息", Answer::Ok);
    Click(kExportButton);
    window->workspace().rows().ClearEntry(0);
    window->RefreshAll();

    EXPECT_TRUE(Drop(window.get(), {dir.File("project.ini")}));
    EXPECT_EQ(QString::fromStdString(hex), Find<QLineEdit>(window->row(0), row_ids::kFileName)->text());

    // The import's own questions, from a row as from the window.
    prompts.ExpectNotice(kConfigEmptyMessage);
    EXPECT_TRUE(Drop(window->row(5), {dir.Write("EMPTY.INI", "")}));
    EXPECT_EQ(QString::fromStdString(hex), Find<QLineEdit>(window->row(0), row_ids::kFileName)->text());
    // Anything else the window leaves alone.
    EXPECT_FALSE(Drop(window.get(), {hex}));
}

TEST_F(MainDialogTest, MergeQuestionIsAnsweredThroughPrompts) {
    Click(kModeMerge);
    const std::string a = dir.Write("a.bin", std::string(256, 'a'));
    const std::string b = dir.Write("b.bin", std::string(16, 'b'));
    prompts.ExpectOpen(a);
    QTest::mouseClick(Find<QPushButton>(window->row(0), row_ids::kBrowse), Qt::LeftButton);
    prompts.ExpectOpen(b);
    QTest::mouseClick(Find<QPushButton>(window->row(1), row_ids::kBrowse), Qt::LeftButton);
    QLineEdit* offset = Find<QLineEdit>(window->row(1), row_ids::kBinOffset);
    offset->clear();
    QTest::keyClicks(offset, QStringLiteral("10"));
    QLineEdit* out = Find<QLineEdit>(window.get(), kOutputFile);
    out->setText(QString::fromStdString(dir.File("out.bin")));
    window->workspace().OutputFileText = dir.File("out.bin");

    prompts.ExpectBox(
        "文件2当前偏移地址0x00000010小于文件1在FLASH存储空间的结束地址0x00000100，是否强制插入？\r\n"
        " 选是，该文件将强制插入到偏移地址处\r\n 选否，则该文件将追加到文件1结束地址处\r\n 选取消，则取消合并操作\r\n",
        "提示", Answer::No, MessageButtons::YesNoCancel, MessageIcon::Question);
    prompts.ExpectNotice("合并成功!");
    window->toolAction(kMerge)->trigger();
    EXPECT_EQ(272u, test::ReadBytes(dir.File("out.bin")).size());
}

TEST_F(MainDialogTest, DeleteFromTheContextMenuOfAnEmptyRow) {
    QMenu* menu = window->row(3)->CreateContextMenu(window.get());
    ASSERT_EQ(1, menu->actions().size());
    EXPECT_EQ(QStringLiteral("删除"), menu->actions()[0]->text());
    menu->popup(window->row(3)->mapToGlobal(QPoint(100, 10)));
    Shoot(menu, QStringLiteral("row-context-menu"));
    prompts.ExpectBox("当前没有可删除的条目！", "Error", Answer::Ok, MessageButtons::Ok, MessageIcon::Exclamation);
    menu->actions()[0]->trigger();
    menu->close();
    delete menu;
}

TEST_F(MainDialogTest, OutputBrowseCancelledKeepsTheText) {
    prompts.ExpectOpen(std::nullopt);
    Click(kOutputBrowse);
    EXPECT_EQ(QString(), Find<QLineEdit>(window.get(), kOutputFile)->text());
    ASSERT_EQ(1u, prompts.openDialogs.size());
    EXPECT_EQ("bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||", prompts.openDialogs[0].filter);
    EXPECT_EQ("Bin", prompts.openDialogs[0].defaultExtension);
    EXPECT_EQ(FileKind::MergeOutput, prompts.openDialogs[0].kind);
    prompts.ExpectOpen(dir.File("chosen.bin"));
    Click(kOutputBrowse);
    EXPECT_EQ(QString::fromStdString(dir.File("chosen.bin")), Find<QLineEdit>(window.get(), kOutputFile)->text());
}

TEST(MainLayoutWidgetsTest, WidgetsSitInTheirDesignRectanglesAtTwoScales) {
    for (const double scale : {1.0, 1.5}) {
        ScriptedPrompts prompts;
        CQuenlorDlg window(prompts, scale);
        window.show();
        const MainLayout& m = window.layout();
        auto at = [&](int id) { return window.findChild<QWidget*>(QString::number(id))->geometry(); };
        EXPECT_EQ(QRect(m.outputEdit.left, m.outputEdit.top, m.outputEdit.width(), m.outputEdit.height()), at(kOutputFile));
        EXPECT_EQ(m.alignButton.left, at(kAlignButton).left());
        EXPECT_EQ(m.clearButton.left, at(kClearLog).left());
        EXPECT_EQ(m.rows[5].top, window.row(5)->geometry().top());
        EXPECT_EQ(m.clientWidth, window.width());
        // Nothing is cut off by the client area below the menu bar.
        QWidget* client = window.findChild<QWidget*>(QStringLiteral("client"));
        for (QWidget* w : client->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(client->rect().contains(w->geometry())) << w->objectName().toStdString() << " at " << scale;
        const RowLayout& r = window.row(0)->layout();
        EXPECT_EQ(r.fileName.left, window.row(0)->findChild<QWidget*>(QString::number(row_ids::kFileName))->geometry().left());
        if (scale > 1) Shoot(&window, QStringLiteral("main-144dpi"));
        EXPECT_TRUE(prompts.Done());
    }
}

TEST_F(MainDialogTest, TheToolbarStartsWithItsGripper) {
    QWidget* gripper = window->findChild<QWidget*>(QStringLiteral("gripper"));
    ASSERT_NE(nullptr, gripper);
    QToolBar* bar = window->toolBar();
    EXPECT_LE(gripper->geometry().right(), bar->geometry().left());
    EXPECT_EQ(bar->geometry().height(), gripper->height());
    // A raised bar: lit on its left, shaded on its right.
    const QImage shot = gripper->grab().toImage();
    const int middle = shot.height() / 2;
    EXPECT_EQ(gripper->palette().color(QPalette::Light).rgb(), shot.pixel(2, middle));
    EXPECT_EQ(gripper->palette().color(QPalette::Dark).rgb(), shot.pixel(4, middle));
}

// Stands in for the desktop's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST(AboutBoxTest, ContactOpensThePageAndShowsItsAddressToCopy) {
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    CAboutDlg about;
    about.show();
    QString shown;
    bool selectable = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown = box->text();
        selectable = box->textInteractionFlags() & Qt::TextSelectableByMouse;
        Shoot(box, QStringLiteral("about-contact"));
        box->accept();
    });
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("contact")), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(QList<QUrl>{QUrl(QString::fromUtf8(kContactAddress))}, browser.opened);
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8(kContactAddress))) << shown.toStdString();
    EXPECT_TRUE(selectable);
    // The project's real home: the repository the app id io.github.OWNER.NAME names.
    const QStringList id = QStringLiteral(TORVANE_APP_ID).split(QLatin1Char('.'));
    ASSERT_EQ(4, id.size());
    EXPECT_EQ(QStringLiteral("https://github.com/%1/%2").arg(id[2], id[3]), browser.opened.value(0).toString());
}

TEST(DesktopScaleWindowTest, TheWindowTakesTheScaleTheDesktopStatesOnce) {
    const double appPoints = QApplication::font().pointSizeF();
    qputenv("GDK_SCALE", "2");
    ScalePointFontsForDesktop(QSize(4000, 3000));
    {
        ScriptedPrompts prompts;
        // On a screen large enough for it.
        CQuenlorDlg window(prompts, 0, QSize(4000, 3000));
        EXPECT_EQ(ComputeMainLayout(2.0).clientWidth, window.width());
        // Fonts in points grow with it: the logical resolution says 96 dpi.
        EXPECT_EQ(16.0, window.font().pointSizeF());
        EXPECT_EQ(2 * appPoints, QApplication::font().pointSizeF());
        Shoot(&window, QStringLiteral("main-gdk-scale-2"));
    }
    qunsetenv("GDK_SCALE");
    ScalePointFontsForDesktop();
    EXPECT_EQ(appPoints, QApplication::font().pointSizeF());
    // The toolkit would obey QT_SCALE_FACTOR on its own as well.
    qputenv("QT_SCALE_FACTOR", "1.5");
    TakeOverQtScaleFactor();
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    EXPECT_EQ(1.5, DesktopUiScale());
    TakeOverQtScaleFactor();
    EXPECT_EQ(1.0, DesktopUiScale());
}

TEST(AboutBoxTest, ShowsProductRightsAndLink) {
    CAboutDlg about;
    about.show();
    EXPECT_EQ(QStringLiteral("关于 Torvane"), about.windowTitle());
    EXPECT_EQ(QStringLiteral("Torvane, " TORVANE_VERSION_TAG), about.findChild<QLabel*>(QStringLiteral("product"))->text());
    EXPECT_EQ(QStringLiteral("联系我们"), about.findChild<QPushButton*>(QStringLiteral("contact"))->text());
    Shoot(&about, QStringLiteral("about"));
}

}  // namespace
}  // namespace torvane::ui

#include "main_dialog_test.moc"

namespace torvane::ui {
namespace {

TEST_F(MainDialogTest, TheMemoryMapOpensFromItsMenuItemAndItsButtonOnTheLastMerge) {
    for (int row = 0; row < 2; ++row) {
        prompts.ExpectOpen(dir.Write("f" + std::to_string(row) + ".bin", std::string(16, 'x')));
        window->workspace().rows().ChooseFile(row);
        window->workspace().rows().Controls(row).BinOffsetText = row == 0 ? "0" : "100";
    }
    window->OnCommand(kModeMerge);
    window->workspace().OutputFileText = dir.File("out.bin");
    prompts.ExpectNotice("合并成功!");
    window->OnCommand(kMergeButton);
    for (const int id : {kMemoryMap, kMemoryMapButton}) {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto* view = qobject_cast<CMemoryMapDlg*>(QApplication::activeModalWidget())) {
                shown = view->findChild<QComboBox*>(QStringLiteral("source"))->currentText();
                view->reject();
            }
        });
        window->OnCommand(id);
        EXPECT_EQ(QStringLiteral("上次合并的结果"), shown) << id;
    }
}

TEST_F(MainDialogTest, MergeSettingsFromTheMenuGiveTheMergeItsFormatBaseAndFields) {
    for (int row = 0; row < 2; ++row) {
        prompts.ExpectOpen(dir.Write("f" + std::to_string(row) + ".bin", std::string(16, 'x')));
        window->workspace().rows().ChooseFile(row);
        window->workspace().rows().Controls(row).BinOffsetText = row == 0 ? "0" : "10";
    }
    window->OnCommand(kModeMerge);
    QTimer::singleShot(0, [this] {
        auto* settings = qobject_cast<CMergeSettingsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(nullptr, settings);
        settings->format()->setCurrentIndex(1);
        settings->base()->setText(QStringLiteral("8000000"));
        FieldEditor* f = settings->editor();
        // The addresses the map shows: the HEX output's base plus the offset.
        f->start()->setText(QStringLiteral("8000000"));
        f->end()->setText(QStringLiteral("800001F"));
        f->at()->setText(QStringLiteral("8000020"));
        f->kind()->setCurrentIndex(f->kind()->findData(QStringLiteral("CRC-32/ISO-HDLC")));
        QTest::mouseClick(settings->addButton(), Qt::LeftButton);
        EXPECT_EQ(1, settings->fields()->count());
        Shoot(settings, QStringLiteral("merge-settings"));
        settings->accept();
    });
    window->OnCommand(kMergeSettings);
    Workspace& ws = window->workspace();
    ASSERT_EQ(1u, ws.MergeFields.size());
    EXPECT_EQ("08000000", Format("%08X", static_cast<unsigned>(ParseHexField(ws.MergeBaseText))));
    EXPECT_EQ(ImageFormat::IntelHex, ws.MergeFormat);
    const QString shown = Find<QLineEdit>(window.get(), kOutputFile)->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("Merge.hex"))) << shown.toStdString();
    ws.SetOutputFile(dir.File("out.hex"));
    prompts.ExpectNotice("合并成功!");
    window->OnCommand(kMergeButton);
    const std::string hex = test::ReadText(dir.File("out.hex"));
    EXPECT_EQ(0u, hex.find(":020000040800F2\r\n:10000000")) << hex;
    EXPECT_NE(std::string::npos, hex.find(":04002000")) << hex;  // the CRC after the 32 bytes
}

// ---- small faults a user sees ----

TEST_F(MainDialogTest, TheSystemMenusAboutItemNamesTheProduct) {
    EXPECT_EQ(QStringLiteral("关于 Torvane(&A)..."), window->menuAction(kSystemAbout)->text());
}

TEST_F(MainDialogTest, TheMemoryMapButtonHasTheActionButtonsFont) {
    const int px = Find<CECButton>(window.get(), kMergeButton)->CaptionPixelSize();
    EXPECT_EQ(px, Find<CECButton>(window.get(), kMemoryMapButton)->CaptionPixelSize());
}

TEST_F(MainDialogTest, TheLogsNewestLineIsCurrentButNotHighlighted) {
    window->workspace().log().Add("one\r\n");
    window->workspace().log().Add("two\r\n");
    CNewListBox* log = Find<CNewListBox>(window.get(), kLogList);
    EXPECT_EQ(1, log->currentIndex().row());
    EXPECT_TRUE(log->selectionModel()->selectedIndexes().isEmpty());
    // A line the user picks is highlighted.
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, log->visualRect(log->model()->index(0, 0)).center());
    EXPECT_EQ(1, log->selectionModel()->selectedIndexes().size());
}

}  // namespace
}  // namespace torvane::ui
