#pragma once

#include <QString>

class QLineEdit;

namespace torvane::ui {

// A one-line field that holds a path: its tooltip is always the whole text, so
// a path too long for the field can still be read.
void MakePathField(QLineEdit* field);

// Puts a path into a path field with its end in view: the file name matters
// more than the start of the folders. A field that already shows the text is
// left as it is, cursor and all.
void ShowPath(QLineEdit* field, const QString& path);

}  // namespace torvane::ui
