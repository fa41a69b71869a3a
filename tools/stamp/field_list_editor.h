#pragma once

#include <QWidget>
#include <vector>

#include "core/integrity_fields.h"

class QListWidget;
class QPushButton;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

class FieldEditor;

// A list of integrity fields written in their order, with the field editor
// under it and the buttons beside it (Tab: the list, the editor, the
// buttons): 添加 (Alt+A) takes the editor's field
// as a new last one, 替换 puts it in place of the chosen one, 删除, 上移 and
// 下移 act on the chosen one. Choosing a field shows it in the editor. The
// merge settings and the serialiser use it alike.
class FieldListEditor : public QWidget {
    Q_OBJECT
public:
    explicit FieldListEditor(Prompts& prompts, QWidget* parent = nullptr);

    const std::vector<FieldSpec>& Fields() const { return fields_; }
    void SetFields(std::vector<FieldSpec> fields);

    QListWidget* list() const { return list_; }
    FieldEditor* editor() const { return editor_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* replaceButton() const { return replace_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* upButton() const { return up_; }
    QPushButton* downButton() const { return down_; }

signals:
    // The list changed (a field added, replaced, removed or moved).
    void changed();

private:
    void ShowFields();
    void AddField(bool replace);
    void MoveField(int by);

    Prompts& prompts_;
    std::vector<FieldSpec> fields_;
    QListWidget* list_ = nullptr;
    FieldEditor* editor_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

}  // namespace torvane::ui
