#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/prompts.h"

class QWidget;

namespace torvane::ui {

// Message boxes and file dialogs in Qt, owned by the given window. Each kind of
// file dialog opens in the folder last chosen for that kind, kept across runs in
// the application's settings (QSettings with the application's organisation
// and name); a dialog of no kind opens at its initial folder.
//
// A failure's reason comes just after the box that reported it. A box with
// only an OK button, whose answer is known, therefore waits until the next
// thing the program says: a reason becomes its detail (in the window's
// language, see ShownReasonDetail); another box, a file dialog or the return to the event
// loop shows it as it is. A reason without a box waiting goes to the sink set
// for it, if any.
class QtPrompts final : public Prompts {
public:
    explicit QtPrompts(QWidget* owner = nullptr);
    ~QtPrompts() override;
    void SetOwner(QWidget* owner) { owner_ = owner; }
    void SetReasonSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

    Answer Show(const MessageBox& box) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveFile(const FileDialog& dialog) override;
    void Explain(const FailureReason& reason) override;

    // Shows the box still waiting for a reason, if one is.
    void ShowWaitingBox();

private:
    std::optional<std::string> Ask(const FileDialog& dialog, bool save);
    Answer Present(const MessageBox& box, const QString& detail);
    QPointer<QWidget> owner_;  // may go before these prompts do
    std::optional<MessageBox> waiting_;
    std::function<void(const QString&)> sink_;
    // Tells the zero timer that this object is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
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
