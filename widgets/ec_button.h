#pragma once

#include <QColor>
#include <QPushButton>
#include <QString>

namespace torvane::ui {

// An action button drawn as a filled rectangle with a centred, antialiased
// caption. A double click counts as a second press.
class CECButton : public QPushButton {
    Q_OBJECT
public:
    explicit CECButton(const QString& caption, QWidget* parent = nullptr);

    // Sets the caption font (size in pixels, face, style bits: 1 bold, 2 italic).
    void SetCaptionFont(int sizePx, const QString& face, int style);
    int CaptionPixelSize() const { return sizePx_; }
    // The font the caption is drawn in.
    QFont CaptionFont() const;

    // The fill the button shows in its current state, and the caption colour.
    QColor CurrentFill() const;
    QColor CaptionColour() const;
    bool hovering() const { return hovering_; }

    // Sets the hover state from where the pointer is now (see CButtonST).
    void RecheckHover();

    static constexpr QRgb kNormalFill = 0xFF2173CE;    // RGB(33,115,206)
    static constexpr QRgb kHoverFill = 0xFF217DAD;     // RGB(33,125,173)
    static constexpr QRgb kPressedFill = 0xFF1A5979;   // RGB(26,89,121)
    static constexpr QRgb kDisabledFill = 0xFFD8D8D8;  // RGB(216,216,216)

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString face_ = QStringLiteral("黑体");
    int sizePx_ = 16;
    int style_ = 0;
    bool hovering_ = false;
};

}  // namespace torvane::ui
