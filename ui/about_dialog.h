#pragma once

#include <QDialog>

namespace torvane::ui {

// The address the "联系我们" link opens.
inline constexpr const char* kContactAddress = "https://torvane.example.org/contact";

// "关于 Torvane": the product and version, a rights line and the contact link.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace torvane::ui
