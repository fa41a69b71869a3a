#include "ui/merge_settings_dialog.h"

// Torvane
#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "core/merge.h"
#include "core/merge_layout.h"
#include "core/workspace.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/stamp/field_editor.h"
#include "widgets/point_font.h"

// Qt
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvane::ui {
namespace {

constexpr ImageFormat kFormats[] = {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord};

QString FieldLine(const FieldSpec& f) {
    return QString::fromStdString(Format("%s  @%s  范围%s-%s  %s", f.Name().c_str(),
                                         FieldPlaceText(f.atWord, f.at).c_str(),
                                         FieldPlaceText(f.startWord, f.start).c_str(),
                                         FieldPlaceText(f.endWord, f.end).c_str(), f.bigEndian ? "大端" : "小端"));
}

// Two fields alike in every part.
bool SameField(const FieldSpec& a, const FieldSpec& b) { return FieldSpecText(a) == FieldSpecText(b); }

}  // namespace

CMergeSettingsDlg::CMergeSettingsDlg(Workspace& ws, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ws_(ws), prompts_(prompts), fields_(ws.MergeFields) {
    setObjectName(QStringLiteral("mergeSettings"));
    setWindowTitle(QStringLiteral("合并设置"));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("mergeFormat"));
    format_->addItem(QStringLiteral("BIN文件（默认）"));
    format_->addItem(QStringLiteral("Intel HEX文件"));
    format_->addItem(QStringLiteral("S-record文件"));
    for (int i = 0; i < 3; ++i)
        if (kFormats[i] == ws.MergeFormat) format_->setCurrentIndex(i);
    base_ = new QLineEdit(QString::fromStdString(ws.MergeBaseText), this);
    base_->setObjectName(QStringLiteral("mergeBase"));
    MakeHexField(base_, 8);
    base_->setPlaceholderText(QStringLiteral("自动"));
    auto* baseHint = new QLabel(
        QStringLiteral("留空则自动选择：所有HEX、S-record和ELF文件都在0x08000000及以上时为0x08000000，否则为0。\n"
                       "HEX和S-record文件的记录地址为合并文件内的偏移加上起始地址；内存分布图按此显示地址。"),
        this);
    baseHint->setWordWrap(true);
    gapFill_ = new QComboBox(this);
    gapFill_->setObjectName(QStringLiteral("gapFill"));
    gapFill_->addItem(QStringLiteral("填充0x00（默认）"));
    gapFill_->addItem(QStringLiteral("按该行的补充数据填充"));
    gapFill_->setCurrentIndex(ws.HexGapFill == GapFill::RowFill ? 1 : 0);
    gapFill_->setToolTip(QStringLiteral("HEX、S-record和ELF文件的记录之间未写入的地址；内存分布图中显示为空隙"));
    auto* gapHint = new QLabel(QStringLiteral("（HEX、S-record和ELF文件内；HEX转BIN和对齐也按此填充）"), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("mergeFields"));
    list_->setMinimumHeight(list_->fontMetrics().height() * 4);
    editor_ = new FieldEditor(this);
    rule_ = new QLabel(this);
    rule_->setObjectName(QStringLiteral("fieldRule"));
    rule_->setWordWrap(true);
    // Alt+A: the other letters of this dialog are none, and the field
    // editor's inputs take no Alt key.
    add_ = new QPushButton(QStringLiteral("添加(&A)"), this);
    replace_ = new QPushButton(QStringLiteral("替换"), this);
    remove_ = new QPushButton(QStringLiteral("删除"), this);
    up_ = new QPushButton(QStringLiteral("上移"), this);
    down_ = new QPushButton(QStringLiteral("下移"), this);
    for (QPushButton* b : {add_, replace_, remove_, up_, down_}) b->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("输出格式："), this), 0, 0);
    grid->addWidget(format_, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("起始地址(0x)："), this), 1, 0);
    grid->addWidget(base_, 1, 1, Qt::AlignLeft);
    grid->addWidget(baseHint, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("记录之间的空隙："), this), 3, 0);
    auto* gap = new QHBoxLayout;
    gap->addWidget(gapFill_);
    gap->addSpacing(8);
    gap->addWidget(gapHint);
    gap->addStretch(1);
    grid->addLayout(gap, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("校验值字段（合并后按顺序写入）："), this), 4, 0, 1, 3);
    grid->addWidget(list_, 5, 0, 1, 2);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add_, replace_, remove_, up_, down_}) side->addWidget(b);
    side->addStretch(1);
    grid->addLayout(side, 5, 2);
    grid->addWidget(editor_, 6, 0, 1, 3);
    grid->addWidget(rule_, 7, 0, 1, 3);
    grid->addWidget(buttons, 8, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    baseHint->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 84);

    connect(add_, &QPushButton::clicked, this, [this] { AddField(false); });
    connect(replace_, &QPushButton::clicked, this, [this] { AddField(true); });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row < 0 || row >= static_cast<int>(fields_.size())) return;
        fields_.erase(fields_.begin() + row);
        ShowFields();
        list_->setCurrentRow(std::min(row, static_cast<int>(fields_.size()) - 1));
    });
    connect(up_, &QPushButton::clicked, this, [this] { MoveField(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { MoveField(1); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(fields_.size())) editor_->SetField(fields_[static_cast<size_t>(row)]);
        for (QPushButton* b : {replace_, remove_, up_, down_}) b->setEnabled(row >= 0);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CMergeSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMergeSettingsDlg::reject);
    connect(format_, &QComboBox::currentIndexChanged, this, [this] { ShowRule(); });
    connect(base_, &QLineEdit::textChanged, this, [this] { ShowRule(); });
    ShowRule();
    ShowFields();
    for (QPushButton* b : {replace_, remove_, up_, down_}) b->setEnabled(false);
}

void CMergeSettingsDlg::ShowRule() {
    rule_->setText(QString::fromStdString(FieldAddressRule(ws_.MergeFieldAddresses, base_->text().toStdString(),
                                                           kFormats[std::max(0, format_->currentIndex())])));
}

void CMergeSettingsDlg::keyPressEvent(QKeyEvent* event) {
    // Enter on a button presses that button: on 添加 it adds the field typed,
    // rather than closing the box as 确定 and losing it.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && button && button->isEnabled()) {
        if (!event->isAutoRepeat()) button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMergeSettingsDlg::ShowFields() {
    list_->clear();
    for (const FieldSpec& f : fields_) list_->addItem(FieldLine(f));
}

void CMergeSettingsDlg::AddField(bool replace) {
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
}

void CMergeSettingsDlg::MoveField(int by) {
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(fields_.size())) return;
    std::swap(fields_[static_cast<size_t>(row)], fields_[static_cast<size_t>(to)]);
    ShowFields();
    list_->setCurrentRow(to);
}

void CMergeSettingsDlg::accept() {
    const std::string base = base_->text().toStdString();
    if (!base.empty() && !ParseHexNumber(base, 8)) {
        ShowNotice(prompts_, "起始地址应为1到8位十六进制数！");
        return;
    }
    // A field typed in full but never added is not dropped unasked.
    std::vector<FieldSpec> fields = fields_;
    if (const std::optional<FieldSpec> typed = editor_->Field(nullptr);
        typed && std::none_of(fields.begin(), fields.end(), [&](const FieldSpec& f) { return SameField(f, *typed); })) {
        const std::string question = Format(kUnaddedFieldFormat, FieldChineseText(*typed).c_str());
        switch (prompts_.Show(MessageBox{question, "提示", MessageIcon::Question, MessageButtons::YesNoCancel})) {
            case Answer::Yes: fields.push_back(*typed); break;
            case Answer::No: break;
            default: return;
        }
    }
    const ImageFormat format = kFormats[std::max(0, format_->currentIndex())];
    // Fields the merge would refuse are refused here, with the reason.
    if (const std::optional<std::string> problem =
            MergeFieldsProblem(fields, ws_.MergeFieldAddresses, base, format)) {
        ShowNotice(prompts_, "校验值字段设置有误：" + ChineseReason(*problem));
        return;
    }
    ws_.MergeBaseText = base;
    ws_.MergeFields = fields;
    // Fields entered anew take the map's addresses; an older project's keep
    // theirs while it has any.
    if (fields.empty()) ws_.MergeFieldAddresses = FieldAddresses::Map;
    ws_.HexGapFill = gapFill_->currentIndex() == 1 ? GapFill::RowFill : GapFill::Zero;
    ws_.SetMergeFormat(format);
    QDialog::accept();
}

}  // namespace torvane::ui
