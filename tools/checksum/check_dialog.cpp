#include "tools/checksum/check_dialog.h"

#include <algorithm>

// Torvane
#include "tools/checksum/check_tool.h"
#include "widgets/key_filter.h"
#include "widgets/point_font.h"
#include "widgets/path_field.h"
#include "widgets/plain_label.h"
#include "tools/checksum/check_ids.h"
#include "widgets/texts.h"

// Qt
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

// Standard library
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace torvane::ui {

// List 1064. Every pick of the user is reported: a click on any method, the
// selected one included (so changed data can be checked again with the same
// method), and each move of the selection by keyboard. Selections the dialog
// makes itself are not reported.
class CheckMethodList : public QListWidget {
public:
    CheckMethodList(std::function<void()> picked, QWidget* parent)
        : QListWidget(parent), picked_(std::move(picked)) {
        setSelectionMode(QAbstractItemView::SingleSelection);
    }

    // Selects `row`, or nothing for -1, without reporting it.
    void SelectQuietly(int row) {
        quiet_ = true;
        if (row < 0) selectionModel()->clear();
        else setCurrentRow(row);
        quiet_ = false;
    }

    // The selected row, -1 when none is.
    int SelectedRow() const {
        const QModelIndexList rows = selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

    // Tall enough for every method without scrolling.
    QSize sizeHint() const override {
        const int rows = count();
        const int rowHeight = rows > 0 ? sizeHintForRow(0) : fontMetrics().height();
        return QSize(QListWidget::sizeHint().width(), rows * rowHeight + 2 * frameWidth() + 2);
    }

protected:
    // A mouse pick is reported once, when the button goes up, however often the
    // selection moved while it was held.
    void mousePressEvent(QMouseEvent* event) override {
        pressing_ = true;
        movedWhilePressed_ = false;
        QListWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QListWidget::mouseReleaseEvent(event);
        const bool wasPressing = std::exchange(pressing_, false);
        if (wasPressing && (movedWhilePressed_ || indexAt(event->position().toPoint()).isValid())) picked_();
    }
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override {
        QListWidget::selectionChanged(selected, deselected);
        if (quiet_) return;
        if (pressing_) movedWhilePressed_ = true;
        else picked_();
    }

private:
    std::function<void()> picked_;
    bool quiet_ = false;
    bool pressing_ = false;
    bool movedWhilePressed_ = false;
};

CDlg_Check::CDlg_Check(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QString::number(check_ids::kDialog));
    setWindowTitle(CoreText(kCheckCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));
    auto name = [](QWidget* w, int id) { w->setObjectName(QString::number(id)); };

    // Created in the order of the tab chain: hint, path, "...", data, methods, result.
    auto* hint = PlainLabel(CoreText(kCheckHint), this);
    auto* pathLabel = PlainLabel(CoreText(kCheckPathLabel), this);
    path_ = new QLineEdit(this);
    name(path_, check_ids::kPath);
    MakePathField(path_);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    name(browse_, check_ids::kBrowse);
    browse_->setAutoDefault(false);
    // Shown for a HEX, S-record or ELF path only.
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("checkNote"));
    note_->setWordWrap(true);
    imageData_ = new QCheckBox(this);
    imageData_->setObjectName(QStringLiteral("checkImageData"));
    auto* dataLabel = PlainLabel(CoreText(kCheckDataLabel), this);
    data_ = new QLineEdit(this);
    name(data_, check_ids::kData);
    data_->installEventFilter(new TypedKeyFilter(AcceptsCheckDataKey, this));
    auto* methodLabel = PlainLabel(CoreText(kCheckMethodLabel), this);
    methods_ = new CheckMethodList([this] { Compute(); }, this);
    name(methods_, check_ids::kMethodList);
    for (const char* caption : kChecksumMethodCaptions) methods_->addItem(CoreText(caption));
    methods_->SelectQuietly(0);
    auto* resultLabel = PlainLabel(CoreText(kCheckResultLabel), this);
    result_ = new QLineEdit(this);
    name(result_, check_ids::kResult);
    // The value is computed, never typed; it can still be selected and copied.
    result_->setReadOnly(true);

    // Room for a long path and for the 32 digits of an MD5 value.
    const int fieldWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48;
    path_->setMinimumWidth(fieldWidth);
    const int browseWidth = fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24;
    browse_->setFixedWidth(browseWidth);
    int widest = 0;
    for (const char* caption : kChecksumMethodCaptions)
        widest = std::max(widest, fontMetrics().horizontalAdvance(CoreText(caption)));
    methods_->setFixedWidth(widest + 48);
    methods_->setFixedHeight(methods_->sizeHint().height());

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(hint, 0, 0, 1, 3);
    grid->addWidget(pathLabel, 1, 0);
    grid->addWidget(path_, 1, 1);
    grid->addWidget(browse_, 1, 2);
    grid->addWidget(note_, 2, 1, 1, 2);
    grid->addWidget(imageData_, 3, 1, 1, 2);
    grid->addWidget(dataLabel, 4, 0);
    grid->addWidget(data_, 4, 1, 1, 2);
    grid->addWidget(methodLabel, 5, 0, Qt::AlignTop);
    grid->addWidget(methods_, 5, 1, Qt::AlignLeft);
    grid->addWidget(resultLabel, 6, 0);
    grid->addWidget(result_, 6, 1, 1, 2);
    note_->setMaximumWidth(fieldWidth + browseWidth + grid->horizontalSpacing());
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });
    // A value shown belongs to the file and data shown: a change of either clears it.
    connect(path_, &QLineEdit::textChanged, result_, &QLineEdit::clear);
    connect(data_, &QLineEdit::textChanged, result_, &QLineEdit::clear);
    connect(imageData_, &QCheckBox::toggled, result_, &QLineEdit::clear);
    connect(path_, &QLineEdit::textChanged, this, [this] { ShowPathKind(); });
    ShowPathKind();
}

void CDlg_Check::ShowPathKind() {
    const std::string path = path_->text().toStdString();
    const bool described = DescribesData(path);
    note_->setText(QString::fromStdString(Localized(CheckFileNote(path))));
    imageData_->setText(QString::fromStdString(Localized(ImageDataCaption(path))));
    note_->setVisible(described);
    imageData_->setVisible(described);
}

void CDlg_Check::Compute() {
    // The choice counts for a described file only; the logic knows which.
    const CheckSource source = imageData_->isChecked() ? CheckSource::ImageData : CheckSource::FileBytes;
    const CheckOutcome outcome = RunCheckComputation(path_->text().toStdString(), data_->text().toStdString(),
                                                     methods_->SelectedRow(), prompts_, source);
    if (outcome.ClearSelection) methods_->SelectQuietly(-1);
    if (outcome.ResultText) result_->setText(QString::fromStdString(*outcome.ResultText));
}

void CDlg_Check::Browse() {
    if (const std::optional<std::string> path = BrowseCheckFile(prompts_)) ShowPath(path_, QString::fromStdString(*path));
}

void CDlg_Check::keyPressEvent(QKeyEvent* event) {
    // Neither key closes this dialog nor presses a button in it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace torvane::ui
