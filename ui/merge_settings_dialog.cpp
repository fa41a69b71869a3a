#include "ui/merge_settings_dialog.h"

// Torvane
#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "core/merge_layout.h"
#include "core/workspace.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/field_list_editor.h"
#include "widgets/point_font.h"

// Qt
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace torvane::ui {
namespace {

constexpr ImageFormat kFormats[] = {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord};

}  // namespace

CMergeSettingsDlg::CMergeSettingsDlg(Workspace& ws, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ws_(ws), prompts_(prompts) {
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
    fieldList_ = new FieldListEditor(prompts, this);
    fieldList_->list()->setObjectName(QStringLiteral("mergeFields"));
    fieldList_->SetFields(ws.MergeFields);
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
    grid->addWidget(new QLabel(QStringLiteral("校验值字段（合并后按顺序写入；地址为合并文件内的偏移）："), this), 3, 0, 1, 3);
    grid->addWidget(fieldList_, 4, 0, 1, 3);
    grid->addWidget(buttons, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    baseHint->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 70);

    connect(buttons, &QDialogButtonBox::accepted, this, &CMergeSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMergeSettingsDlg::reject);
}

QListWidget* CMergeSettingsDlg::fields() const { return fieldList_->list(); }
FieldEditor* CMergeSettingsDlg::editor() const { return fieldList_->editor(); }
QPushButton* CMergeSettingsDlg::addButton() const { return fieldList_->addButton(); }

void CMergeSettingsDlg::accept() {
    const std::string base = base_->text().toStdString();
    if (!base.empty() && !ParseHexNumber(base, 8)) {
        ShowNotice(prompts_, "起始地址应为1到8位十六进制数！");
        return;
    }
    const std::vector<FieldSpec>& fields = fieldList_->Fields();
    // Fields the merge would refuse are refused here, with the reason.
    if (const std::optional<std::string> problem = FieldsProblem(fields, 0, kMergedImageSize)) {
        ShowNotice(prompts_, "校验值字段设置有误：" + ChineseReason(*problem));
        return;
    }
    ws_.MergeBaseText = base;
    ws_.MergeFields = fields;
    ws_.SetMergeFormat(kFormats[std::max(0, format_->currentIndex())]);
    QDialog::accept();
}

}  // namespace torvane::ui
