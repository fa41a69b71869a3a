#include "ui/list_item.h"

#include "core/window_arguments.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "core/hex_field_key.h"
#include "widgets/key_filter.h"
#include "widgets/path_field.h"
#include "ui/row_ids.h"
#include "widgets/texts.h"

namespace torvane::ui {
namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

}  // namespace

Dlg_ListItem::Dlg_ListItem(FileList& list, int row, double scale, QWidget* parent)
    : QWidget(parent), list_(list), row_(row), scale_(scale), layout_(ComputeRowLayout(scale)) {
    setObjectName(QStringLiteral("row%1").arg(row));
    auto name = [](QWidget* w, int id) { w->setObjectName(QString::number(id)); };

    select_ = new QCheckBox(this);
    name(select_, row_ids::kSelect);
    fileName_ = new QLineEdit(this);
    name(fileName_, row_ids::kFileName);
    fileName_->setAlignment(Qt::AlignCenter);
    MakePathField(fileName_);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    name(browse_, row_ids::kBrowse);
    browse_->setAutoDefault(false);
    fileSize_ = new QLineEdit(this);
    name(fileSize_, row_ids::kFileSize);
    fileSize_->setAlignment(Qt::AlignCenter);
    polishType_ = new QComboBox(this);
    name(polishType_, row_ids::kPolishType);
    for (const char* item : kPolishTypeItems) polishType_->addItem(CoreText(item));
    binOffset_ = new QLineEdit(this);
    name(binOffset_, row_ids::kBinOffset);
    binOffset_->setAlignment(Qt::AlignCenter);
    binOffset_->setMaxLength(static_cast<int>(kHexEditLimit));
    polishData_ = new QComboBox(this);
    name(polishData_, row_ids::kPolishData);
    for (const char* item : kPolishDataItems) polishData_->addItem(QString::fromUtf8(item));
    offsetAddr_ = new QLineEdit(this);
    name(offsetAddr_, row_ids::kOffsetAddr);
    offsetAddr_->setAlignment(Qt::AlignCenter);
    offsetAddr_->setMaxLength(static_cast<int>(kHexEditLimit));
    saveOffset_ = new QCheckBox(this);
    name(saveOffset_, row_ids::kSaveOffsetData);

    // A file dropped anywhere on the row is the row's; the edits take no
    // dropped text of their own.
    setAcceptDrops(true);
    for (QLineEdit* e : {fileName_, fileSize_, binOffset_, offsetAddr_}) e->setAcceptDrops(false);

    auto* filter = new TypedKeyFilter(AcceptsHexFieldKey, this);
    binOffset_->installEventFilter(filter);
    offsetAddr_->installEventFilter(filter);

    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setPixelSize(std::max(1, layout_.fontPx));
    for (QWidget* w : {static_cast<QWidget*>(polishType_), static_cast<QWidget*>(polishData_),
                       static_cast<QWidget*>(fileName_), static_cast<QWidget*>(fileSize_),
                       static_cast<QWidget*>(offsetAddr_), static_cast<QWidget*>(binOffset_)}) {
        w->setFont(font);
    }

    // User input lands in RowControls as it happens; a typed file name is
    // the exception: it is a file to load, taken on Enter or when the box is
    // left (CommitTypedPath), and until then the row holds the file it had.
    connect(fileName_, &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(fileName_, &QLineEdit::returnPressed, this, [this] { CommitTypedPath(); });
    fileName_->installEventFilter(this);
    fileName_->setProperty(kTakesEnterProperty, true);
    connect(fileSize_, &QLineEdit::textEdited, this, [this](const QString& t) {
        controls().FileSizeText = t.toStdString();
        emit edited(row_);
    });
    connect(binOffset_, &QLineEdit::textEdited, this, [this](const QString& t) {
        controls().BinOffsetText = t.toStdString();
        emit edited(row_);
    });
    connect(offsetAddr_, &QLineEdit::textEdited, this, [this](const QString& t) {
        controls().OffsetAddrText = t.toStdString();
        emit edited(row_);
    });
    connect(polishType_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        controls().PolishTypeIndex = i;
        emit edited(row_);
    });
    connect(polishData_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        controls().PolishDataIndex = i;
        emit edited(row_);
    });
    connect(saveOffset_, &QCheckBox::clicked, this, [this](bool on) {
        controls().SaveOffsetData = on;
        emit edited(row_);
    });
    connect(select_, &QCheckBox::clicked, this, [this](bool on) {
        controls().Selected = on;
        list_.SetSelected(row_);
        Refresh();
        emit changed(row_);
    });
    connect(browse_, &QPushButton::clicked, this, [this] {
        list_.ChooseFile(row_);
        Refresh();
        emit changed(row_);
    });

    Place();
    Refresh();
}

void Dlg_ListItem::SetExtraWidth(int extraWidth) {
    const RowLayout wider = ComputeRowLayout(scale_, extraWidth);
    if (wider.width == layout_.width) return;
    layout_ = wider;
    Place();
    update();
}

void Dlg_ListItem::Place() {
    select_->setGeometry(ToQRect(layout_.select));
    fileName_->setGeometry(ToQRect(layout_.fileName));
    browse_->setGeometry(ToQRect(layout_.browse));
    fileSize_->setGeometry(ToQRect(layout_.fileSize));
    polishType_->setGeometry(ToQRect(layout_.polishType));
    binOffset_->setGeometry(ToQRect(layout_.binOffset));
    polishData_->setGeometry(ToQRect(layout_.polishData));
    offsetAddr_->setGeometry(ToQRect(layout_.offsetAddr));
    saveOffset_->setGeometry(ToQRect(layout_.saveOffset));
}

void Dlg_ListItem::CommitTypedPath() {
    if (!typed_) return;
    typed_ = false;
    list_.LoadTypedFile(row_, fileName_->text().toStdString());
    Refresh();
    emit changed(row_);
}

bool Dlg_ListItem::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the box takes what was typed; switching to another program
    // (to look a name up) or the box's own context menu does not.
    if (watched == fileName_ && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) CommitTypedPath();
    }
    return QWidget::eventFilter(watched, event);
}

void Dlg_ListItem::Refresh() {
    refreshing_ = true;
    typed_ = false;
    const RowControls& c = list_.Controls(row_);
    select_->setText(QString::fromStdString(Localized(c.SelectCaption)));
    select_->setChecked(c.Selected);
    auto setText = [](QLineEdit* e, const std::string& text) {
        const QString t = QString::fromStdString(text);
        if (e->text() != t) {
            e->setText(t);
            e->setCursorPosition(0);
        }
    };
    ShowPath(fileName_, QString::fromStdString(c.FileNameText));
    setText(fileSize_, c.FileSizeText);
    fileSize_->setReadOnly(c.FileSizeReadOnly);
    setText(offsetAddr_, c.OffsetAddrText);
    offsetAddr_->setReadOnly(c.OffsetAddrReadOnly);
    setText(binOffset_, c.BinOffsetText);
    polishType_->setCurrentIndex(c.PolishTypeIndex);
    polishData_->setCurrentIndex(c.PolishDataIndex);
    saveOffset_->setChecked(c.SaveOffsetData);
    polishType_->setVisible(c.AlignColumnShown);
    binOffset_->setVisible(!c.AlignColumnShown);
    refreshing_ = false;
}

void Dlg_ListItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, QColor(250, 250, 250));
    // The client rectangle in a new surface's default pen and brush.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    for (int x : layout_.lines) p.drawLine(x, 0, x, r.height() - 1);
}

QMenu* Dlg_ListItem::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("FileListMenu"));
    QAction* remove = menu->addAction(Texts::tr("删除"));
    remove->setObjectName(QString::number(row_ids::kDeleteCommand));
    remove->setEnabled(true);
    connect(remove, &QAction::triggered, this, [this] {
        list_.DeleteEntry(row_);
        Refresh();
        emit changed(row_);
    });
    return menu;
}

void Dlg_ListItem::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void Dlg_ListItem::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Dlg_ListItem::dropEvent(QDropEvent* event) {
    const QString path = DraggedLocalFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // The file is loaded once the drop is over: its message boxes must not
    // hold the program the file came from.
    QTimer::singleShot(0, this, [this, path] {
        if (IsProjectFileName(path)) {
            emit projectDropped(path);
            return;
        }
        LoadFile(path);
    });
}

void Dlg_ListItem::LoadFile(const QString& path) {
    list_.LoadChosenFile(row_, path.toStdString());
    Refresh();
    emit changed(row_);
}

void Dlg_ListItem::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape never default or close anything in a row.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString DraggedLocalFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return QString();
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
    // The system's own form, as a browse button gives it ("D:\fw\app.hex").
    const QString path = QDir::toNativeSeparators(urls.first().toLocalFile());
    return QFileInfo(path).isFile() ? path : QString();
}

bool IsProjectFileName(const QString& path) { return IsProjectPath(path.toStdString()); }

}  // namespace torvane::ui
