#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

class FieldListEditor;

// "批量生成序列号映像": the template, the serial number's place, form and
// numbers, an optional MAC address, the integrity fields, where the images
// go and the manifest. 生成 asks with the first and last names and numbers,
// then writes one image per turn of the event loop under a progress dialog
// that can cancel, and says at the end what was issued.
class CDlg_Serialize : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Serialize(Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* templatePath() const { return template_; }
    QLineEdit* base() const { return base_; }
    QLineEdit* fill() const { return fill_; }
    QLineEdit* serialAt() const { return serialAt_; }
    QComboBox* kind() const { return kind_; }
    QSpinBox* digits() const { return digits_; }
    QComboBox* order() const { return order_; }
    QLineEdit* first() const { return first_; }
    QLineEdit* step() const { return step_; }
    QLineEdit* count() const { return count_; }
    QCheckBox* mac() const { return mac_; }
    QLineEdit* macAt() const { return macAt_; }
    QLineEdit* macFirst() const { return macFirst_; }
    QLineEdit* macStep() const { return macStep_; }
    FieldListEditor* fields() const { return fields_; }
    QLineEdit* folder() const { return folder_; }
    QLineEdit* name() const { return name_; }
    QLineEdit* manifest() const { return manifest_; }
    QPushButton* runButton() const { return run_; }

signals:
    // An image was made (its group may not be committed yet): `made` of them so far.
    void imageMade(quint64 made);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Run();
    void ShowKind();

    Prompts& prompts_;
    QLineEdit* template_ = nullptr;
    QLineEdit* base_ = nullptr;
    QLineEdit* fill_ = nullptr;
    QLineEdit* serialAt_ = nullptr;
    QComboBox* kind_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QComboBox* order_ = nullptr;
    QLineEdit* first_ = nullptr;
    QLineEdit* step_ = nullptr;
    QLineEdit* count_ = nullptr;
    QCheckBox* mac_ = nullptr;
    QLineEdit* macAt_ = nullptr;
    QLineEdit* macFirst_ = nullptr;
    QLineEdit* macStep_ = nullptr;
    FieldListEditor* fields_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* manifest_ = nullptr;
    QPushButton* run_ = nullptr;
};

}  // namespace torvane::ui
