#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace torvane {
class Prompts;
class Workspace;
}  // namespace torvane

namespace torvane::ui {

class FieldEditor;
class FieldListEditor;

// "合并设置": what the merge writes beyond the rows' bytes: the output's
// format, the base address of its records, and the integrity fields written
// into the merged image in their order. OK takes them into the workspace
// (and so into an exported project); Cancel leaves it as it was.
class CMergeSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CMergeSettingsDlg(Workspace& ws, Prompts& prompts, QWidget* parent = nullptr);

    QComboBox* format() const { return format_; }
    QLineEdit* base() const { return base_; }
    FieldListEditor* fieldList() const { return fieldList_; }
    QListWidget* fields() const;
    FieldEditor* editor() const;
    QPushButton* addButton() const;

    void accept() override;

private:
    Workspace& ws_;
    Prompts& prompts_;
    QComboBox* format_ = nullptr;
    QLineEdit* base_ = nullptr;
    FieldListEditor* fieldList_ = nullptr;
};

}  // namespace torvane::ui
