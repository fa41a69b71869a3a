#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include "platform/prompts.h"

class QWidget;

namespace torvane::ui {

// Message boxes and file dialogs in Qt, owned by the given window. Each kind of
// file dialog opens in the folder last chosen for that kind, kept across runs in
// the application's settings (QSettings with the application's organisation
// and name); a dialog of no kind opens at its initial folder.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveFile(const FileDialog& dialog) override;

private:
    std::optional<std::string> Ask(const FileDialog& dialog, bool save);
    QWidget* owner_;
};

// The name filters of a "desc|pattern;pattern|...||" text in Qt's form,
// "desc (pattern pattern)". The dialog shows only the description, and Qt's
// own dialog matches the patterns in either letter case.
QStringList QtNameFilters(const std::string& filter);

// The width a message box needs so that its title bar shows `caption`: the
// caption's width and kTitleBarRoom pixels for the title bar's icon and buttons.
inline constexpr int kTitleBarRoom = 120;
int MessageBoxMinimumWidth(const QString& caption, const QFont& font);

// The settings key under which the folder of a kind of file dialog is kept;
// empty for FileKind::Unspecified, which is not kept.
QString FolderSettingsKey(FileKind kind);

}  // namespace torvane::ui
