#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

// "转换为C语言数组格式": turns a file into a C source that defines one byte array.
// The dialog gathers the two paths; ConvertBinToC does the rest and reports.
// Escape closes it; Enter presses no button. Object names are the control
// identifiers of bin2c_id.
class CDlg_BinToH : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_BinToH(Prompts& prompts, QWidget* parent = nullptr);

private:
    Prompts& prompts_;
    QLineEdit* source_ = nullptr;
    QPushButton* browseSource_ = nullptr;
    QLineEdit* target_ = nullptr;
    QPushButton* browseTarget_ = nullptr;
    QPushButton* convert_ = nullptr;
    QCheckBox* stdint_ = nullptr;  // uint8_t from <stdint.h> instead of UINT8
};

}  // namespace torvane::ui
