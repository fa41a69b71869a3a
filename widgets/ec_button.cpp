#include "widgets/ec_button.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "widgets/focus_mark.h"
#include "widgets/hover_check.h"

namespace torvane::ui {

CECButton::CECButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover, true);
    setFocusPolicy(Qt::TabFocus);
    setAutoDefault(false);
    new HoverCheck(this, [this] { RecheckHover(); });
}

void CECButton::RecheckHover() {
    const bool over = PointerIsOver(*this);
    if (over == hovering_) return;
    hovering_ = over;
    update();
}

void CECButton::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    RecheckHover();
}

void CECButton::SetCaptionFont(int sizePx, const QString& face, int style) {
    sizePx_ = sizePx;
    face_ = face;
    style_ = style;
    update();
}

QFont CECButton::CaptionFont() const {
    QFont font(face_);
    font.setPixelSize(std::max(1, sizePx_));
    font.setBold(style_ & 1);
    font.setItalic(style_ & 2);
    return font;
}

QColor CECButton::CurrentFill() const {
    if (!isEnabled()) return QColor::fromRgba(kDisabledFill);
    if (isDown()) return QColor::fromRgba(kPressedFill);
    if (hovering_) return QColor::fromRgba(kHoverFill);
    return QColor::fromRgba(kNormalFill);
}

QColor CECButton::CaptionColour() const {
    QColor c(250, 250, 250);
    c.setAlpha(isEnabled() ? 255 : 80);
    return c;
}

void CECButton::paintEvent(QPaintEvent*) {
    // The widget's backing store already draws off screen and shows the
    // finished picture in one step.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(rect(), CurrentFill());
    p.setFont(CaptionFont());
    p.setPen(CaptionColour());
    p.drawText(rect(), Qt::AlignCenter, text());
    if (ShowsFocusMark(*this)) DrawFocusMark(p, rect(), CaptionColour());
}

void CECButton::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CECButton::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CECButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click is a second press: its command runs again.
    mousePressEvent(event);
}

void CECButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    if (event->type() == QEvent::ActivationChange) RecheckHover();
    QPushButton::changeEvent(event);
}

}  // namespace torvane::ui
