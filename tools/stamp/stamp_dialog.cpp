#include "tools/stamp/stamp_dialog.h"

// Torvane
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/stamp_tool.h"
#include "widgets/path_field.h"
#include "widgets/plain_label.h"
#include "widgets/point_font.h"
#include "widgets/texts.h"

// Qt
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace torvane::ui {
namespace {

QPushButton* BrowseButton(QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setAutoDefault(false);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    return b;
}

}  // namespace

CDlg_Stamp::CDlg_Stamp(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("stampDialog"));
    setWindowTitle(CoreText(kStampCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    auto* hint = PlainLabel(CoreText(kStampHint), this);
    hint->setWordWrap(true);
    input_ = new QLineEdit(this);
    input_->setObjectName(QStringLiteral("stampInput"));
    MakePathField(input_);
    auto* inputBrowse = BrowseButton(this);
    base_ = new QLineEdit(this);
    base_->setObjectName(QStringLiteral("stampBase"));
    MakeHexField(base_, 8);
    base_->setPlaceholderText(QStringLiteral("0"));
    field_ = new FieldEditor(this);
    fill_ = new QLineEdit(this);
    fill_->setObjectName(QStringLiteral("stampFill"));
    MakeHexField(fill_, 2);
    fill_->setPlaceholderText(QStringLiteral("FF"));
    output_ = new QLineEdit(this);
    output_->setObjectName(QStringLiteral("stampOutput"));
    MakePathField(output_);
    auto* outputBrowse = BrowseButton(this);
    write_ = new QPushButton(CoreText(kStampCaption), this);
    write_->setObjectName(QStringLiteral("stampWrite"));
    write_->setAutoDefault(false);
    result_ = new QLineEdit(this);
    result_->setObjectName(QStringLiteral("stampResult"));
    result_->setReadOnly(true);
    input_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 56);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    int row = 0;
    grid->addWidget(hint, row++, 0, 1, 3);
    grid->addWidget(PlainLabel(Texts::tr("源文件："), this), row, 0);
    grid->addWidget(input_, row, 1);
    grid->addWidget(inputBrowse, row++, 2);
    grid->addWidget(PlainLabel(Texts::tr("BIN文件起始地址(0x)："), this), row, 0);
    grid->addWidget(base_, row++, 1, Qt::AlignLeft);
    grid->addWidget(field_, row++, 0, 1, 3);
    grid->addWidget(PlainLabel(Texts::tr("填充数据(0x)："), this), row, 0);
    grid->addWidget(fill_, row++, 1, Qt::AlignLeft);
    grid->addWidget(PlainLabel(Texts::tr("输出文件："), this), row, 0);
    grid->addWidget(output_, row, 1);
    grid->addWidget(outputBrowse, row++, 2);
    grid->addWidget(write_, row, 0);
    grid->addWidget(result_, row++, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    // The field's inputs line up with the dialog's own.
    int labels = field_->LabelWidth();
    for (int r = 1; r < grid->rowCount(); ++r)
        if (QLayoutItem* item = grid->itemAtPosition(r, 0); item && item->widget() && item->widget() != field_ &&
                                                             qobject_cast<QLabel*>(item->widget()))
            labels = std::max(labels, item->widget()->sizeHint().width());
    grid->setColumnMinimumWidth(0, labels);
    field_->SetLabelWidth(labels);

    connect(inputBrowse, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseStampImage(prompts_)) {
            ShowPath(input_, QString::fromStdString(*path));
        }
    });
    connect(outputBrowse, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseStampOutput(prompts_, input_->text().toStdString()))
            ShowPath(output_, QString::fromStdString(*path));
    });
    connect(write_, &QPushButton::clicked, this, [this] { Write(); });
    // A value shown belongs to the inputs shown.
    for (QLineEdit* e : {input_, base_, fill_, output_}) connect(e, &QLineEdit::textChanged, result_, &QLineEdit::clear);
    connect(field_, &FieldEditor::changed, result_, &QLineEdit::clear);
}

void CDlg_Stamp::Write() {
    QString problem;
    const std::optional<FieldSpec> field = field_->Field(&problem);
    if (!field) {
        ShowNotice(prompts_, problem.toStdString());
        return;
    }
    StampInputs inputs;
    inputs.input = input_->text().toStdString();
    inputs.output = output_->text().toStdString();
    inputs.baseText = base_->text().toStdString();
    inputs.fillText = fill_->text().toStdString();
    inputs.field = *field;
    result_->clear();
    uint32_t at = field->at;
    if (const std::optional<std::string> value = RunStampTool(inputs, prompts_, &at))
        result_->setText(
            QString::fromStdString(Format(Localized("%s = %s，已写入0x%08X处"), field->Name().c_str(), value->c_str(), at)));
}

}  // namespace torvane::ui
