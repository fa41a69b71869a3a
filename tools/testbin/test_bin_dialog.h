#pragma once

#include <QDialog>
#include <string>

#include "tools/testbin/test_bin_tool.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace torvane::ui {

// "生成测试文件": writes a test BIN file of a given length with one filled
// range. A view of a TestBinForm: what the user types or checks goes into the
// form at once, and after every command the widgets show the form again.
// Enter and Escape do nothing here, the title bar's close box ends the dialog.
// Object names are the control identifiers of testbin_id.
class Dlg_TestBin : public QDialog {
    Q_OBJECT
public:
    explicit Dlg_TestBin(Prompts& prompts, QWidget* parent = nullptr);

    const TestBinForm& form() const { return form_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the form in the widgets; an edit whose text already matches keeps its cursor.
    void Refresh();

    Prompts& prompts_;
    const std::string defaultPath_;
    TestBinForm form_;

    QLineEdit* length_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* fill_ = nullptr;
    QCheckBox* random_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* generate_ = nullptr;
    QPushButton* reset_ = nullptr;
};

}  // namespace torvane::ui
