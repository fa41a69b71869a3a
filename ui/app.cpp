#include "ui/app.h"

#include <QApplication>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

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

int CQuenlorApp::Run(int argc, char** argv) {
    // The window scales itself from the screen's logical resolution, so the
    // toolkit must not scale it a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("torvane"));
    QApplication::setWindowIcon(ApplicationIcon());
    InstallFontSubstitutes();

    // --screenshot FILE: show the window, save a picture of it and exit. Used
    // to show that the program runs on a machine without a display.
    std::string screenshot;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = argv[i + 1];
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
    return app.exec();
}

}  // namespace torvane::ui
