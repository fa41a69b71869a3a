#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "ui/widgets/button_st.h"
#include "ui/widgets/ec_button.h"
#include "ui/widgets/ec_static.h"
#include "ui/widgets/new_list_box.h"
#include "ui/app.h"
#include "ui/qt_prompts.h"

#include <QMessageBox>
#include <QTimer>
#include <new>

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

TEST(QtPromptsTest, FiltersMatchBothLetterCases) {
    EXPECT_EQ((QStringList{QStringLiteral("(*.HEX;*.BIN) (*.HEX *.hex *.BIN *.bin)"), QStringLiteral("(*.HEX) (*.HEX *.hex)"),
                           QStringLiteral("(*.BIN) (*.BIN *.bin)")}),
              QtNameFilters("(*.HEX;*.BIN)|*.HEX;*.BIN|(*.HEX)|*.HEX|(*.BIN)|*.BIN||"));
    EXPECT_EQ((QStringList{QStringLiteral("bin文件(*.bin) (*.bin *.BIN)"), QStringLiteral("所有文件(*.*) (*.*)")}),
              QtNameFilters("bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||"));
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
