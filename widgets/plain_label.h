#pragma once

#include <QLabel>

namespace torvane::ui {

// A caption of a dialog, shown as the plain text it is (no markup, its blanks kept).
inline QLabel* PlainLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}
inline QLabel* PlainLabel(const char* caption, QWidget* parent) { return PlainLabel(QString::fromUtf8(caption), parent); }

}  // namespace torvane::ui
