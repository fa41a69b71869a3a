#include "ui/qt_prompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocumentFragment>
#include <QTimer>
#include <cstdio>

#include "core/file_list.h"
#include "core/hex_to_bin.h"
#include "core/workspace.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"
#include "support/nic_test_support.h"
#include "tools/nic/upgrade_dialog.h"
#include "tools/nic/upgrade_image.h"
#include "tools/nic/upgrade_ids.h"
#include "ui/main_dialog.h"
#include "ui/main_ids.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

// The text and detail of every box shown while `run` runs; each is closed.
struct SeenBox {
    QString text;
    QString detail;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

std::vector<SeenBox> BoxesShownBy(const std::function<void()>& run, const QString& shot = QString()) {
    std::vector<SeenBox> seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen.push_back({box->text(), QTextDocumentFragment::fromHtml(box->informativeText()).toPlainText(), box->icon()});
            if (!shot.isEmpty()) Shoot(box, shot);
            box->accept();
        }
    });
    watcher.start(5);
    run();
    QCoreApplication::processEvents();
    return seen;
}

TEST(BoxReasonsTest, AReasonBecomesTheDetailOfTheBoxBeforeItInChinese) {
    QtPrompts prompts;
    const std::vector<SeenBox> seen = BoxesShownBy([&] {
        ShowNotice(prompts, "错误的Hex文件！");
        ExplainFailure(prompts, 1, "/fw/boot.hex", "line 3: the record's checksum does not match");
    });
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(QStringLiteral("错误的Hex文件！"), seen[0].text);
    EXPECT_EQ(QStringLiteral("文件1：/fw/boot.hex\n第3行：记录的校验和不符"), seen[0].detail);
}

TEST(BoxReasonsTest, ABoxWithoutAReasonIsShownAsItIsAndNamesAreNeverMarkup) {
    QtPrompts prompts;
    std::vector<SeenBox> seen = BoxesShownBy([&] {
        ShowNotice(prompts, "合并成功!");
        QCoreApplication::processEvents();  // back in the event loop
    });
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(QString(), seen[0].detail);
    seen = BoxesShownBy([&] {
        ShowNotice(prompts, "文件1不存在!");
        ExplainFailure(prompts, 1, "/fw/<b>x</b>.bin", "No such file or directory");
    });
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(QStringLiteral("文件1：/fw/<b>x</b>.bin\n文件或文件夹不存在"), seen[0].detail);
}

TEST(BoxReasonsTest, TheWindowShowsTheReasonsOfItsBoxes) {
    test::TempDir dir;
    QtPrompts prompts;
    CQuenlorDlg window(prompts, 1.0);
    window.show();
    prompts.SetOwner(&window);
    // A project whose file has gone since it was saved.
    const std::string gone = dir.File("gone.bin");
    const std::string ini = dir.Write("p.ini", "[FileInfo1]\r\nFileName=" + gone +
                                                   "\r\nFileNo=1\r\nFileType=0\r\nFileSize=13\r\nBINOffset=00000000\r\n"
                                                   "PolishType=2\r\nPolishData=0\r\nOffsetAddr=00000000\r\nIsSaveOffsetData=0\r\n");
    const std::vector<SeenBox> seen = BoxesShownBy([&] { window.ImportProject(QString::fromStdString(ini)); },
                                                   QStringLiteral("box-reason-missing-file"));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(QStringLiteral("文件1不存在!"), seen[0].text);
    EXPECT_EQ(QStringLiteral("文件1：%1\n文件或文件夹不存在").arg(QString::fromStdString(gone)), seen[0].detail);
}

TEST(BoxReasonsTest, TheAdapterDialogShowsWhyItsConfigurationWasRefused) {
    test::TempDir dir;
    QtPrompts prompts;
    CDlg_NCUpgradeFile dialog(prompts);
    prompts.SetOwner(&dialog);
    prompts.SetReasonSink([&dialog](const QString& reason) { dialog.ShowReason(reason); });
    dialog.show();
    const std::string image = dir.Write("net.bin", std::vector<uint8_t>(kUpgradeImageMinSize + 16, 0xEE));
    const std::string config = dir.Write("bad.cfg", std::string("not a configuration at all"));
    dialog.findChild<QLineEdit*>(QString::number(upgrade_ids::kImage))->setText(QString::fromStdString(image));
    dialog.findChild<QLineEdit*>(QString::number(upgrade_ids::kConfig))->setText(QString::fromStdString(config));
    BoxesShownBy([&] { dialog.findChild<QPushButton*>(QString::number(upgrade_ids::kMerge))->click(); });
    EXPECT_TRUE(dialog.lines().LineCount() > 0);
    EXPECT_TRUE(dialog.reason()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.reason()->text().contains(QStringLiteral("文件不是以标记"))) << dialog.reason()->text().toStdString();
    Shoot(&dialog, QStringLiteral("tool-upgrade-reason"));
}

}  // namespace
}  // namespace torvane::ui
