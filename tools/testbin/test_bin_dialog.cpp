#include "tools/testbin/test_bin_dialog.h"

// Torvane
#include "widgets/plain_label.h"
#include "widgets/key_filter.h"
#include "widgets/point_font.h"
#include "widgets/path_field.h"
#include "tools/testbin/test_bin_ids.h"
#include "widgets/texts.h"

// Qt
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Standard library
#include <algorithm>
#include <optional>
#include <string>

namespace torvane::ui {
namespace {

QLabel* Label(const QString& caption, QWidget* parent) {
    // The captions align their "0x" with blanks, which plain text keeps.
    QLabel* label = PlainLabel(caption, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// Text limits bound what the user types, not what the dialog shows: the end
// field shows "FFFFFFFF" for an empty length although it takes six typed
// characters. Such a text is kept whole; the user can shorten it, not lengthen it.
void FitLimit(QLineEdit* edit, int limit) {
    edit->setMaxLength(std::max(limit, static_cast<int>(edit->text().size())));
}

void ShowText(QLineEdit* edit, const std::string& text, int limit = 0) {
    const QString t = QString::fromStdString(text);
    if (edit->text() == t) return;
    if (limit > 0) edit->setMaxLength(std::max(limit, static_cast<int>(t.size())));
    edit->setText(t);
    if (limit > 0) FitLimit(edit, limit);
}

}  // namespace

Dlg_TestBin::Dlg_TestBin(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), defaultPath_(TestBinDefaultPath()), form_(StartTestBinForm(defaultPath_)) {
    setObjectName(QString::number(testbin_ids::kDialog));
    setWindowTitle(CoreText(kTestBinCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    auto numberEdit = [this](int id, TestBinField field, int limit) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setMaxLength(limit);
        edit->installEventFilter(
            new TypedKeyFilter([field](char32_t c) { return TestBinFieldAcceptsKey(field, c); }, edit));
        connect(edit, &QLineEdit::textEdited, this, [edit, limit] { FitLimit(edit, limit); });
        return edit;
    };
    auto button = [this](const QString& caption, int id) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        return b;
    };

    auto* lengthLabel = Label(Texts::tr("文件长度："), this);
    length_ = numberEdit(testbin_ids::kLength, TestBinField::Length, kLengthTextLimit);
    auto* startLabel = Label(Texts::tr("填充首地址： 0x"), this);
    start_ = numberEdit(testbin_ids::kStart, TestBinField::Start, kStartTextLimit);
    auto* endLabel = Label(Texts::tr("填充末地址： 0x"), this);
    end_ = numberEdit(testbin_ids::kEnd, TestBinField::End, kEndTextLimit);
    auto* fillLabel = Label(Texts::tr("填充数据 ：  0x"), this);
    fill_ = numberEdit(testbin_ids::kFill, TestBinField::Fill, kFillTextLimit);
    random_ = new QCheckBox(Texts::tr("随机数"), this);
    random_->setObjectName(QString::number(testbin_ids::kRandom));
    auto* pathLabel = Label(Texts::tr("BIN文件路径："), this);
    path_ = new QLineEdit(this);
    path_->setObjectName(QString::number(testbin_ids::kPath));
    MakePathField(path_);
    browse_ = button(QStringLiteral("..."), testbin_ids::kBrowse);
    generate_ = button(Texts::tr("生成"), testbin_ids::kGenerate);
    reset_ = button(Texts::tr("重置"), testbin_ids::kReset);

    // Wide enough for "FFFFFFFF", which an empty length puts into the end field.
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("FFFFFFFF")) + 20;
    for (QLineEdit* e : {length_, start_, end_, fill_}) e->setFixedWidth(numberWidth);
    path_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 44);
    browse_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 14);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    grid->addWidget(lengthLabel, 0, 0);
    grid->addWidget(length_, 0, 1);
    grid->addWidget(startLabel, 1, 0);
    grid->addWidget(start_, 1, 1);
    grid->addWidget(endLabel, 2, 0);
    grid->addWidget(end_, 2, 1);
    grid->addWidget(fillLabel, 3, 0);
    grid->addWidget(fill_, 3, 1);
    grid->addWidget(random_, 3, 2);
    grid->addWidget(pathLabel, 4, 0);
    grid->addWidget(path_, 4, 1, 1, 2);
    grid->addWidget(browse_, 4, 3);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(generate_);
    buttons->addWidget(reset_);
    grid->addLayout(buttons, 5, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    // User input lands in the form as it happens.
    connect(length_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.LengthText = t.toStdString();
        OnTestBinLengthEdited(form_);
        Refresh();
    });
    connect(start_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.StartText = t.toStdString(); });
    connect(end_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.EndText = t.toStdString(); });
    connect(fill_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.FillText = t.toStdString(); });
    connect(path_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.PathText = t.toStdString(); });
    connect(random_, &QCheckBox::clicked, this, [this](bool on) {
        form_.Random = on;
        Refresh();
    });
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseTestBinPath(prompts_)) form_.PathText = *path;
        Refresh();
    });
    connect(generate_, &QPushButton::clicked, this, [this] { GenerateTestBin(form_, prompts_); });
    connect(reset_, &QPushButton::clicked, this, [this] {
        ResetTestBinForm(form_, defaultPath_);
        Refresh();
    });

    Refresh();
}

void Dlg_TestBin::Refresh() {
    ShowText(length_, form_.LengthText, kLengthTextLimit);
    ShowText(start_, form_.StartText, kStartTextLimit);
    ShowText(end_, form_.EndText, kEndTextLimit);
    ShowText(fill_, form_.FillText, kFillTextLimit);
    ShowPath(path_, QString::fromStdString(form_.PathText));
    random_->setChecked(form_.Random);
    fill_->setEnabled(form_.FillEnabled());
}

void Dlg_TestBin::keyPressEvent(QKeyEvent* event) {
    // Neither key closes this dialog nor presses a button in it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace torvane::ui
