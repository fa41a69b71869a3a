#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "widgets/button_st.h"
#include "widgets/ec_button.h"
#include "widgets/ec_static.h"
#include "widgets/new_list_box.h"
#include "ui/app.h"
#include "ui/qt_prompts.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <memory>
#include <new>

#include "support/temp_dir.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

TEST(CECButtonTest, FillFollowsTheState) {
    CECButton b(QStringLiteral("保存"));
    b.resize(60, 30);
    EXPECT_EQ(QColor(33, 115, 206), b.CurrentFill());
    b.setDown(true);
    EXPECT_EQ(QColor(26, 89, 121), b.CurrentFill());
    b.setDown(false);
    b.setEnabled(false);
    EXPECT_EQ(QColor(216, 216, 216), b.CurrentFill());
    EXPECT_EQ(80, b.CaptionColour().alpha());
    b.setEnabled(true);
    EXPECT_EQ(255, b.CaptionColour().alpha());
    const QImage shot = b.grab().toImage();
    EXPECT_EQ(QColor(33, 115, 206), shot.pixelColor(2, 2));
}

TEST(CECButtonTest, DoubleClickRunsTheCommandTwice) {
    CECButton b(QStringLiteral("HEX转BIN"));
    b.resize(120, 35);
    b.show();
    QSignalSpy clicked(&b, &QPushButton::clicked);
    // What the system sends for a double click: press, release, double click, release.
    QTest::mousePress(&b, Qt::LeftButton);
    QTest::mouseRelease(&b, Qt::LeftButton);
    QTest::mouseDClick(&b, Qt::LeftButton);
    QTest::mouseRelease(&b, Qt::LeftButton);
    EXPECT_EQ(2, clicked.count());
}

TEST(CButtonSTTest, BorderOnlyWhenDrawnAndHotOrPressed) {
    CButtonST b(QStringLiteral("合并BIN文件"));
    b.resize(88, 25);
    EXPECT_FALSE(b.ShowsBorder());
    b.setDown(true);
    EXPECT_TRUE(b.ShowsBorder());
    b.SetBorderDrawn(false);
    EXPECT_FALSE(b.ShowsBorder());
    b.SetColour(CButtonST::HotBackground, QColor(220, 220, 220));
    EXPECT_EQ(QColor(220, 220, 220), b.CurrentBackground());
    b.setDown(false);
    b.SetColour(CButtonST::IdleBackground, QColor(240, 240, 240));
    EXPECT_EQ(QColor(240, 240, 240), b.CurrentBackground());
    EXPECT_EQ(QColor(240, 240, 240), b.grab().toImage().pixelColor(5, 5));
}

// A hover the button was told of while the pointer was elsewhere (a menu or a
// box over it swallowed the leave) ends when such a window closes.
TEST(CButtonSTTest, AHoverLeftBehindByAMenuOrABoxEndsWhenItCloses) {
    QWidget host;
    host.resize(300, 120);
    CButtonST b(QStringLiteral("合并BIN文件"), &host);
    b.setGeometry(10, 10, 88, 25);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    auto staleEnter = [&b] {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&b, &enter);
        ASSERT_TRUE(b.mouseOver());
    };

    QCursor::setPos(host.mapToGlobal(QPoint(250, 100)));
    staleEnter();
    QMenu menu;
    menu.addAction(QStringLiteral("删除"));
    menu.popup(host.mapToGlobal(QPoint(20, 20)));
    menu.close();
    EXPECT_TRUE(QTest::qWaitFor([&b] { return !b.mouseOver(); }, 1000));

    staleEnter();
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    QMessageBox(QMessageBox::NoIcon, QStringLiteral("torvane"), QStringLiteral("合并成功!"), QMessageBox::Ok, &host).exec();
    EXPECT_TRUE(QTest::qWaitFor([&b] { return !b.mouseOver(); }, 1000));

    // With the pointer on it, the button stays hot.
    QCursor::setPos(b.mapToGlobal(b.rect().center()));
    staleEnter();
    menu.popup(host.mapToGlobal(QPoint(150, 60)));
    menu.close();
    QTest::qWait(20);
    EXPECT_TRUE(b.mouseOver());
}

TEST(CECButtonTest, AHoverLeftBehindByABoxEndsWhenItCloses) {
    QWidget host;
    host.resize(300, 120);
    CECButton b(QStringLiteral("合并BIN文件"), &host);
    b.setGeometry(10, 10, 120, 35);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QCursor::setPos(host.mapToGlobal(QPoint(250, 100)));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&b, &enter);
    ASSERT_TRUE(b.hovering());
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    QMessageBox(QMessageBox::NoIcon, QStringLiteral("torvane"), QStringLiteral("合并成功!"), QMessageBox::Ok, &host).exec();
    EXPECT_TRUE(QTest::qWaitFor([&b] { return !b.hovering(); }, 1000));
    EXPECT_EQ(QColor(33, 115, 206), b.CurrentFill());
}

// How many pixels of the row three pixels below the top edge have `colour`:
// the top of a focus mark.
int MarkPixels(QWidget& w, const QColor& colour) {
    const QImage shot = w.grab().toImage();
    int n = 0;
    for (int x = 0; x < shot.width(); ++x) n += shot.pixelColor(x, 3) == colour ? 1 : 0;
    return n;
}

TEST(FocusMarkTest, CustomDrawnButtonsShowTheFocusOnlyWhenItCameFromTheKeyboard) {
    QWidget host;
    host.resize(300, 120);
    CButtonST mode(QStringLiteral("HEX转BIN"), &host);
    mode.setGeometry(10, 10, 88, 25);
    CECButton action(QStringLiteral("保存"), &host);
    action.setGeometry(10, 50, 120, 35);
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    const QColor text = mode.Colour(CButtonST::FocusText);
    const QColor caption = action.CaptionColour();

    mode.setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(0, MarkPixels(mode, text));
    QTest::keyClick(&mode, Qt::Key_Tab);
    ASSERT_TRUE(action.hasFocus());
    EXPECT_GT(MarkPixels(action, caption), 20);
    Shoot(&host, QStringLiteral("focus-mark"));
    QTest::keyClick(&action, Qt::Key_Backtab);
    ASSERT_TRUE(mode.hasFocus());
    EXPECT_GT(MarkPixels(mode, text), 20);
    EXPECT_EQ(0, MarkPixels(action, caption));
}

TEST(CNewListBoxTest, ShowsTheLogsOwnLinesAndSelectsTheLast) {
    OperationLog log;
    CNewListBox list;
    list.Show(&log);
    log.Add("first\r\n");
    log.Add("");
    log.Add("third\r\n");
    EXPECT_EQ(3, list.model()->rowCount());
    EXPECT_EQ(QStringLiteral("third"), list.RowText(2));
    EXPECT_EQ(2, list.currentIndex().row());
    log.Append(0, " more");
    EXPECT_EQ(QStringLiteral("first\r\n more"), list.RowText(0));
    log.Clear();
    EXPECT_EQ(0, list.model()->rowCount());
    list.Show(nullptr);
}

// Collects what Qt's model checker reports while it lives.
class ModelCheckFailures {
public:
    ModelCheckFailures() {
        messages_().clear();
        previous_ = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            messages_() << text;
        });
    }
    ~ModelCheckFailures() { qInstallMessageHandler(previous_); }
    QStringList Messages() const { return messages_(); }

private:
    static QStringList& messages_() {
        static QStringList messages;
        return messages;
    }
    QtMessageHandler previous_;
};

TEST(CNewListBoxTest, TheModelKeepsTheItemModelRulesWhileTheLogChanges) {
    OperationLog log;
    CNewListBox list;
    list.Show(&log);
    ModelCheckFailures failures;
    {
        QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        log.Add("first\r\n");
        log.Add("second\r\n");
        log.Append(0, " more");
        log.Append(OperationLog::LastLine, " last");
        log.Clear();
        log.Clear();
        log.Add("again\r\n");
        list.Show(nullptr);
    }
    EXPECT_EQ("", failures.Messages().join(QLatin1Char('\n')).toStdString());
}

// What a file dialog offered when it opened.
struct SeenDialog {
    QString folder;
    QStringList labels;
    QStringList listed;  // the files of its folder that its first filter lets through
};

// Answers the next file dialog with `file` (cancels it when empty) once its
// folder has been read, and notes what it showed; `shot` names its picture.
void AnswerNextFileDialog(SeenDialog* seen, const QString& file, int expectListed = 0, const QString& shot = {}) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen->folder = QDir::toNativeSeparators(dialog->directory().absolutePath());
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < types->count(); ++i) seen->labels << types->itemText(i);
        }
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (view && expectListed > 0) {
            (void)QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= expectListed; }, 3000);
            for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
                seen->listed << view->model()->index(i, 0, view->rootIndex()).data().toString();
            seen->listed.sort();
        }
        if (!shot.isEmpty()) Shoot(dialog, shot);
        if (file.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
}

TEST(QtPromptsTest, FilterLabelsShowOnceAndTheirPatternsMatchBothLetterCases) {
    test::TempDir dir;
    for (const char* name : {"a.bin", "B.BIN", "c.hex", "D.HEX", "e.txt"}) dir.Write(name, "x");
    QtPrompts prompts;
    FileDialog dialog;
    dialog.filter = "(*.HEX;*.BIN)|*.HEX;*.BIN|bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||";
    dialog.initialFolder = dir.path();
    SeenDialog seen;
    AnswerNextFileDialog(&seen, QString(), 4, QStringLiteral("file-dialog"));
    EXPECT_EQ(std::nullopt, prompts.OpenFile(dialog));
    EXPECT_EQ((QStringList{QStringLiteral("(*.HEX;*.BIN)"), QStringLiteral("bin文件(*.bin)"),
                           QStringLiteral("所有文件(*.*)")}),
              seen.labels);
    EXPECT_EQ((QStringList{QStringLiteral("B.BIN"), QStringLiteral("D.HEX"), QStringLiteral("a.bin"),
                           QStringLiteral("c.hex")}),
              seen.listed);
}

TEST(QtPromptsTest, EachKindOfDialogOpensWhereThatKindWasLastChosenAlsoInALaterRun) {
    test::TempDir firmware;
    test::TempDir projects;
    test::TempDir elsewhere;
    const std::string hex = firmware.Write("app.hex", "x");
    const std::string ini = projects.Write("p.ini", "x");
    FileDialog firmwareDialog;
    firmwareDialog.kind = FileKind::Firmware;
    firmwareDialog.initialFolder = elsewhere.path();
    FileDialog projectDialog;
    projectDialog.kind = FileKind::Project;
    projectDialog.initialFolder = elsewhere.path();
    {
        QtPrompts prompts;
        SeenDialog seen;
        AnswerNextFileDialog(&seen, QString::fromStdString(hex));
        EXPECT_EQ(hex, prompts.OpenFile(firmwareDialog));
        AnswerNextFileDialog(&seen, QString::fromStdString(ini));
        EXPECT_EQ(ini, prompts.OpenFile(projectDialog));
        // A cancelled dialog keeps what was kept.
        SeenDialog cancelled;
        AnswerNextFileDialog(&cancelled, QString());
        firmwareDialog.initialFolder = projects.path();
        EXPECT_EQ(std::nullopt, prompts.OpenFile(firmwareDialog));
        EXPECT_EQ(QString::fromStdString(firmware.path()), cancelled.folder);
    }
    QSettings().sync();
    // What a later run finds: the folders are in the settings file.
    const QString stored = QString::fromStdString(test::ReadText(QSettings().fileName().toStdString()));
#ifndef Q_OS_WIN
    // (An INI file doubles the backslashes of a Windows path.)
    EXPECT_TRUE(stored.contains(QString::fromStdString(firmware.path()))) << stored.toStdString();
#endif
    // In the system's own form, as the program shows paths.
    const QSettings reread(QSettings().fileName(), QSettings().format());
    EXPECT_EQ(QString::fromStdString(firmware.path()), reread.value(FolderSettingsKey(FileKind::Firmware)).toString());

    QtPrompts later;
    SeenDialog seenFirmware;
    AnswerNextFileDialog(&seenFirmware, QString());
    later.OpenFile(firmwareDialog);
    EXPECT_EQ(QString::fromStdString(firmware.path()), seenFirmware.folder);
    SeenDialog seenProject;
    AnswerNextFileDialog(&seenProject, QString());
    later.SaveFile(projectDialog);
    EXPECT_EQ(QString::fromStdString(projects.path()), seenProject.folder);
    // A dialog of no kind opens at its initial folder.
    FileDialog plain;
    plain.initialFolder = elsewhere.path();
    SeenDialog seenPlain;
    AnswerNextFileDialog(&seenPlain, QString());
    later.OpenFile(plain);
    EXPECT_EQ(QString::fromStdString(elsewhere.path()), seenPlain.folder);
}

TEST(QtPromptsTest, AShortBoxIsWideEnoughForItsCaption) {
    const QString caption = QStringLiteral("这是一个相当长的消息框标题");
    int width = 0;
    int captionWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        width = box->width();
        QFont bold = box->font();
        bold.setBold(true);
        captionWidth = QFontMetrics(bold).horizontalAdvance(caption);
        Shoot(box, QStringLiteral("message-box"));
        box->accept();
    });
    QtPrompts prompts;
    prompts.Show(MessageBox{"好", caption.toStdString(), MessageIcon::Information, MessageButtons::Ok});
    prompts.ShowWaitingBox();
    EXPECT_GT(captionWidth, 0);
    EXPECT_GE(width, captionWidth + 100);
}

TEST(QtTranslationTest, QtsOwnTextsAreChinese) {
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_TRUE(menu->actions().first()->text().startsWith(QStringLiteral("撤消"))) << menu->actions().first()->text().toStdString();
    EXPECT_EQ(QStringLiteral("打开(&O)"), QCoreApplication::translate("QFileDialog", "&Open"));
}

TEST(GuardedApplicationTest, AnAllocationFailureInAHandlerBecomesABox) {
    class Failing : public QObject {
    public:
        bool event(QEvent*) override { throw std::bad_alloc(); }
    } failing;
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown = box->text();
        box->accept();
    });
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    EXPECT_EQ(QString::fromUtf8(kOutOfMemoryMessage), shown);
}

}  // namespace
}  // namespace torvane::ui
