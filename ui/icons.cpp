#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace torvane::ui {
namespace {

constexpr int kSize = 24;
const QColor kBlue(33, 115, 206);
const QColor kDark(60, 60, 60);
const QColor kGreen(46, 140, 70);
const QColor kRed(200, 60, 50);

QPixmap Canvas(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    if (len <= 0) return;
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    QPainterPath head;
    head.moveTo(to + u * 1.5);
    head.lineTo(to - u * 4 + n * 3.5);
    head.lineTo(to - u * 4 - n * 3.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(head);
}

void Document(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kDark, 1.2));
    p.setBrush(Qt::white);
    QPainterPath doc;
    doc.moveTo(r.topLeft());
    doc.lineTo(r.right() - 4, r.top());
    doc.lineTo(r.right(), r.top() + 4);
    doc.lineTo(r.bottomRight());
    doc.lineTo(r.bottomLeft());
    doc.closeSubpath();
    p.drawPath(doc);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y = r.top() + 7; y < r.bottom() - 2; y += 3) p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

// Draws an image of the 24 x 24 design at `size` pixels, sharp at every scale.
QIcon Make(void (*draw)(QPainter&), int size = kSize) {
    QPixmap pm = Canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.scale(static_cast<double>(size) / kSize, static_cast<double>(size) / kSize);
    draw(p);
    p.end();
    return QIcon(pm);
}

void DrawImport(QPainter& p) {
    Document(p, QRectF(8.5, 2.5, 13, 18));
    Arrow(p, QPointF(1.5, 12), QPointF(12, 12), kGreen);
}

void DrawExport(QPainter& p) {
    Document(p, QRectF(2.5, 2.5, 13, 18));
    Arrow(p, QPointF(10, 12), QPointF(21.5, 12), kBlue);
}

void DrawHexToBin(QPainter& p) {
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kDark);
    p.drawText(QRectF(0, 0, 24, 11), Qt::AlignCenter, QStringLiteral("HEX"));
    Arrow(p, QPointF(12, 10), QPointF(12, 15.5), kBlue);
    p.setPen(kBlue);
    p.drawText(QRectF(0, 14, 24, 10), Qt::AlignCenter, QStringLiteral("BIN"));
}

void DrawMerge(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(2, 3, 8, 6), 1.5, 1.5);
    p.setBrush(kGreen);
    p.drawRoundedRect(QRectF(14, 3, 8, 6), 1.5, 1.5);
    Arrow(p, QPointF(6, 10), QPointF(10, 15), kDark);
    Arrow(p, QPointF(18, 10), QPointF(14, 15), kDark);
    p.setPen(QPen(kDark, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 17.5, 17, 5));
    p.fillRect(QRectF(4, 18, 8, 4), kBlue);
    p.fillRect(QRectF(12, 18, 8, 4), kGreen);
}

void DrawAlign(QPainter& p) {
    p.setPen(Qt::NoPen);
    const double widths[] = {12, 17, 9, 20};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(kBlue);
        p.drawRect(QRectF(2, 3 + i * 5, widths[i], 3));
        p.setBrush(QColor(180, 200, 230));
        p.drawRect(QRectF(2 + widths[i], 3 + i * 5, 20 - widths[i], 3));
    }
    p.setPen(QPen(kRed, 1.5, Qt::DashLine));
    p.drawLine(QPointF(22, 1), QPointF(22, 23));
}

void DrawClear(QPainter& p) {
    p.setPen(QPen(kDark, 1.2));
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i) p.drawRect(QRectF(2.5, 3.5 + i * 6, 14, 4));
    p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 13), QPointF(21, 21));
    p.drawLine(QPointF(21, 13), QPointF(13, 21));
}

void DrawAbout(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("i"));
}

void DrawApp(QPainter& p) {
    p.setPen(QPen(kDark, 1));
    for (int i = 0; i < 4; ++i) {
        const double y = 6 + i * 4;
        p.drawLine(QPointF(1, y), QPointF(4, y));
        p.drawLine(QPointF(20, y), QPointF(23, y));
    }
    p.setBrush(QColor(45, 45, 50));
    p.drawRoundedRect(QRectF(4, 3, 16, 18), 2, 2);
    Arrow(p, QPointF(12, 6), QPointF(12, 15), QColor(120, 200, 255));
    p.setPen(QPen(QColor(120, 200, 255), 1.6));
    p.drawLine(QPointF(8, 18), QPointF(16, 18));
}

}  // namespace

QIcon ApplicationIcon() { return Make(DrawApp); }

int ToolbarIconSize(double scale) { return static_cast<int>(kSize * scale); }

std::array<QIcon, kToolbarIconCount> ToolbarIcons(int size) {
    size = std::max(1, size);
    return {Make(DrawImport, size), Make(DrawExport, size), Make(DrawHexToBin, size), Make(DrawMerge, size),
            Make(DrawAlign, size),  Make(DrawClear, size),  Make(DrawAbout, size)};
}

}  // namespace torvane::ui
