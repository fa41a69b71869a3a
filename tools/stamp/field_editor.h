#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "core/integrity_fields.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace torvane::ui {

// The inputs of one integrity field, as the stamp tool and the merge settings
// take them: what is computed (a CRC preset, a sum, the length, SHA-256),
// over which range, written where, in which byte order. Under them, the
// value the choice gives for "123456789", to check a bootloader's routine by.
class FieldEditor : public QWidget {
    Q_OBJECT
public:
    explicit FieldEditor(QWidget* parent = nullptr);

    // The field the inputs give; nothing, with the reason in Chinese, when
    // they give none.
    std::optional<FieldSpec> Field(QString* problem) const;
    void SetField(const FieldSpec& field);

    // Its labels' column at least `width` wide, to line up with a dialog's own.
    void SetLabelWidth(int width);
    // The width its labels take.
    int LabelWidth() const;

    QComboBox* kind() const { return kind_; }
    QLineEdit* start() const { return start_; }
    QLineEdit* end() const { return end_; }
    QLineEdit* at() const { return at_; }
    QRadioButton* bigEndian() const { return big_; }
    QLabel* checkValue() const { return check_; }
    // Fills in end, start and end: the value of the whole image, appended.
    QPushButton* wholeImage() const { return whole_; }

signals:
    void changed();

private:
    void ShowCheckValue();

    QComboBox* kind_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* at_ = nullptr;
    QRadioButton* little_ = nullptr;
    QRadioButton* big_ = nullptr;
    QLabel* check_ = nullptr;
    QPushButton* whole_ = nullptr;
    std::vector<QLabel*> labels_;
};

// A one-line hex input of up to `digits` digits, "0x" allowed.
void MakeHexField(QLineEdit* field, int digits);
// A field's address input: 1 to 8 hex digits, "0x" allowed, or the word
// `word` ("start", "end") that names a place of the image.
void MakeFieldAddressEdit(QLineEdit* field, const char* word);

}  // namespace torvane::ui
