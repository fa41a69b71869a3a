#include "ui/app.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "core/workspace.h"
#include "platform/process.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "tools/testbin/test_bin_tool.h"
#include "ui/desktop_scale.h"
#include "ui/icons.h"
#include "ui/main_dialog.h"
#include "ui/qt_prompts.h"

namespace torvane::ui {

void InstallFontSubstitutes() {
    const QStringList chinese = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Noto Sans SC"), QStringLiteral("WenQuanYi Zen Hei"),
                                 QStringLiteral("Droid Sans Fallback")};
    for (const char* face : {"黑体", "微软雅黑", "宋体", "MS Shell Dlg"}) {
        QFont::insertSubstitutions(QString::fromUtf8(face), chinese);
    }
}

bool InstallQtTranslations() {
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    const char* message = nullptr;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        message = kOutOfMemoryMessage;
    } catch (...) {
        message = kUnexpectedFailureMessage;
    }
    QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(message));
    return false;
}

int CQuenlorApp::Run(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    // --print-defaults: the paths the window proposes, without a display, so
    // that an installed copy can be checked for defaults its user may write.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--print-defaults") == 0) {
            SilentPrompts silent;
            const Workspace ws(silent);
            std::printf("merge output: %s\ntest file: %s\nbrowse folder: %s\n", ws.DefaultOutputPath.c_str(),
                        TestBinDefaultPath().c_str(), DefaultFilesFolder().c_str());
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    // The window scales itself from what the desktop states, so the toolkit
    // must not scale it a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    TakeOverQtScaleFactor();
    GuardedApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // The desktop entry's name, which Wayland uses to match the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.torvane"));
    QApplication::setWindowIcon(ApplicationIcon());
    InstallFontSubstitutes();
    InstallQtTranslations();
    ScalePointFontsForDesktop();

    // --screenshot FILE: show the window, save a picture of it and exit. Used
    // to show that the program runs on a machine without a display.
    std::string screenshot;
    bool probe = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) screenshot = argv[i + 1];
        // --startup-probe: report how long the window took to show and exit.
        if (std::strcmp(argv[i], "--startup-probe") == 0) probe = true;
    }

    QtPrompts prompts;
    CQuenlorDlg window(prompts);
    prompts.SetOwner(&window);
    window.show();
    if (!screenshot.empty()) {
        QTimer::singleShot(300, &window, [&window, screenshot] {
            const bool ok = window.grab().save(QString::fromStdString(screenshot));
            std::fprintf(ok ? stdout : stderr, ok ? "Screenshot saved to %s\n" : "Cannot save %s\n",
                         screenshot.c_str());
            QApplication::exit(ok ? 0 : 1);
        });
    }
    if (probe) {
        QTimer::singleShot(0, &window, [&window, started] {
            window.repaint();
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
            std::printf("main window shown after %.1f ms; peak memory %llu KiB\n", ms,
                        static_cast<unsigned long long>(PeakMemoryKiB()));
            QApplication::exit(0);
        });
    }
    return app.exec();
}

}  // namespace torvane::ui
