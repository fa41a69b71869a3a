#pragma once

#include <QDialog>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "core/field_verify.h"
#include "core/image_compare.h"
#include "core/integrity_fields.h"
#include "tools/compare/compare_tool.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;
class QTabWidget;

namespace torvane {
class Prompts;
}

namespace torvane::ui {

class FieldEditor;
class CompareRangesModel;
class CompareBytesModel;

// The two files on one address axis: a band for each, its ranges in the
// colour of what they are (the same, different, only in this file), the
// other's ranges left blank, a break where neither holds data.
class CompareBands : public QWidget {
    Q_OBJECT
public:
    explicit CompareBands(QWidget* parent = nullptr);
    void SetComparison(const std::vector<CompareRange>* ranges);
    void SetSelected(int range);
    // The range under a point of the widget, -1 for none.
    int RangeAt(const QPoint& point) const;
    QSize sizeHint() const override;

signals:
    void rangeClicked(int range);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QRect BandArea() const;
    void Layout();
    const std::vector<CompareRange>* ranges_ = nullptr;
    CompareBandLayout layout_;
    int selected_ = -1;
};

// "比较映像文件": two image files of any format compared by address, the
// ranges on a band and in a table, the bytes of the chosen range side by
// side; the integrity fields of file A checked; the report saved as text.
class CDlg_Compare : public QDialog {
    Q_OBJECT
public:
    // `mergeFields`: the fields of the merge settings; `mergePositions`:
    // positions in the merged image (MergeFieldsArePositions), else the
    // addresses its map shows, which are the merged file's own.
    CDlg_Compare(Prompts& prompts, std::vector<FieldSpec> mergeFields, bool mergePositions, QWidget* parent = nullptr);
    CDlg_Compare(Prompts& prompts, std::vector<FieldSpec> mergeFields, QWidget* parent = nullptr)
        : CDlg_Compare(prompts, std::move(mergeFields), true, parent) {}
    ~CDlg_Compare() override;

    QLineEdit* fileA() const { return fileA_; }
    QLineEdit* baseA() const { return baseA_; }
    QLineEdit* fileB() const { return fileB_; }
    QLineEdit* baseB() const { return baseB_; }
    QLineEdit* range() const { return range_; }
    QLineEdit* fill() const { return fill_; }
    QPushButton* compareButton() const { return compare_; }
    CompareBands* bands() const { return bands_; }
    QTableView* rangeTable() const { return rangeTable_; }
    QTableView* bytesTable() const { return bytesTable_; }
    QLabel* summary() const { return summary_; }
    QRadioButton* mergeFieldsChoice() const { return fromMerge_; }
    QRadioButton* typedFieldsChoice() const { return typed_; }
    FieldEditor* editor() const { return editor_; }
    QListWidget* typedFields() const { return typedList_; }
    QPushButton* addFieldButton() const { return addField_; }
    QPushButton* verifyButton() const { return verify_; }
    QTableWidget* verifyTable() const { return verifyTable_; }
    QLabel* verifySummary() const { return verifySummary_; }
    QPushButton* exportButton() const { return export_; }
    QTabWidget* pages() const { return tabs_; }

    // The comparison shown, when one is.
    const ImageComparison* comparison() const { return comparison_ ? &*comparison_ : nullptr; }
    // Selects a range of the table and shows its bytes.
    void SelectRange(int range);
    // The report of what is shown, as the export writes it; empty when nothing is.
    std::string ReportText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Compare();
    bool Verify();
    void Export();
    void AddTypedField();
    // The inputs read: a base, the range and fill; nothing after the box that said why.
    std::optional<uint32_t> BaseOf(QLineEdit* edit, const char* what);
    std::optional<CompareOptions> OptionsOf();
    std::optional<LoadedImage> Load(QLineEdit* path, QLineEdit* base, const char* which);
    void ShowFieldChoice();

    Prompts& prompts_;
    std::vector<FieldSpec> mergeFields_;
    bool mergePositions_ = true;
    std::vector<FieldSpec> typedFields_;

    QLineEdit* fileA_ = nullptr;
    QLineEdit* baseA_ = nullptr;
    QLineEdit* fileB_ = nullptr;
    QLineEdit* baseB_ = nullptr;
    QLineEdit* range_ = nullptr;
    QLineEdit* fill_ = nullptr;
    QPushButton* compare_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CompareBands* bands_ = nullptr;
    QTableView* rangeTable_ = nullptr;
    QTableView* bytesTable_ = nullptr;
    QLabel* bytesNote_ = nullptr;
    QLabel* summary_ = nullptr;
    QRadioButton* fromMerge_ = nullptr;
    QRadioButton* typed_ = nullptr;
    FieldEditor* editor_ = nullptr;
    QListWidget* typedList_ = nullptr;
    QPushButton* addField_ = nullptr;
    QPushButton* removeField_ = nullptr;
    QPushButton* verify_ = nullptr;
    QTableWidget* verifyTable_ = nullptr;
    QLabel* verifySummary_ = nullptr;
    QPushButton* export_ = nullptr;

    std::unique_ptr<CompareRangesModel> ranges_;
    std::unique_ptr<CompareBytesModel> bytes_;
    // What the shown comparison was made of.
    std::shared_ptr<const LoadedImage> a_;
    std::shared_ptr<const LoadedImage> b_;
    CompareOptions options_;
    std::optional<ImageComparison> comparison_;
    // The last check of the fields, for the report.
    std::optional<std::string> verifyReport_;
};

}  // namespace torvane::ui
