#pragma once

#include <QString>

#include <QApplication>

namespace torvane::ui {

// The toolkit's application object, with one guard for every command: an
// exception that would leave an event handler (an allocation that failed in
// the middle of an operation) becomes a message box, never an abort.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

inline constexpr const char* kOutOfMemoryMessage = "内存不足，操作未能完成！";
inline constexpr const char* kUnexpectedFailureMessage = "发生意外错误，操作未能完成！";

// The application: sets up the toolkit and its fonts, shows the main window
// and runs until it closes. Returns the process exit status.
class CQuenlorApp {
public:
    int Run(int argc, char** argv);
};

// Maps the font faces the window names to installed fonts with Chinese glyphs.
void InstallFontSubstitutes();

// Loads Qt's own Simplified Chinese texts (file dialogs, the edit fields'
// context menu) from Qt's translations folder, whatever the desktop's language:
// the window speaks Chinese. The few texts that catalogue lacks (a folder's
// type in the file dialog) come from a table of our own, and the default
// locale is Chinese, so file types and dates in the dialogs are too. False,
// leaving the rest of Qt's English, when Qt's texts are not installed.
bool InstallQtTranslations();

// The texts of Qt's dialogs that Qt's Simplified Chinese catalogue does not
// hold, in Chinese; an empty text for any other.
QString MissingQtText(const char* context, const char* sourceText);

// The names QSettings files the program's settings under.
inline constexpr const char* kOrganizationName = "Torvane";
inline constexpr const char* kApplicationName = "torvane";

}  // namespace torvane::ui
