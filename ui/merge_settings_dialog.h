#pragma once

#include <QDialog>
#include <vector>

#include "core/integrity_fields.h"

class QComboBox;
class QKeyEvent;
class QLabel;
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
// format, the base address of its records, what fills the gaps inside HEX
// rows (also for HEX-to-BIN and align), and the integrity fields written into
// the merged image in their order. OK takes them into the workspace (and so
// into an exported project); Cancel leaves it as it was. Nothing typed is
// lost: Enter on a button presses it, and OK with a field typed but not
// added asks whether to add it.
class CMergeSettingsDlg : public QDialog {
    Q_OBJECT
public:
    CMergeSettingsDlg(Workspace& ws, Prompts& prompts, QWidget* parent = nullptr);

    QComboBox* format() const { return format_; }
    QLineEdit* base() const { return base_; }
    QComboBox* gapFill() const { return gapFill_; }
    QLabel* fieldRule() const { return rule_; }
    QListWidget* fields() const { return list_; }
    FieldEditor* editor() const { return editor_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* replaceButton() const { return replace_; }
    QPushButton* removeButton() const { return remove_; }

    void accept() override;

    // The question OK asks about a field typed but not added.
    static constexpr const char* kUnaddedFieldFormat =
        "校验值字段%s已填写，但尚未添加到列表中。\r\n 选是，添加该字段并保存设置\r\n 选否，不添加该字段，保存设置\r\n"
        " 选取消，返回继续编辑";

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The rule of the fields' addresses for the format and base chosen.
    void ShowRule();
    void ShowFields();
    void AddField(bool replace);
    void MoveField(int by);

    Workspace& ws_;
    Prompts& prompts_;
    std::vector<FieldSpec> fields_;
    QComboBox* format_ = nullptr;
    QLineEdit* base_ = nullptr;
    QComboBox* gapFill_ = nullptr;
    QLabel* rule_ = nullptr;
    QListWidget* list_ = nullptr;
    FieldEditor* editor_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

}  // namespace torvane::ui
