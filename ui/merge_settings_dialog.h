#pragma once

#include <QDialog>
#include <vector>

#include "core/integrity_fields.h"

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
    QListWidget* fields() const { return list_; }
    FieldEditor* editor() const { return editor_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* replaceButton() const { return replace_; }
    QPushButton* removeButton() const { return remove_; }

    void accept() override;

private:
    void ShowFields();
    void AddField(bool replace);
    void MoveField(int by);

    Workspace& ws_;
    Prompts& prompts_;
    std::vector<FieldSpec> fields_;
    QComboBox* format_ = nullptr;
    QLineEdit* base_ = nullptr;
    QListWidget* list_ = nullptr;
    FieldEditor* editor_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

}  // namespace torvane::ui
