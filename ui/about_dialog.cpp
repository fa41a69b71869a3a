#include "ui/about_dialog.h"

#include "torvane/version.h"
#include "widgets/texts.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace torvane::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Texts::tr("关于 Torvane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(10);
    // The release in the window title's form, from the project's version.
    auto* product = new QLabel(QStringLiteral("Torvane, " TORVANE_VERSION_TAG), this);
    product->setObjectName(QStringLiteral("product"));
    auto* rights = new QLabel(Texts::tr("版权所有 (C) 2026 Torvane 开发者，保留所有权利。"), this);
    rights->setObjectName(QStringLiteral("rights"));
    auto* link = new QPushButton(Texts::tr("联系我们"), this);
    link->setObjectName(QStringLiteral("contact"));
    link->setFlat(true);
    link->setAutoDefault(false);
    link->setCursor(Qt::PointingHandCursor);
    link->setStyleSheet(QStringLiteral("QPushButton { color: #0645AD; text-decoration: underline; border: none; }"));
    link->setFixedSize(link->sizeHint());
    connect(link, &QPushButton::clicked, this, [this] { ShowContactAddress(); });
    layout->addWidget(product);
    layout->addWidget(rights);
    layout->addWidget(link);
    setFixedSize(sizeHint());
}

void CAboutDlg::ShowContactAddress() {
    const QString address = QString::fromUtf8(kContactAddress);
    // A desktop without a browser may still start its opener and report
    // success, so the address is always shown as well, to be copied.
    QDesktopServices::openUrl(QUrl(address));
    QMessageBox box(this);
    box.setWindowTitle(Texts::tr("联系我们"));
    box.setIcon(QMessageBox::Information);
    box.setTextFormat(Qt::PlainText);
    box.setText(Texts::tr(kContactText) + QLatin1Char('\n') + address);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(Texts::tr("确定"));
    box.exec();
}

}  // namespace torvane::ui
