#include "ui/app.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "platform/process.h"
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
    // The window scales itself from the screen's logical resolution, so the
    // toolkit must not scale it a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("torvane"));
    QApplication::setWindowIcon(ApplicationIcon());
    InstallFontSubstitutes();

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
