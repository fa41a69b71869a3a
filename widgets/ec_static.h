#pragma once

#include <QLabel>

namespace torvane::ui {

// A title text: centred, black, on a transparent background so the window's
// painting shows through.
class CECStatic : public QLabel {
    Q_OBJECT
public:
    explicit CECStatic(const QString& text, QWidget* parent = nullptr);
};

}  // namespace torvane::ui
