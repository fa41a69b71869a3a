#include "tools/serialize/serialize_dialog.h"

// Torvane
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/serialize/serialize_tool.h"
#include "tools/stamp/field_editor.h"
#include "tools/stamp/field_list_editor.h"
#include "widgets/path_field.h"
#include "widgets/key_filter.h"
#include "widgets/plain_label.h"
#include "widgets/point_font.h"
#include "widgets/texts.h"

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace torvane::ui {
namespace {

QPushButton* BrowseButton(QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setAutoDefault(false);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    return b;
}

// A label whose letter takes the focus to `buddy` (Alt and the letter).
QLabel* BuddyLabel(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// A one-line input of a number, decimal or 0x hex, `width` digits wide.
QLineEdit* NumberField(const char* name, int width, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(22);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (width + 1) + 12);
    return e;
}

struct KindChoice {
    const char* caption;
    SerialKind kind;
};
constexpr KindChoice kKinds[] = {
    {QT_TRANSLATE_NOOP("Torvane", "u8（1字节二进制）"), SerialKind::U8},
    {QT_TRANSLATE_NOOP("Torvane", "u16（2字节二进制）"), SerialKind::U16},
    {QT_TRANSLATE_NOOP("Torvane", "u32（4字节二进制）"), SerialKind::U32},
    {QT_TRANSLATE_NOOP("Torvane", "u64（8字节二进制）"), SerialKind::U64},
    {QT_TRANSLATE_NOOP("Torvane", "十进制数字（ASCII）"), SerialKind::Decimal},
    {QT_TRANSLATE_NOOP("Torvane", "十六进制数字（ASCII，大写）"), SerialKind::Hex},
};

}  // namespace

CDlg_Serialize::CDlg_Serialize(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("serializeDialog"));
    setWindowTitle(CoreText(kSerializeCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));

    auto* hint = PlainLabel(CoreText(kSerializeHint), this);
    hint->setWordWrap(true);
    template_ = new QLineEdit(this);
    template_->setObjectName(QStringLiteral("serialTemplate"));
    MakePathField(template_);
    auto* templateBrowse = BrowseButton(this);
    base_ = new QLineEdit(this);
    base_->setObjectName(QStringLiteral("serialBase"));
    MakeHexField(base_, 8);
    base_->setPlaceholderText(QStringLiteral("0"));
    fill_ = new QLineEdit(this);
    fill_->setObjectName(QStringLiteral("serialFill"));
    MakeHexField(fill_, 2);
    fill_->setPlaceholderText(QStringLiteral("FF"));

    serialAt_ = new QLineEdit(this);
    serialAt_->setObjectName(QStringLiteral("serialAt"));
    MakeHexField(serialAt_, 8);
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("serialKind"));
    for (const KindChoice& k : kKinds) kind_->addItem(Texts::tr(k.caption));
    kind_->setCurrentIndex(2);
    digits_ = new QSpinBox(this);
    digits_->setObjectName(QStringLiteral("serialDigits"));
    digits_->setRange(1, 20);
    digits_->setValue(8);
    digits_->setSuffix(Texts::tr(" 位"));
    order_ = new QComboBox(this);
    order_->setObjectName(QStringLiteral("serialOrder"));
    order_->addItem(Texts::tr("小端（低字节在前）"));
    order_->addItem(Texts::tr("大端（高字节在前）"));
    first_ = NumberField("serialFirst", 20, this);
    step_ = NumberField("serialStep", 8, this);
    step_->setPlaceholderText(QStringLiteral("1"));
    count_ = NumberField("serialCount", 8, this);

    mac_ = new QCheckBox(Texts::tr("写入MAC地址(&M)"), this);
    mac_->setObjectName(QStringLiteral("serialMac"));
    macAt_ = new QLineEdit(this);
    macAt_->setObjectName(QStringLiteral("serialMacAt"));
    MakeHexField(macAt_, 8);
    macFirst_ = new QLineEdit(this);
    macFirst_->setObjectName(QStringLiteral("serialMacFirst"));
    macFirst_->setPlaceholderText(QStringLiteral("00:11:22:AA:BB:CC"));
    macFirst_->setMaxLength(17);
    macFirst_->setFixedWidth(macFirst_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 19 + 12);
    macStep_ = NumberField("serialMacStep", 8, this);
    macStep_->setPlaceholderText(QStringLiteral("1"));

    fields_ = new FieldListEditor(prompts, this);
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("serialFolder"));
    MakePathField(folder_);
    auto* folderBrowse = BrowseButton(this);
    name_ = new QLineEdit(QStringLiteral("{serial}.bin"), this);
    name_->setObjectName(QStringLiteral("serialName"));
    auto* nameHint = PlainLabel(
        Texts::tr("{serial}为十进制序列号，{serial:hex}为十六进制序列号，{mac}为MAC地址"
        "（如001122AABBCC）；扩展名决定格式（.hex、.s19、.srec等，其余为BIN）。"),
        this);
    nameHint->setWordWrap(true);
    manifest_ = new QLineEdit(this);
    manifest_->setObjectName(QStringLiteral("serialManifest"));
    MakePathField(manifest_);
    manifest_->setPlaceholderText(Texts::tr("不记录"));
    auto* manifestBrowse = BrowseButton(this);
    run_ = new QPushButton(Texts::tr("生成(&G)"), this);
    run_->setObjectName(QStringLiteral("serialRun"));
    run_->setAutoDefault(false);
    auto* close = new QPushButton(Texts::tr("关闭"), this);
    close->setAutoDefault(false);
    template_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 56);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    int row = 0;
    auto line = [this](std::initializer_list<QWidget*> widgets) {
        auto* box = new QHBoxLayout;
        for (QWidget* w : widgets) box->addWidget(w);
        box->addStretch(1);
        return box;
    };
    grid->addWidget(hint, row++, 0, 1, 3);
    grid->addWidget(BuddyLabel(Texts::tr("模板映像(&T)："), template_, this), row, 0);
    grid->addWidget(template_, row, 1);
    grid->addWidget(templateBrowse, row++, 2);
    grid->addWidget(PlainLabel(Texts::tr("BIN文件起始地址(0x)："), this), row, 0);
    grid->addLayout(line({base_, PlainLabel(Texts::tr("填充数据(0x)："), this), fill_}), row++, 1, 1, 2);
    grid->addWidget(BuddyLabel(Texts::tr("序列号地址(0x)(&S)："), serialAt_, this), row, 0);
    grid->addLayout(line({serialAt_, PlainLabel(Texts::tr("格式："), this), kind_, digits_, order_}), row++, 1, 1, 2);
    grid->addWidget(BuddyLabel(Texts::tr("起始序列号(&F)："), first_, this), row, 0);
    grid->addLayout(line({first_, PlainLabel(Texts::tr("步长："), this), step_,
                          BuddyLabel(Texts::tr("数量(&C)："), count_, this), count_}),
                    row++, 1, 1, 2);
    grid->addWidget(mac_, row, 0);
    grid->addLayout(line({PlainLabel(Texts::tr("写入地址(0x)："), this), macAt_, PlainLabel(Texts::tr("起始MAC地址："), this), macFirst_,
                          PlainLabel(Texts::tr("步长："), this), macStep_}),
                    row++, 1, 1, 2);
    grid->addWidget(PlainLabel(Texts::tr("校验值字段（写入序列号和MAC地址之后按顺序写入，校验范围可包含它们）："), this), row++, 0,
                    1, 3);
    grid->addWidget(fields_, row++, 0, 1, 3);
    grid->addWidget(BuddyLabel(Texts::tr("输出文件夹(&O)："), folder_, this), row, 0);
    grid->addWidget(folder_, row, 1);
    grid->addWidget(folderBrowse, row++, 2);
    grid->addWidget(BuddyLabel(Texts::tr("文件名(&N)："), name_, this), row, 0);
    grid->addWidget(name_, row++, 1, 1, 2);
    grid->addWidget(nameHint, row++, 1, 1, 2);
    grid->addWidget(BuddyLabel(Texts::tr("记录文件(CSV)(&R)："), manifest_, this), row, 0);
    grid->addWidget(manifest_, row, 1);
    grid->addWidget(manifestBrowse, row++, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(run_);
    buttons->addWidget(close);
    grid->addLayout(buttons, row++, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes down the dialog as it reads; the field list keeps its own
    // order (the list, the editor, the buttons) where it stands.
    QWidget* order[] = {template_, templateBrowse, base_,  fill_, serialAt_, kind_,     digits_,  order_,
                        first_,    step_,          count_, mac_,  macAt_,    macFirst_, macStep_, fields_->list()};
    for (size_t i = 0; i + 1 < std::size(order); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    QWidget* after[] = {fields_->downButton(), folder_, folderBrowse, name_, manifest_, manifestBrowse, run_, close};
    for (size_t i = 0; i + 1 < std::size(after); ++i) QWidget::setTabOrder(after[i], after[i + 1]);

    connect(templateBrowse, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseSerialTemplate(prompts_))
            ShowPath(template_, QString::fromStdString(*path));
    });
    connect(folderBrowse, &QPushButton::clicked, this, [this] {
        if (const std::optional<SerialOutputChoice> choice =
                BrowseSerialOutput(prompts_, folder_->text().toStdString(), name_->text().toStdString())) {
            ShowPath(folder_, QString::fromStdString(choice->folder));
            name_->setText(QString::fromStdString(choice->name));
        }
    });
    connect(manifestBrowse, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::string> path = BrowseSerialManifest(prompts_))
            ShowPath(manifest_, QString::fromStdString(*path));
    });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { ShowKind(); });
    connect(mac_, &QCheckBox::toggled, this, [this] { ShowKind(); });
    connect(run_, &QPushButton::clicked, this, [this] { Run(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowKind();
}

void CDlg_Serialize::ShowKind() {
    const SerialKind kind = kKinds[std::max(0, kind_->currentIndex())].kind;
    const bool text = kind == SerialKind::Decimal || kind == SerialKind::Hex;
    digits_->setEnabled(text);
    digits_->setMaximum(kind == SerialKind::Hex ? 16 : 20);
    order_->setEnabled(!text && kind != SerialKind::U8);
    for (QWidget* w :
         {static_cast<QWidget*>(macAt_), static_cast<QWidget*>(macFirst_), static_cast<QWidget*>(macStep_)})
        w->setEnabled(mac_->isChecked());
}

void CDlg_Serialize::keyPressEvent(QKeyEvent* event) {
    // No button is the default: Enter presses the focused one.
    if (!PressFocusedButtonOnEnter(this, event)) QDialog::keyPressEvent(event);
}

void CDlg_Serialize::Run() {
    SerializeInputs in;
    in.templatePath = template_->text().toStdString();
    in.baseText = base_->text().toStdString();
    in.fillText = fill_->text().toStdString();
    in.serialAtText = serialAt_->text().toStdString();
    in.kind = kKinds[std::max(0, kind_->currentIndex())].kind;
    in.digits = digits_->value();
    in.bigEndian = order_->currentIndex() == 1;
    in.firstText = first_->text().toStdString();
    in.stepText = step_->text().toStdString();
    in.countText = count_->text().toStdString();
    in.mac = mac_->isChecked();
    in.macAtText = macAt_->text().toStdString();
    in.macFirstText = macFirst_->text().toStdString();
    in.macStepText = macStep_->text().toStdString();
    in.fields = fields_->Fields();
    in.folder = folder_->text().toStdString();
    in.name = name_->text().toStdString();
    in.manifest = manifest_->text().toStdString();
    const std::unique_ptr<SerialBatch> batch = StartSerializeTool(in, prompts_);
    if (!batch) return;

    // One image per turn of the event loop: the window redraws and the
    // cancel button answers between two images.
    const uint64_t count = batch->plan().count;
    // The bar counts in thousandths when the run has more images than an int holds.
    const int scale = count > 1000000 ? static_cast<int>(count / 1000000 + 1) : 1;
    QProgressDialog progress(QString(), CoreText(kSerializeCancelText), 0,
                             static_cast<int>(count / static_cast<uint64_t>(scale)), this);
    progress.setObjectName(QStringLiteral("serialProgress"));
    progress.setWindowTitle(CoreText(kSerializeCaption));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.show();
    bool cancelled = false;
    QEventLoop loop;
    QTimer turn;
    turn.setInterval(0);
    connect(&turn, &QTimer::timeout, &loop, [&] {
        if (progress.wasCanceled()) {
            cancelled = !batch->Done();
            batch->Finish();
            loop.quit();
            return;
        }
        batch->Step();
        progress.setValue(static_cast<int>(batch->Made() / static_cast<uint64_t>(scale)));
        progress.setLabelText(
            QString::fromStdString(Format(Localized(kSerializeProgressFormat), static_cast<unsigned long long>(batch->Made()),
                                          static_cast<unsigned long long>(count))));
        emit imageMade(batch->Made());
        if (batch->Done()) loop.quit();
    });
    turn.start();
    loop.exec();
    turn.stop();
    progress.close();
    ShowSerializeSummary(*batch, cancelled, prompts_);
}

}  // namespace torvane::ui
