#include "tools/stamp/field_list_editor.h"

// Torvane
#include "core/chinese_reasons.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/stamp/field_editor.h"
#include "widgets/texts.h"

// Qt
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace torvane::ui {
namespace {

QString FieldLine(const FieldSpec& f) {
    return QString::fromStdString(Format(Localized("%s  @%s  范围%s-%s  %s"), f.Name().c_str(),
                                         FieldPlaceText(f.atWord, f.at).c_str(),
                                         FieldPlaceText(f.startWord, f.start).c_str(),
                                         FieldPlaceText(f.endWord, f.end).c_str(), Localized(f.bigEndian ? "大端" : "小端")));
}

}  // namespace

FieldListEditor::FieldListEditor(Prompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts) {
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("fieldList"));
    list_->setMinimumHeight(list_->fontMetrics().height() * 5);
    editor_ = new FieldEditor(this);
    // Alt+A: the field editor's inputs take no Alt key.
    add_ = new QPushButton(Texts::tr("添加(&A)"), this);
    replace_ = new QPushButton(Texts::tr("替换"), this);
    remove_ = new QPushButton(Texts::tr("删除"), this);
    up_ = new QPushButton(Texts::tr("上移"), this);
    down_ = new QPushButton(Texts::tr("下移"), this);
    for (QPushButton* b : {add_, replace_, remove_, up_, down_}) b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(list_, 0, 0);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add_, replace_, remove_, up_, down_}) side->addWidget(b);
    side->addStretch(1);
    grid->addLayout(side, 0, 1);
    grid->addWidget(editor_, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    // Tab goes from the list into the editor and on to 添加: a field is
    // typed, then added.
    QWidget::setTabOrder(list_, editor_->kind());
    QWidget::setTabOrder(editor_->kind(), editor_->start());
    QWidget::setTabOrder(editor_->start(), editor_->end());
    QWidget::setTabOrder(editor_->end(), editor_->at());
    QWidget::setTabOrder(editor_->at(), editor_->littleEndian());
    QWidget::setTabOrder(editor_->littleEndian(), editor_->bigEndian());
    QWidget::setTabOrder(editor_->bigEndian(), add_);
    QWidget::setTabOrder(add_, replace_);
    QWidget::setTabOrder(replace_, remove_);
    QWidget::setTabOrder(remove_, up_);
    QWidget::setTabOrder(up_, down_);

    connect(add_, &QPushButton::clicked, this, [this] { AddField(false); });
    connect(replace_, &QPushButton::clicked, this, [this] { AddField(true); });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0 || row >= static_cast<int>(fields_.size())) return;
        fields_.erase(fields_.begin() + row);
        ShowFields();
        list_->setCurrentRow(std::min(row, static_cast<int>(fields_.size()) - 1));
        emit changed();
    });
    connect(up_, &QPushButton::clicked, this, [this] { MoveField(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { MoveField(1); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(fields_.size())) editor_->SetField(fields_[static_cast<size_t>(row)]);
        for (QPushButton* b : {replace_, remove_, up_, down_}) b->setEnabled(row >= 0);
    });
    ShowFields();
    for (QPushButton* b : {replace_, remove_, up_, down_}) b->setEnabled(false);
}

void FieldListEditor::SetFields(std::vector<FieldSpec> fields) {
    fields_ = std::move(fields);
    ShowFields();
}

void FieldListEditor::ShowFields() {
    list_->clear();
    for (const FieldSpec& f : fields_) list_->addItem(FieldLine(f));
}

void FieldListEditor::AddField(bool replace) {
    QString problem;
    const std::optional<FieldSpec> f = editor_->Field(&problem);
    if (!f) {
        ShowNotice(prompts_, problem.toStdString());
        return;
    }
    int row = list_->currentRow();
    if (replace && row >= 0 && row < static_cast<int>(fields_.size())) {
        fields_[static_cast<size_t>(row)] = *f;
    } else {
        fields_.push_back(*f);
        row = static_cast<int>(fields_.size()) - 1;
    }
    ShowFields();
    list_->setCurrentRow(row);
    emit changed();
}

void FieldListEditor::MoveField(int by) {
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(fields_.size())) return;
    std::swap(fields_[static_cast<size_t>(row)], fields_[static_cast<size_t>(to)]);
    ShowFields();
    list_->setCurrentRow(to);
    emit changed();
}

}  // namespace torvane::ui
