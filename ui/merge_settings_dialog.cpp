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
#include "tools/stamp/field_list_editor.h"
#include "widgets/point_font.h"
#include "widgets/texts.h"

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

namespace torvane::ui {
namespace {

constexpr ImageFormat kFormats[] = {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord};

// Two fields alike in every part.
bool SameField(const FieldSpec& a, const FieldSpec& b) { return FieldSpecText(a) == FieldSpecText(b); }

}  // namespace

CMergeSettingsDlg::CMergeSettingsDlg(Workspace& ws, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ws_(ws), prompts_(prompts) {
    setObjectName(QStringLiteral("mergeSettings"));
    setWindowTitle(Texts::tr("合并设置"));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("mergeFormat"));
    format_->addItem(Texts::tr("BIN文件（默认）"));
    format_->addItem(Texts::tr("Intel HEX文件"));
    format_->addItem(Texts::tr("S-record文件"));
    for (int i = 0; i < 3; ++i)
        if (kFormats[i] == ws.MergeFormat) format_->setCurrentIndex(i);
    base_ = new QLineEdit(QString::fromStdString(ws.MergeBaseText), this);
    base_->setObjectName(QStringLiteral("mergeBase"));
    MakeHexField(base_, 8);
    base_->setPlaceholderText(Texts::tr("自动"));
    auto* baseHint = new QLabel(
        Texts::tr("留空则自动选择：所有HEX、S-record和ELF文件都在0x08000000及以上时为0x08000000，否则为0。\n"
                  "HEX和S-record文件的记录地址为合并文件内的偏移加上起始地址；内存分布图按此显示地址。"),
        this);
    baseHint->setWordWrap(true);
    gapFill_ = new QComboBox(this);
    gapFill_->setObjectName(QStringLiteral("gapFill"));
    gapFill_->addItem(Texts::tr("填充0x00（默认）"));
    gapFill_->addItem(Texts::tr("按该行的补充数据填充"));
    gapFill_->setCurrentIndex(ws.HexGapFill == GapFill::RowFill ? 1 : 0);
    gapFill_->setToolTip(Texts::tr("HEX、S-record和ELF文件的记录之间未写入的地址；内存分布图中显示为空隙"));
    auto* gapHint = new QLabel(Texts::tr("（HEX、S-record和ELF文件内；HEX转BIN和对齐也按此填充）"), this);
    // Alt+A adds: the other letters of this dialog are none.
    fieldList_ = new FieldListEditor(prompts, this);
    fieldList_->list()->setObjectName(QStringLiteral("mergeFields"));
    fieldList_->list()->setMinimumHeight(fieldList_->list()->fontMetrics().height() * 4);
    fieldList_->SetFields(ws.MergeFields);
    rule_ = new QLabel(this);
    rule_->setObjectName(QStringLiteral("fieldRule"));
    rule_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Texts::tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::tr("取消"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(new QLabel(Texts::tr("输出格式："), this), 0, 0);
    grid->addWidget(format_, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(Texts::tr("起始地址(0x)："), this), 1, 0);
    grid->addWidget(base_, 1, 1, Qt::AlignLeft);
    grid->addWidget(baseHint, 2, 0, 1, 3);
    grid->addWidget(new QLabel(Texts::tr("记录之间的空隙："), this), 3, 0);
    auto* gap = new QHBoxLayout;
    gap->addWidget(gapFill_);
    gap->addSpacing(8);
    gap->addWidget(gapHint);
    gap->addStretch(1);
    grid->addLayout(gap, 3, 1, 1, 2);
    grid->addWidget(new QLabel(Texts::tr("校验值字段（合并后按顺序写入）："), this), 4, 0, 1, 3);
    grid->addWidget(fieldList_, 5, 0, 1, 3);
    grid->addWidget(rule_, 6, 0, 1, 3);
    grid->addWidget(buttons, 7, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    baseHint->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 84);

    connect(buttons, &QDialogButtonBox::accepted, this, &CMergeSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMergeSettingsDlg::reject);
    connect(format_, &QComboBox::currentIndexChanged, this, [this] { ShowRule(); });
    connect(base_, &QLineEdit::textChanged, this, [this] { ShowRule(); });
    ShowRule();
}

QListWidget* CMergeSettingsDlg::fields() const { return fieldList_->list(); }
FieldEditor* CMergeSettingsDlg::editor() const { return fieldList_->editor(); }
QPushButton* CMergeSettingsDlg::addButton() const { return fieldList_->addButton(); }
QPushButton* CMergeSettingsDlg::replaceButton() const { return fieldList_->replaceButton(); }
QPushButton* CMergeSettingsDlg::removeButton() const { return fieldList_->removeButton(); }

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

void CMergeSettingsDlg::accept() {
    const std::string base = base_->text().toStdString();
    if (!base.empty() && !ParseHexNumber(base, 8)) {
        ShowNotice(prompts_, Texts::tr("起始地址应为1到8位十六进制数！").toStdString());
        return;
    }
    // A field typed in full but never added is not dropped unasked.
    std::vector<FieldSpec> fields = fieldList_->Fields();
    if (const std::optional<FieldSpec> typed = fieldList_->editor()->Field(nullptr);
        typed && std::none_of(fields.begin(), fields.end(), [&](const FieldSpec& f) { return SameField(f, *typed); })) {
        const std::string question = Format(Localized(kUnaddedFieldFormat), FieldChineseText(*typed).c_str());
        switch (prompts_.Show(MessageBox{question, Texts::tr("提示").toStdString(), MessageIcon::Question, MessageButtons::YesNoCancel})) {
            case Answer::Yes: fields.push_back(*typed); break;
            case Answer::No: break;
            default: return;
        }
    }
    const ImageFormat format = kFormats[std::max(0, format_->currentIndex())];
    // Fields the merge would refuse are refused here, with the reason.
    if (const std::optional<std::string> problem =
            MergeFieldsProblem(fields, ws_.MergeFieldAddresses, base, format)) {
        ShowNotice(prompts_, Texts::tr("校验值字段设置有误：%1").arg(QString::fromStdString(ShownReason(*problem))).toStdString());
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
