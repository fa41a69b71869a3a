#pragma once

#include <QString>
#include <QStringList>

#include "platform/prompts.h"

class QWidget;

namespace torvane::ui {

// Message boxes and file dialogs in Qt, owned by the given window.
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

// The name filters of a "desc|pattern;pattern|...||" text in Qt's form. Each
// pattern also matches in the other letter case, since file names on this
// platform are case-sensitive and "*.HEX" should find app.hex.
QStringList QtNameFilters(const std::string& filter);

}  // namespace torvane::ui
