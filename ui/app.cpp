#include "ui/app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/window_arguments.h"
#include "core/workspace.h"
#include "torvane/version.h"
#include "platform/process.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "tools/testbin/test_bin_tool.h"
#include "ui/desktop_scale.h"
#include "ui/icons.h"
#include "ui/main_dialog.h"
#include "ui/qt_prompts.h"
#include "widgets/texts.h"

namespace torvane::ui {

void InstallFontSubstitutes() {
    const QStringList chinese = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Noto Sans SC"), QStringLiteral("WenQuanYi Zen Hei"),
                                 QStringLiteral("Droid Sans Fallback")};
    for (const char* face : {"黑体", "微软雅黑", "宋体", "MS Shell Dlg"}) {
        QFont::insertSubstitutions(QString::fromUtf8(face), chinese);
    }
}

namespace {

// Consulted after Qt's own catalogue (translators are searched newest
// first): it answers only where that one has nothing.
class MissingQtTexts final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        return MissingQtText(context, sourceText);
    }
};

}  // namespace

QString MissingQtText(const char* context, const char* sourceText) {
    struct Text {
        const char* context;
        const char* english;
        const char* chinese;
    };
    // The file dialog's type column names folders, drives and links with these.
    static constexpr Text kTexts[] = {
        {"QAbstractFileIconProvider", "Folder", "文件夹"},
        {"QAbstractFileIconProvider", "File Folder", "文件夹"},
        {"QAbstractFileIconProvider", "Drive", "驱动器"},
        {"QAbstractFileIconProvider", "Shortcut", "快捷方式"},
        {"QAbstractFileIconProvider", "Alias", "替身"},
        {"QAbstractFileIconProvider", "Unknown", "未知"},
    };
    if (context == nullptr || sourceText == nullptr) return QString();
    for (const Text& t : kTexts)
        if (std::strcmp(context, t.context) == 0 && std::strcmp(sourceText, t.english) == 0)
            return QString::fromUtf8(t.chinese);
    return QString();
}

namespace {

// What InstallLanguage installed last, removed before it installs anew.
std::vector<QTranslator*>& InstalledTranslators() {
    static std::vector<QTranslator*> installed;
    return installed;
}

void Install(QTranslator* translator) {
    QCoreApplication::installTranslator(translator);
    InstalledTranslators().push_back(translator);
}

}  // namespace

bool InstallQtTranslations() { return InstallLanguage(Language::Chinese); }

Language LanguageOfSetting(const QString& value) {
    if (const std::optional<Language> chosen = LanguageOfWord(value.trimmed().toLower().toStdString())) return *chosen;
    return SystemLanguage();
}

Language SystemLanguage() {
#ifdef Q_OS_WIN
    return QLocale::system().language() == QLocale::Chinese ? Language::Chinese : Language::English;
#else
    return LanguageOfEnvironment();
#endif
}

bool InstallLanguage(Language language) {
    for (QTranslator* t : InstalledTranslators()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    InstalledTranslators().clear();
    SetLanguage(language);
    if (language == Language::English) {
        // Qt's own texts are English already; dates and file types follow.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        auto* own = new QTranslator(qApp);
        if (!own->load(QStringLiteral(":/i18n/torvane_en.qm"))) {
            delete own;
            return false;
        }
        Install(own);
        return true;
    }
    // File types and dates in the file dialogs follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    Install(new MissingQtTexts(qApp));
    auto* translator = new QTranslator(qApp);
    // The Windows program carries Qt's texts inside (no Qt is installed
    // beside it); on Linux they come with the system's Qt.
    const QString inside = QStringLiteral(":/qt-translations");
    const QString folder = QFileInfo::exists(inside + QStringLiteral("/qtbase_zh_CN.qm"))
                               ? inside
                               : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    Install(translator);
    return true;
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
    QMessageBox::critical(activeWindow(), applicationName(), Texts::tr(message));
    return false;
}

namespace {

// Messages the toolkit writes while it connects to the display: kept back, so
// that a failure to connect is the one line the program prints for it.
QtMessageHandler g_previousHandler = nullptr;
std::vector<std::pair<QtMsgType, QString>>& HeldMessages() {
    static std::vector<std::pair<QtMsgType, QString>> held;
    return held;
}

void HoldMessagesUntilConnected(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "torvane: cannot open the window: no display could be reached%s%s\n",
                     qEnvironmentVariableIsEmpty("DISPLAY") ? "" : " at DISPLAY=",
                     qEnvironmentVariable("DISPLAY").toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    (void)context;
    HeldMessages().emplace_back(type, text);
}

// Connected: what was held goes out as it would have.
void ReleaseHeldMessages() {
    qInstallMessageHandler(g_previousHandler);
    for (const auto& [type, text] : HeldMessages()) {
        if (g_previousHandler) g_previousHandler(type, QMessageLogContext(), text);
        else std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    HeldMessages().clear();
}

// True when nothing names a display the window could open on: no platform
// chosen for the toolkit and neither an X11 nor a Wayland display.
bool NoDisplayNamed(int argc, char** argv) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0) return false;
    }
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    (void)argc;
    (void)argv;
    return false;
#endif
}

// The options that end the program before any window, wherever they stand
// before "--"; the toolkit's own options are still among the words here.
bool Asks(int argc, char** argv, const char* option, const char* alias = nullptr) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], option) == 0 || (alias && std::strcmp(argv[i], alias) == 0)) return true;
    }
    return false;
}

int Printed(int status) { return std::fflush(stdout) == 0 ? status : 1; }

QString AbsolutePath(const std::string& path) {
    return QDir::toNativeSeparators(QFileInfo(QString::fromLocal8Bit(path.c_str())).absoluteFilePath());
}

}  // namespace

int CQuenlorApp::Run(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (Asks(argc, argv, "--help", "-h")) {
        std::fputs(WindowUsageText().c_str(), stdout);
        return Printed(0);
    }
    if (Asks(argc, argv, "--version")) {
        std::printf("torvane %s\n", TORVANE_VERSION);
        return Printed(0);
    }
    // --print-defaults: the paths the window proposes, without a display, so
    // that an installed copy can be checked for defaults its user may write.
    if (Asks(argc, argv, "--print-defaults")) {
        SilentPrompts silent;
        const Workspace ws(silent);
        std::printf("merge output: %s\ntest file: %s\nbrowse folder: %s\n", ws.DefaultOutputPath.c_str(),
                    TestBinDefaultPath().c_str(), DefaultFilesFolder().c_str());
        return Printed(0);
    }
    if (NoDisplayNamed(argc, argv)) {
        std::fputs("torvane: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "torvane-cli works without one\n",
                   stderr);
        return 1;
    }
    // The window scales itself from what the desktop states, so the toolkit
    // must not scale it a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    TakeOverQtScaleFactor();
    // A display that is named but cannot be reached ends the program with
    // one line instead of the toolkit's abort.
    g_previousHandler = qInstallMessageHandler(HoldMessagesUntilConnected);
    GuardedApplication app(argc, argv);
    ReleaseHeldMessages();

    // The rest of the line, without the toolkit's own options.
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
    const WindowArguments arguments = ParseWindowArguments(words);
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "torvane: %s\n%s", arguments.error.c_str(), WindowUsageText().c_str());
        return 2;
    }
    QApplication::setOrganizationName(QString::fromLatin1(kOrganizationName));
    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    // The desktop entry's name, which Wayland uses to match the window to it.
    QGuiApplication::setDesktopFileName(QStringLiteral(TORVANE_APP_ID));
    QApplication::setWindowIcon(ApplicationIcon());
    InstallFontSubstitutes();
    // The language is chosen before the first text is made; a change in the
    // menu is remembered for the next start. Without its English the window
    // stays Chinese as a whole rather than half translated.
    const Language language = LanguageOfSetting(QSettings().value(QString::fromLatin1(kLanguageKey)).toString());
    if (!InstallLanguage(language) && language == Language::English) InstallLanguage(Language::Chinese);
    ScalePointFontsForDesktop();
    InstallDesktopScaledStyle();

    // --screenshot FILE: show the window, save a picture of it and exit. Used
    // to show that the program runs on a machine without a display.
    const std::string& screenshot = arguments.screenshot;
    // --startup-probe: report how long the window took to show and exit.
    const bool probe = arguments.startupProbe;

    QtPrompts prompts;
    CQuenlorDlg window(prompts);
    prompts.SetOwner(&window);
    // The size and mode of the last run come back; a picture or a probe is
    // taken of the window as it opens the first time, and remembers nothing.
    const bool remembers = screenshot.empty() && !probe;
    QSettings settings;
    if (remembers) window.RestoreState(settings);
    if (remembers && window.WasMaximized()) window.showMaximized();
    else window.show();
    // Files named on the command line, once the window stands, as dropped ones.
    if (!arguments.project.empty()) {
        const QString project = AbsolutePath(arguments.project);
        QTimer::singleShot(0, &window, [&window, project] { window.ImportProject(project); });
    } else if (!arguments.files.empty()) {
        QStringList files;
        for (const std::string& f : arguments.files) files << AbsolutePath(f);
        QTimer::singleShot(0, &window, [&window, files] { window.LoadFiles(files); });
    }
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
    const int status = app.exec();
    if (remembers) window.SaveState(settings);
    return status;
}

}  // namespace torvane::ui
