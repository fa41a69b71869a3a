#include "widgets/path_field.h"

#include <QLineEdit>

namespace torvane::ui {

void MakePathField(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) { field->setToolTip(text); });
    field->setToolTip(field->text());
}

void ShowPath(QLineEdit* field, const QString& path) {
    if (field->text() == path) return;
    field->setText(path);
    field->end(false);
}

}  // namespace torvane::ui
