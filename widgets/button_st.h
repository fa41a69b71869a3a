#pragma once

#include <QColor>
#include <QPushButton>
#include <array>

namespace torvane::ui {

// A flat button with six state colours, a thin border while hovered or pressed
// (unless switched off) and an embossed caption when disabled. The mode buttons.
class CButtonST : public QPushButton {
    Q_OBJECT
public:
    enum ColourSlot { HotBackground, HotText, IdleBackground, IdleText, FocusBackground, FocusText };

    explicit CButtonST(const QString& caption, QWidget* parent = nullptr);

    void SetColour(ColourSlot slot, const QColor& colour);
    void SetBorderDrawn(bool on);
    bool BorderDrawn() const { return drawBorder_; }
    QColor Colour(ColourSlot slot) const { return colours_[slot]; }
    bool mouseOver() const { return mouseOver_; }

    // What the next paint shows: the background and whether a border is drawn.
    QColor CurrentBackground() const;
    bool ShowsBorder() const;

    // Sets the hover state from where the pointer is now: hot only while the
    // pointer is over this button and nothing (a menu, a box) lies between.
    void RecheckHover();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::array<QColor, 6> colours_;
    bool drawBorder_ = true;
    bool mouseOver_ = false;
};

}  // namespace torvane::ui
