#include "ui/merge_settings_dialog.h"

// Torvane
#include "core/chinese_reasons.h"
#include "core/file_entry.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace torvane::ui {
namespace {

constexpr ImageFormat kFormats[] = {ImageFormat::Binary, ImageFormat::IntelHex, ImageFormat::SRecord};

QString FieldLine(const FieldSpec& f) {
    return QString::fromStdString(Format("%s  @0x%08X  范围0x%08X-0x%08X  %s", f.Name().c_str(), f.at, f.start, f.end,
                                         f.bigEndian ? "大端" : "小端"));
}

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
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("mergeFields"));
    list_->setMinimumHeight(list_->fontMetrics().height() * 5);
    editor_ = new FieldEditor(this);
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
    grid->addWidget(new QLabel(QStringLiteral("校验值字段（合并后按顺序写入；地址为合并文件内的偏移）："), this), 3, 0, 1, 3);
    grid->addWidget(list_, 4, 0, 1, 2);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add_, replace_, remove_, up_, down_}) side->addWidget(b);
    side->addStretch(1);
    grid->addLayout(side, 4, 2);
    grid->addWidget(editor_, 5, 0, 1, 3);
    grid->addWidget(buttons, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    baseHint->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 70);

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
    ShowFields();
    for (QPushButton* b : {replace_, remove_, up_, down_}) b->setEnabled(false);
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
    // Fields the merge would refuse are refused here, with the reason.
    if (const std::optional<std::string> problem = FieldsProblem(fields_, 0, kMergedImageSize)) {
        ShowNotice(prompts_, "校验值字段设置有误：" + ChineseReason(*problem));
        return;
    }
    ws_.MergeBaseText = base;
    ws_.MergeFields = fields_;
    ws_.SetMergeFormat(kFormats[std::max(0, format_->currentIndex())]);
    QDialog::accept();
}

}  // namespace torvane::ui
