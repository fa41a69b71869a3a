#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

class FieldEditor;

// "写入校验值": one integrity field written into a copy of an image file. The
// value written shows under the button; a change of any input clears it.
class CDlg_Stamp : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Stamp(Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* input() const { return input_; }
    QLineEdit* output() const { return output_; }
    QLineEdit* base() const { return base_; }
    QLineEdit* fill() const { return fill_; }
    FieldEditor* field() const { return field_; }
    QPushButton* writeButton() const { return write_; }
    QLineEdit* result() const { return result_; }

private:
    void Write();

    Prompts& prompts_;
    QLineEdit* input_ = nullptr;
    QLineEdit* base_ = nullptr;
    FieldEditor* field_ = nullptr;
    QLineEdit* fill_ = nullptr;
    QLineEdit* output_ = nullptr;
    QPushButton* write_ = nullptr;
    QLineEdit* result_ = nullptr;
};

}  // namespace torvane::ui
