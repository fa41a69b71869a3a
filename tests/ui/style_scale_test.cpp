#include "ui/desktop_scale.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

#include "support/temp_dir.h"
#include "ui/shots.h"

namespace torvane::ui {
namespace {

// The extent of the dark ink inside `area` of a picture: how large the style
// drew a glyph there (an arrow, a check mark).
QSize InkIn(const QImage& image, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom() && y < image.height(); ++y)
        for (int x = area.left(); x <= area.right() && x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 110) ink |= QRect(x, y, 1, 1);
    return ink.size();
}

// What a user sees of the style's own parts, one measure a line.
QString MeasureTheStyle() {
    QStyle* style = QApplication::style();
    QCheckBox box;
    box.setChecked(true);
    box.resize(box.sizeHint());
    QStyleOptionButton button;
    button.initFrom(&box);
    button.state |= QStyle::State_On;
    const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &button, &box);

    QComboBox combo;
    combo.resize(160, combo.sizeHint().height());
    QStyleOptionComboBox comboOption;
    comboOption.initFrom(&combo);
    comboOption.rect = combo.rect();
    const QRect arrow = style->subControlRect(QStyle::CC_ComboBox, &comboOption, QStyle::SC_ComboBoxArrow, &combo);
    const QSize comboInk = InkIn(combo.grab().toImage(), arrow.adjusted(2, 2, -2, -2));

    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 100);
    bar.resize(bar.sizeHint().width(), 300);
    QStyleOptionSlider slider;
    slider.initFrom(&bar);
    slider.orientation = Qt::Vertical;
    slider.minimum = 0;
    slider.maximum = 100;
    slider.rect = bar.rect();
    const QRect down = style->subControlRect(QStyle::CC_ScrollBar, &slider, QStyle::SC_ScrollBarAddLine, &bar);
    const QSize barInk = InkIn(bar.grab().toImage(), down.adjusted(1, 1, -1, -1));

    Shoot(&combo, QStringLiteral("style-scale-combo-%1").arg(qEnvironmentVariable("TORVANE_SCALE_PROBE_NAME")));
    return QStringLiteral("check box indicator %1x%2\ncombo arrow %3x%4, drawn %5x%6\n"
                          "scroll bar extent %7, arrow button %8x%9, drawn %10x%11\n")
        .arg(indicator.width()).arg(indicator.height())
        .arg(arrow.width()).arg(arrow.height()).arg(comboInk.width()).arg(comboInk.height())
        .arg(style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &bar))
        .arg(down.width()).arg(down.height()).arg(barInk.width()).arg(barInk.height());
}

// Run by the test below in a program of its own, started as the desktop
// program starts (ui_test_main.cpp): writes its measures to the file named.
TEST(StyleScaleProbe, Measure) {
    const QString out = qEnvironmentVariable("TORVANE_SCALE_PROBE");
    if (out.isEmpty()) GTEST_SKIP() << "run by DesktopScaledStyleTest";
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(MeasureTheStyle().toUtf8());
}

QString Probe(const test::TempDir& dir, const QString& name, const char* variable, const char* value) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"QT_SCALE_FACTOR", "QT_FONT_DPI", "GDK_SCALE"}) env.remove(QString::fromLatin1(v));
    if (variable) env.insert(QString::fromLatin1(variable), QString::fromLatin1(value));
    const QString out = QString::fromStdString(dir.File(name.toStdString() + ".txt"));
    env.insert(QStringLiteral("TORVANE_SCALE_PROBE"), out);
    env.insert(QStringLiteral("TORVANE_SCALE_PROBE_NAME"), name);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=StyleScaleProbe.Measure")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QStringLiteral("probe failed: ") + QString::fromUtf8(p.readAll());
    QFile file(out);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("no measures");
}

// QT_FONT_DPI=144 makes the toolkit's logical resolution what Xft.dpi 144 makes it.
TEST(DesktopScaledStyleTest, UnderQtScaleFactorTheStylesPartsMeasureAsAtXftDpi144) {
    test::TempDir dir;
    const QString plain = Probe(dir, QStringLiteral("96dpi"), nullptr, nullptr);
    const QString dpi = Probe(dir, QStringLiteral("144dpi"), "QT_FONT_DPI", "144");
    const QString factor = Probe(dir, QStringLiteral("factor-1.5"), "QT_SCALE_FACTOR", "1.5");
    EXPECT_EQ(dpi, factor) << "at 96 dpi:\n" << plain.toStdString();
    EXPECT_NE(plain, dpi);
    std::printf("at 96 dpi:\n%sat 144 dpi:\n%sQT_SCALE_FACTOR=1.5:\n%s", qPrintable(plain), qPrintable(dpi),
                qPrintable(factor));
}

}  // namespace
}  // namespace torvane::ui
