#include "widgets/ec_static.h"

namespace torvane::ui {

CECStatic::CECStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground, true);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(12);
    setFont(f);
}

}  // namespace torvane::ui
