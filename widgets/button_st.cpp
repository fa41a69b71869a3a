#include "widgets/button_st.h"

#include <QEnterEvent>
#include <QPainter>

#include "widgets/focus_mark.h"
#include "widgets/hover_check.h"
#include "widgets/point_font.h"

namespace torvane::ui {

CButtonST::CButtonST(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    const QPalette pal = palette();
    colours_ = {pal.color(QPalette::Button), pal.color(QPalette::ButtonText), pal.color(QPalette::Button),
                pal.color(QPalette::ButtonText), pal.color(QPalette::Button), pal.color(QPalette::ButtonText)};
    setFlat(true);
    setAutoDefault(false);
    setAttribute(Qt::WA_Hover, true);
    new HoverCheck(this, [this] { RecheckHover(); });
}

void CButtonST::SetColour(ColourSlot slot, const QColor& colour) {
    colours_[slot] = colour;
    update();
}

void CButtonST::SetBorderDrawn(bool on) {
    drawBorder_ = on;
    update();
}

QColor CButtonST::CurrentBackground() const {
    if (mouseOver_ || isDown()) return colours_[HotBackground];
    if (hasFocus()) return colours_[FocusBackground];
    return colours_[IdleBackground];
}

bool CButtonST::ShowsBorder() const { return drawBorder_ && (isDown() || mouseOver_); }

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, CurrentBackground());

    const QPalette pal = palette();
    if (ShowsBorder()) {
        // Sunken while pressed, raised while hovered.
        const QColor topLeft = isDown() ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
        const QColor bottomRight = isDown() ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }

    p.setFont(PointFont(QStringLiteral("微软雅黑"), 10));
    QRect textRect = r;
    if (isDown()) textRect.translate(1, 1);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    if (!isEnabled()) {
        p.setPen(pal.color(QPalette::Light));
        p.drawText(textRect.translated(1, 1), flags, text());
        p.setPen(pal.color(QPalette::Dark));
        p.drawText(textRect, flags, text());
        return;
    }
    QColor textColour = colours_[IdleText];
    if (mouseOver_ || isDown()) textColour = colours_[HotText];
    else if (hasFocus()) textColour = colours_[FocusText];
    p.setPen(textColour);
    p.drawText(textRect, flags, text());
    if (ShowsFocusMark(*this)) DrawFocusMark(p, r, textColour);
}

void CButtonST::RecheckHover() {
    const bool over = PointerIsOver(*this);
    if (over == mouseOver_) return;
    mouseOver_ = over;
    update();
}

void CButtonST::enterEvent(QEnterEvent* event) {
    mouseOver_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
    mouseOver_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CButtonST::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    RecheckHover();
}

void CButtonST::changeEvent(QEvent* event) {
    // The window became active again, as when a box over it closed.
    if (event->type() == QEvent::ActivationChange) RecheckHover();
    QPushButton::changeEvent(event);
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

}  // namespace torvane::ui
