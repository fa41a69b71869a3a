#pragma once

#include <QString>

#include <QApplication>

#include "core/language.h"

namespace torvane::ui {

// The toolkit's application object, with one guard for every command: an
// exception that would leave an event handler (an allocation that failed in
// the middle of an operation) becomes a message box, never an abort.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

inline constexpr const char* kOutOfMemoryMessage = QT_TRANSLATE_NOOP("Torvane", "内存不足，操作未能完成！");
inline constexpr const char* kUnexpectedFailureMessage = QT_TRANSLATE_NOOP("Torvane", "发生意外错误，操作未能完成！");

// The application: sets up the toolkit and its fonts, shows the main window
// and runs until it closes. Returns the process exit status.
class CQuenlorApp {
public:
    int Run(int argc, char** argv);
};

// Maps the font faces the window names to installed fonts with Chinese glyphs.
void InstallFontSubstitutes();

// The window in Chinese (InstallLanguage(Language::Chinese)): loads Qt's own
// Simplified Chinese texts (file dialogs, the edit fields' context menu) from
// Qt's translations folder, whatever the desktop's language. The few texts that catalogue lacks (a folder's
// type in the file dialog) come from a table of our own, and the default
// locale is Chinese, so file types and dates in the dialogs are too. False,
// leaving the rest of Qt's English, when Qt's texts are not installed.
bool InstallQtTranslations();

// The window's language: Chinese as above, or English, with the window's
// own English texts (i18n/torvane_en.ts, carried inside the program as
// :/i18n/torvane_en.qm), Qt's own English and an English default locale.
// Sets the language the core speaks too (SetLanguage), and replaces what an
// earlier call installed, so a test may speak either. False when a catalogue
// could not be loaded.
bool InstallLanguage(Language language);

// The setting that chooses the language at start: "zh", "en" or "system"
// (and anything else, or nothing, means "system").
inline constexpr const char* kLanguageKey = "language";
// The language a value of that setting chooses; "system" is Chinese where the
// system's language is Chinese and English elsewhere.
Language LanguageOfSetting(const QString& value);
// The system's language: on Windows the user's locale, elsewhere the
// environment's (LC_ALL, LC_MESSAGES, LANG, LANGUAGE), as command-line
// programs take it.
Language SystemLanguage();

// The texts of Qt's dialogs that Qt's Simplified Chinese catalogue does not
// hold, in Chinese; an empty text for any other.
QString MissingQtText(const char* context, const char* sourceText);

// The names QSettings files the program's settings under.
inline constexpr const char* kOrganizationName = "Torvane";
inline constexpr const char* kApplicationName = "torvane";

}  // namespace torvane::ui
