#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

class CheckMethodList;

// "生成文件校验值": the check value of a file or of typed hex data. Picking a
// method in list 1064 runs RunCheckComputation and shows its text in 1009,
// which a change of the path or the data clears; there is no compute, OK or
// Cancel button. Enter and Escape do nothing here,
// the title bar's close box ends the dialog. Object names are the control
// identifiers of check_id.
class CDlg_Check : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Check(Prompts& prompts, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Compute();
    void Browse();
    // Shows the note and the data choice for a HEX, S-record or ELF path.
    void ShowPathKind();

    Prompts& prompts_;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QLabel* note_ = nullptr;          // what a HEX file is checked over
    QCheckBox* imageData_ = nullptr;  // "按HEX文件描述的数据计算"
    QLineEdit* data_ = nullptr;
    CheckMethodList* methods_ = nullptr;
    QLineEdit* result_ = nullptr;
};

}  // namespace torvane::ui
