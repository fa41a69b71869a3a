#include "widgets/key_filter.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace torvane::ui {

std::u32string TypedCharacters(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Backspace) return std::u32string(1, U'\b');
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)) return {};
    std::u32string typed;
    for (const uint c : key.text().toUcs4()) {
        if (c < 0x20 || c == 0x7F) return {};
        typed.push_back(static_cast<char32_t>(c));
    }
    return typed;
}

bool TypedKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (const char32_t c : TypedCharacters(*static_cast<QKeyEvent*>(event))) {
            if (!accepts_(c)) return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PressFocusedButtonOnEnter(QWidget* dialog, QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    auto* button = qobject_cast<QPushButton*>(dialog->focusWidget());
    if (button && button->isEnabled() && !event->isAutoRepeat()) button->click();
    event->accept();
    return true;
}

}  // namespace torvane::ui
