#include "tools/stamp/field_editor.h"

// Torvane
#include "core/file_entry.h"
#include "core/hex_field_key.h"
#include "platform/format.h"
#include "tools/stamp/stamp_tool.h"
#include "widgets/key_filter.h"
#include "widgets/texts.h"

// Qt
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace torvane::ui {

void MakeHexField(QLineEdit* field, int digits) {
    // The keys of the window's other hex edits, and the "0x" of the usual notation.
    field->installEventFilter(new TypedKeyFilter(
        [](char32_t ch) { return AcceptsHexFieldKey(ch) || ch == U'x' || ch == U'X'; }, field));
    field->setMaxLength(digits + 2);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 3) + 12);
}

void MakeFieldAddressEdit(QLineEdit* field, const char* word) {
    // The hex keys and the letters of the word (e and d are hex digits already).
    const std::u32string letters = std::u32string(U"xX") + (std::string(word) == "start" ? U"sStTaArR" : U"nN");
    field->installEventFilter(new TypedKeyFilter(
        [letters](char32_t ch) { return AcceptsHexFieldKey(ch) || letters.find(ch) != std::u32string::npos; },
        field));
    field->setMaxLength(10);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 11 + 12);
    field->setPlaceholderText(Texts::tr("或%1").arg(QLatin1String(word)));
}

FieldEditor::FieldEditor(QWidget* parent) : QWidget(parent) {
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("fieldKind"));
    for (const std::string& name : FieldNames())
        kind_->addItem(QString::fromStdString(Localized(FieldNameCaption(name))), QString::fromStdString(name));
    start_ = new QLineEdit(this);
    start_->setObjectName(QStringLiteral("fieldStart"));
    end_ = new QLineEdit(this);
    end_->setObjectName(QStringLiteral("fieldEnd"));
    at_ = new QLineEdit(this);
    at_->setObjectName(QStringLiteral("fieldAt"));
    MakeFieldAddressEdit(start_, "start");
    MakeFieldAddressEdit(end_, "end");
    MakeFieldAddressEdit(at_, "end");
    whole_ = new QPushButton(Texts::tr("整个映像，写在末尾"), this);
    whole_->setObjectName(QStringLiteral("fieldWholeImage"));
    whole_->setAutoDefault(false);
    whole_->setToolTip(Texts::tr("写入地址填end（映像最后一个字节之后），校验范围填start-end（写入前的整个映像）"));
    little_ = new QRadioButton(Texts::tr("小端（低字节在前）"), this);
    big_ = new QRadioButton(Texts::tr("大端（高字节在前）"), this);
    big_->setObjectName(QStringLiteral("fieldBigEndian"));
    little_->setChecked(true);
    auto* order = new QButtonGroup(this);
    order->addButton(little_);
    order->addButton(big_);
    check_ = new QLabel(this);
    check_->setObjectName(QStringLiteral("fieldCheck"));
    check_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto label = [this](const QString& caption) {
        labels_.push_back(new QLabel(caption, this));
        return labels_.back();
    };
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(label(Texts::tr("校验方式：")), 0, 0);
    grid->addWidget(kind_, 0, 1, 1, 2);
    grid->addWidget(label(Texts::tr("校验范围(0x)：")), 1, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(start_);
    range->addWidget(new QLabel(Texts::tr("至"), this));
    range->addWidget(end_);
    range->addStretch(1);
    grid->addLayout(range, 1, 1, 1, 2);
    grid->addWidget(label(Texts::tr("写入地址(0x)：")), 2, 0);
    auto* place = new QHBoxLayout;
    place->addWidget(at_);
    place->addSpacing(12);
    place->addWidget(whole_);
    place->addStretch(1);
    grid->addLayout(place, 2, 1, 1, 2);
    grid->addWidget(label(Texts::tr("字节顺序：")), 3, 0);
    auto* orders = new QHBoxLayout;
    orders->addWidget(little_);
    orders->addWidget(big_);
    orders->addStretch(1);
    grid->addLayout(orders, 3, 1, 1, 2);
    grid->addWidget(check_, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        ShowCheckValue();
        emit changed();
    });
    for (QLineEdit* e : {start_, end_, at_}) connect(e, &QLineEdit::textChanged, this, &FieldEditor::changed);
    connect(whole_, &QPushButton::clicked, this, [this] {
        at_->setText(QStringLiteral("end"));
        start_->setText(QStringLiteral("start"));
        end_->setText(QStringLiteral("end"));
    });
    connect(big_, &QRadioButton::toggled, this, [this] {
        ShowCheckValue();
        emit changed();
    });
    ShowCheckValue();
}

int FieldEditor::LabelWidth() const {
    int widest = 0;
    for (const QLabel* l : labels_) widest = std::max(widest, l->sizeHint().width());
    return widest;
}

void FieldEditor::SetLabelWidth(int width) {
    static_cast<QGridLayout*>(layout())->setColumnMinimumWidth(0, width);
}

void FieldEditor::ShowCheckValue() {
    std::string why;
    const std::optional<FieldSpec> f =
        ParseFieldSpec(kind_->currentData().toString().toStdString() + "@0:0-0" + (big_->isChecked() ? ":be" : ""), &why);
    if (!f) {
        check_->clear();
        return;
    }
    check_->setText(Texts::tr("“123456789”的校验值：%1（宽%2字节）")
                        .arg(QString::fromStdString(FieldCheckText(*f)))
                        .arg(f->Width()));
}

std::optional<FieldSpec> FieldEditor::Field(QString* problem) const {
    struct Input {
        QLineEdit* edit;
        const char* what;
        const char* word;
    };
    for (const Input in : {Input{start_, Localized("校验范围的起始地址"), "start"},
                           Input{end_, Localized("校验范围的结束地址"), "end"}, Input{at_, Localized("写入地址"), "end"}}) {
        const std::string text = in.edit->text().trimmed().toLower().toStdString();
        if (text != in.word && !ParseHexNumber(text, 8)) {
            if (problem)
                *problem = QString::fromStdString(Format(Localized(kFieldBadAddressFormat), in.what, in.word));
            return std::nullopt;
        }
    }
    const auto typed = [](const QLineEdit* e) { return e->text().trimmed().toStdString(); };
    const std::string text = kind_->currentData().toString().toStdString() + "@" + typed(at_) + ":" + typed(start_) +
                             "-" + typed(end_) + (big_->isChecked() ? ":be" : "");
    std::string why;
    std::optional<FieldSpec> f = ParseFieldSpec(text, &why);
    if (!f && problem) *problem = Texts::tr("校验范围的结束地址小于起始地址！");
    return f;
}

void FieldEditor::SetField(const FieldSpec& f) {
    const QString name = QString::fromStdString(f.Name());
    int index = kind_->findData(name);
    // A CRC of its own (from a project) joins the list.
    if (index < 0) {
        kind_->addItem(name, name);
        index = kind_->count() - 1;
    }
    kind_->setCurrentIndex(index);
    const auto place = [](FieldWord word, uint32_t value) {
        return QString::fromStdString(word == FieldWord::Start ? std::string("start")
                                      : word == FieldWord::End ? std::string("end")
                                                               : Format("%X", value));
    };
    start_->setText(place(f.startWord, f.start));
    end_->setText(place(f.endWord, f.end));
    at_->setText(place(f.atWord, f.at));
    (f.bigEndian ? big_ : little_)->setChecked(true);
}

}  // namespace torvane::ui
