#pragma once

#include <QDialog>
#include <QtGlobal>

namespace torvane::ui {

// The address the "联系我们" link opens: the project's home, its repository
// (questions and reports go to its issues), the home the app id
// io.github.torvane.torvane names.
inline constexpr const char* kContactAddress = "https://github.com/torvane/torvane";
// The line above the address in the box "联系我们" opens.
inline constexpr const char* kContactText = QT_TRANSLATE_NOOP("Torvane", "我们的联系网址如下，可复制后在浏览器中打开：");

// "关于 Torvane": the product and version, a rights line and the contact link.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // "联系我们": opens the contact page in the desktop's browser and shows its
    // address in a box, selectable, for a desktop where no browser opens.
    void ShowContactAddress();
};

}  // namespace torvane::ui
