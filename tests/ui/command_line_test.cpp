#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>

#include "core/window_arguments.h"
#include "support/hex_text.h"
#include "support/image_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "torvane/version.h"
#include "ui/list_item.h"
#include "ui/row_ids.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

// Runs the built program with `args` in an environment without any display.
Ran RunWithoutDisplay(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TORVANE_GUI_PATH), args);
    if (!p.waitForFinished(60000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(CommandLineTest, HelpAndVersionPrintAndNeedNoDisplay) {
    const Ran help = RunWithoutDisplay({QStringLiteral("--help")});
    EXPECT_EQ(0, help.status);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage:\n  torvane [PROJECT.ini | FILE ...]"))) << help.out.toStdString();
    const Ran version = RunWithoutDisplay({QStringLiteral("--version")});
    EXPECT_EQ(0, version.status);
    EXPECT_EQ(QStringLiteral("torvane " TORVANE_VERSION "\n"), version.out);
}

TEST(CommandLineTest, WithoutADisplayOneLineAndStatusOne) {
    const Ran r = RunWithoutDisplay({});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(1, r.err.count(QLatin1Char('\n'))) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("torvane: no display"))) << r.err.toStdString();
}

TEST(CommandLineTest, FilesNamedAtStartFillTheRowsInOrder) {
    test::TempDir dir;
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0);
    const std::string hex = dir.Write("a.hex", test::HexBlock(0x100, 13));
    const std::string bin = dir.Write("b.bin", std::string(16, 'b'));
    window.LoadFiles({QString::fromStdString(hex), QString::fromStdString(bin)});
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(QString::fromStdString(row == 0 ? hex : bin),
                  window.row(row)->findChild<QLineEdit*>(QString::number(row_ids::kFileName))->text());
        EXPECT_TRUE(window.row(row)->findChild<QCheckBox*>(QString::number(row_ids::kSelect))->isChecked());
    }
    EXPECT_EQ("00000100", window.workspace().rows().Controls(0).OffsetAddrText);
    EXPECT_TRUE(prompts.Done());
}

// What the desktop's "open with" hands over: S-records and ELF files load
// into rows as HEX files do.
TEST(CommandLineTest, SRecordAndElfFilesNamedAtStartLoadIntoRows) {
    test::TempDir dir;
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0);
    const std::vector<uint8_t> data(32, 0xA5);
    const std::string srec = dir.Write("app.S19", test::SRecordText(0x08002000, data));
    const std::string elf = dir.Write("app.elf", test::ElfImage(0x08004000, data));
    EXPECT_EQ((std::vector<std::string>{srec, elf}), ParseWindowArguments({srec, elf}).files);
    window.LoadFiles({QString::fromStdString(srec), QString::fromStdString(elf)});
    const FileList& rows = window.workspace().rows();
    EXPECT_EQ(srec, rows.Row(0).controls.FileNameText);
    EXPECT_EQ("08002000", rows.Row(0).controls.OffsetAddrText);
    EXPECT_EQ(elf, rows.Row(1).controls.FileNameText);
    EXPECT_EQ("08004000", rows.Row(1).controls.OffsetAddrText);
    for (int row = 0; row < 2; ++row)
        EXPECT_TRUE(window.row(row)->findChild<QCheckBox*>(QString::number(row_ids::kSelect))->isChecked()) << row;
    EXPECT_TRUE(WindowUsageText().find("S-record") != std::string::npos);
    EXPECT_TRUE(prompts.Done());
}

}  // namespace
}  // namespace torvane::ui
