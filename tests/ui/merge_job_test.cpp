// The merge as a firmware engineer meets it in the window: a bootloader HEX
// with a hole between its records, an application BIN after it, one Intel HEX
// with a CRC-32 of the image in its last four bytes; and the traps on the way
// (the hole's fill, flash addresses for the fields, settings kept from an
// earlier project, a field typed and never added, reasons in English).
#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeDatabase>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "core/integrity_fields.h"
#include "core/merge.h"
#include "support/hex_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/stamp/field_editor.h"
#include "ui/app.h"
#include "ui/list_item.h"
#include "ui/main_ids.h"
#include "ui/memory_map_view.h"
#include "ui/merge_settings_dialog.h"
#include "ui/row_ids.h"
#include "shots.h"

namespace torvane::ui {
namespace {

using namespace main_ids;
using test::ScriptedPrompts;

// A bootloader of 0x1000 bytes at 0x08000000 and 0xD00 at 0x08002300: a hole
// of 4,864 bytes between its records.
std::string BootHex() {
    std::string text = test::LinearRecord(0x0800);
    for (uint32_t at = 0; at < 0x1000; at += 16) {
        std::vector<uint8_t> data;
        for (uint32_t i = 0; i < 16; ++i) data.push_back(static_cast<uint8_t>((at + i) * 13 + 5));
        text += test::DataRecord(static_cast<uint16_t>(at), data);
    }
    for (uint32_t at = 0; at < 0xD00; at += 16) {
        std::vector<uint8_t> data;
        for (uint32_t i = 0; i < 16; ++i) data.push_back(static_cast<uint8_t>((at + i) * 7 + 3));
        text += test::DataRecord(static_cast<uint16_t>(0x2300 + at), data);
    }
    return text + test::EndRecord();
}

class MergeJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CQuenlorDlg>(prompts, 1.0);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    template <typename T>
    T* RowWidget(int row, int id) {
        return window->row(row)->findChild<T*>(QString::number(id));
    }
    // Types a path into a row's name box and presses Enter, as a user does.
    void TypePath(int row, const std::string& path) {
        QLineEdit* box = RowWidget<QLineEdit>(row, row_ids::kFileName);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, QString::fromStdString(path));
        QTest::keyClick(box, Qt::Key_Return);
    }
    void TypeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Picks an item of a row's drop-down list with the keyboard.
    void Pick(int row, int id, int index) {
        QComboBox* list = RowWidget<QComboBox>(row, id);
        list->setFocus();
        QTest::keyClick(list, index == 0 ? Qt::Key_Home : Qt::Key_End);
    }
    // Runs `inside` on the merge settings once they are open, then closes them as it leaves them.
    void InMergeSettings(const std::function<void(CMergeSettingsDlg*)>& inside) {
        QTimer::singleShot(0, [inside] {
            auto* settings = qobject_cast<CMergeSettingsDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(nullptr, settings);
            // The CRC of the job; the list opens on its first entry.
            FieldEditor* f = settings->editor();
            f->kind()->setCurrentIndex(f->kind()->findData(QStringLiteral("CRC-32/ISO-HDLC")));
            inside(settings);
            if (settings->isVisible()) settings->reject();
        });
        window->OnCommand(kMergeSettings);
    }
    QLabel* Plan() { return window->findChild<QLabel*>(QString::number(kMergePlan)); }

    test::TempDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<CQuenlorDlg> window;
};

// ---- 合并设置 never drops what was typed ----

TEST_F(MergeJobTest, EnterOnAddAddsTheFieldAndKeepsTheBoxOpen) {
    InMergeSettings([&](CMergeSettingsDlg* s) {
        s->format()->setCurrentIndex(1);
        FieldEditor* f = s->editor();
        TypeInto(f->at(), QStringLiteral("8006800"));
        TypeInto(f->start(), QStringLiteral("8000000"));
        TypeInto(f->end(), QStringLiteral("80067FF"));
        s->addButton()->setFocus();
        QTest::keyClick(s->addButton(), Qt::Key_Return);
        EXPECT_TRUE(s->isVisible());
        EXPECT_EQ(1, s->fields()->count());
        s->accept();
    });
    ASSERT_EQ(1u, window->workspace().MergeFields.size());
    EXPECT_EQ("CRC-32/ISO-HDLC@8006800:8000000-80067FF", FieldSpecText(window->workspace().MergeFields[0]));
}

TEST_F(MergeJobTest, OkWithAFieldTypedButNotAddedAsks) {
    const std::string question =
        "校验值字段CRC-32/ISO-HDLC（写入地址映像末尾，范围映像起始-映像末尾）已填写，但尚未添加到列表中。\r\n"
        " 选是，添加该字段并保存设置\r\n 选否，不添加该字段，保存设置\r\n 选取消，返回继续编辑";
    // Cancel stays in the box with the field still typed.
    prompts.ExpectBox(question, "提示", Answer::Cancel, MessageButtons::YesNoCancel, MessageIcon::Question);
    InMergeSettings([&](CMergeSettingsDlg* s) {
        QTest::mouseClick(s->editor()->wholeImage(), Qt::LeftButton);
        s->accept();
        EXPECT_TRUE(s->isVisible());
        EXPECT_EQ(QStringLiteral("end"), s->editor()->at()->text());
    });
    EXPECT_TRUE(window->workspace().MergeFields.empty());
    // No accepts without it.
    prompts.ExpectBox(question, "提示", Answer::No, MessageButtons::YesNoCancel, MessageIcon::Question);
    InMergeSettings([&](CMergeSettingsDlg* s) {
        QTest::mouseClick(s->editor()->wholeImage(), Qt::LeftButton);
        s->accept();
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_TRUE(window->workspace().MergeFields.empty());
    // Yes adds it, then accepts.
    prompts.ExpectBox(question, "提示", Answer::Yes, MessageButtons::YesNoCancel, MessageIcon::Question);
    InMergeSettings([&](CMergeSettingsDlg* s) {
        QTest::mouseClick(s->editor()->wholeImage(), Qt::LeftButton);
        s->accept();
        EXPECT_FALSE(s->isVisible());
    });
    ASSERT_EQ(1u, window->workspace().MergeFields.size());
    EXPECT_EQ("CRC-32/ISO-HDLC@end:start-end", FieldSpecText(window->workspace().MergeFields[0]));
    // A field shown from the list is no field typed: nothing to ask.
    InMergeSettings([&](CMergeSettingsDlg* s) {
        s->fields()->setCurrentRow(0);
        s->accept();
        EXPECT_FALSE(s->isVisible());
    });
}

// ---- flash addresses, not image offsets ----

TEST_F(MergeJobTest, AFlashAddressIsTakenForAHexOutputAndTheRuleIsStated) {
    InMergeSettings([&](CMergeSettingsDlg* s) {
        s->format()->setCurrentIndex(1);  // Intel HEX, the base chosen by the files
        EXPECT_TRUE(s->fieldRule()->text().contains(QStringLiteral("内存分布图中的地址"))) << s->fieldRule()->text().toStdString();
        EXPECT_TRUE(s->fieldRule()->text().contains(QStringLiteral("start-end")));
        FieldEditor* f = s->editor();
        TypeInto(f->at(), QStringLiteral("0x08006802"));
        TypeInto(f->start(), QStringLiteral("0x08000000"));
        TypeInto(f->end(), QStringLiteral("0x080067FF"));
        QTest::mouseClick(s->addButton(), Qt::LeftButton);
        EXPECT_EQ(QStringLiteral("CRC-32/ISO-HDLC  @0x08006802  范围0x08000000-0x080067FF  小端"),
                  s->fields()->item(0)->text());
        Shoot(s, QStringLiteral("merge-settings-flash-addresses"));
        s->accept();
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(1u, window->workspace().MergeFields.size());
    // A BIN without a base keeps offsets: there the same field is refused, in the window's words.
    prompts.ExpectNotice(
        "校验值字段设置有误：CRC-32/ISO-HDLC（写入地址0x08006802，范围0x08000000-0x080067FF）超出了映像可容纳的末尾"
        "0x005FFFFF");
    InMergeSettings([&](CMergeSettingsDlg* s) {
        s->format()->setCurrentIndex(0);
        EXPECT_TRUE(s->fieldRule()->text().contains(QStringLiteral("合并文件内的偏移")));
        s->accept();
        EXPECT_TRUE(s->isVisible());
    });
}

// ---- the merge mode's line ----

TEST_F(MergeJobTest, TheMergeModeShowsWhatTheMergeWillMakeAndKeepsItUpToDate) {
    window->OnCommand(kModeHexToBin);
    EXPECT_FALSE(Plan()->isVisible());
    window->OnCommand(kModeMerge);
    ASSERT_TRUE(Plan()->isVisible());
    EXPECT_EQ(QStringLiteral("合并预览：已选择0个文件，至少需要两个；BIN；无校验值字段"), Plan()->toolTip());
    TypePath(0, dir.Write("boot.hex", BootHex()));
    TypePath(1, dir.Write("app.bin", std::string(0x800, 'a')));
    // Typed into the row, the offset shows at once.
    TypeInto(RowWidget<QLineEdit>(1, row_ids::kBinOffset), QStringLiteral("4000"));
    EXPECT_EQ(QStringLiteral("合并预览：0x00000000-0x000047FF，18432字节；BIN；无校验值字段"), Plan()->toolTip());
    // The settings a project brought along stay in sight.
    window->workspace().SetMergeFormat(ImageFormat::IntelHex);
    window->workspace().MergeFields = {*ParseFieldSpec("crc32@end:start-end")};
    window->RefreshAll();
    EXPECT_EQ(QStringLiteral("合并预览：0x08000000-0x08004803，18436字节；Intel HEX，起始地址0x08000000（自动）；"
                             "校验值字段1个"),
              Plan()->toolTip());
    // The rest of the window stays where it was; the line lies in the panel under the rows.
    const MainLayout& m = window->layout();
    EXPECT_EQ(QRect(m.mergePlan.left, m.mergePlan.top, m.mergePlan.width(), m.mergePlan.height()), Plan()->geometry());
    EXPECT_EQ(QRect(m.outputEdit.left, m.outputEdit.top, m.outputEdit.width(), m.outputEdit.height()),
              window->findChild<QLineEdit*>(QString::number(kOutputFile))->geometry());
    Shoot(window.get(), QStringLiteral("main-merge-plan"));
}

// ---- the hole in the map ----

TEST_F(MergeJobTest, TheMapDrawsTheHexRowsHoleAndNamesItsFill) {
    window->OnCommand(kModeMerge);
    TypePath(0, dir.Write("boot.hex", BootHex()));
    TypePath(1, dir.Write("app.bin", std::string(0x800, 'a')));
    TypeInto(RowWidget<QLineEdit>(1, row_ids::kBinOffset), QStringLiteral("4000"));
    Pick(0, row_ids::kPolishData, 1);
    window->workspace().HexGapFill = GapFill::RowFill;
    CMemoryMapDlg view(window->workspace(), prompts, window.get());
    view.show();
    ASSERT_EQ(5, view.table()->rowCount());
    EXPECT_EQ(QStringLiteral("0x00001000"), view.table()->item(1, 0)->text());
    EXPECT_EQ(QStringLiteral("4864"), view.table()->item(1, 2)->text());
    EXPECT_EQ(QStringLiteral("文件1内的空隙"), view.table()->item(1, 3)->text());
    EXPECT_TRUE(view.table()->item(1, 4)->text().startsWith(QStringLiteral("填充 0xFF"))) << view.table()->item(1, 4)->text().toStdString();
    const int hole = 1;
    EXPECT_TRUE(view.band()->Describe(hole).contains(QStringLiteral("记录之间的空隙，填充 0xFF")));
    Shoot(&view, QStringLiteral("memory-map-hex-row-hole"));
}

// ---- reasons in Chinese ----

TEST_F(MergeJobTest, TheFileDialogsNameFoldersAndFileTypesInChinese) {
    EXPECT_EQ(QStringLiteral("文件夹"), QAbstractFileIconProvider().type(QFileInfo(QString::fromStdString(dir.path()))));
    EXPECT_EQ(QStringLiteral("纯文本文档"), QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment());
    EXPECT_EQ(QString(), MissingQtText("QAbstractFileIconProvider", "Something else"));
}

// ---- the whole job, as a new user does it ----

#ifndef _WIN32
TEST_F(MergeJobTest, TheBootloaderAndApplicationJobDoneInTheWindowIsSrecCats) {
    const bool srecCat = std::system("command -v srec_cat >/dev/null 2>&1") == 0;
    const std::string boot = dir.Write("boot.hex", BootHex());
    std::string app(0x800, '\0');
    for (size_t i = 0; i < app.size(); ++i) app[i] = static_cast<char>(i * 11 + 1);
    const std::string appBin = dir.Write("app.bin", app);
    for (const bool rowFill : {false, true}) {
        window->OnCommand(kModeMerge);
        TypePath(0, boot);
        TypePath(1, appBin);
        TypeInto(RowWidget<QLineEdit>(1, row_ids::kBinOffset), QStringLiteral("4000"));
        Pick(0, row_ids::kPolishData, 1);
        Pick(1, row_ids::kPolishData, 1);
        InMergeSettings([&](CMergeSettingsDlg* s) {
            s->format()->setCurrentIndex(1);
            s->gapFill()->setCurrentIndex(rowFill ? 1 : 0);
            if (s->fields()->count() == 0) {
                QTest::mouseClick(s->editor()->wholeImage(), Qt::LeftButton);
                s->addButton()->setFocus();
                QTest::keyClick(s->addButton(), Qt::Key_Return);
            }
            s->accept();
        });
        const std::string out = dir.File(rowFill ? "ff.hex" : "zero.hex");
        TypeInto(window->findChild<QLineEdit*>(QString::number(kOutputFile)), QString::fromStdString(out));
        EXPECT_TRUE(Plan()->toolTip().contains(QStringLiteral("18436字节；Intel HEX，起始地址0x08000000（自动）；校验值字段1个")))
            << Plan()->toolTip().toStdString();
        prompts.ExpectNotice("合并成功!");
        QTest::mouseClick(window->findChild<QPushButton*>(QString::number(kMergeButton)), Qt::LeftButton);
        ASSERT_TRUE(test::Exists(out));
        const Workspace& ws = window->workspace();
        bool named = false;
        for (int i = 0; i < ws.log().LineCount(); ++i)
            named = named || ws.log().Line(i).find(std::string("文件记录之间有1处空隙，共4864字节，已填充0x") +
                                                  (rowFill ? "FF" : "00")) != std::string::npos;
        EXPECT_TRUE(named);
        if (!srecCat) continue;
        const std::string hole = rowFill ? "" : " -fill 0x00 0x08000000 0x08003000";
        const std::string command = "cd '" + dir.path() + "' && srec_cat '(' boot.hex -intel" + hole +
                                    " -fill 0xFF 0x08000000 0x08004000 app.bin -binary -offset 0x08004000 ')' "
                                    "-crc32-l-e 0x08004800 -o ref.hex -intel && srec_cmp ref.hex -intel '" + out +
                                    "' -intel";
        EXPECT_EQ(0, std::system(command.c_str())) << command;
    }
    Shoot(window.get(), QStringLiteral("main-bootloader-job"));
}
#endif

}  // namespace
}  // namespace torvane::ui
