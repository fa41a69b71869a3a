#include "tools/compare/compare_dialog.h"

// Torvane
#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "core/memory_map_format.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/stamp/field_editor.h"
#include "widgets/path_field.h"
#include "widgets/key_filter.h"
#include "widgets/plain_label.h"
#include "widgets/point_font.h"
#include "widgets/texts.h"

// Qt
#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QGridLayout>
#include <QScrollBar>
#include <QTabWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace torvane::ui {
namespace {

// The most lines of 16 bytes the byte view shows of one range (1 MiB).
constexpr uint64_t kMaxByteLines = 65536;
// The differing bytes a comparison keeps per range, for the report.
constexpr uint32_t kReportSamples = 16;

// The band's colours: the same bytes in a quiet blue-grey, differing ones in
// the memory map's overlap red, a file's own ranges in its row colour.
constexpr const char* kSameColour = "#90A4AE";
const char* KindColour(CompareKind kind) {
    switch (kind) {
        case CompareKind::Same: return kSameColour;
        case CompareKind::Differ: return kOverlapColour;
        case CompareKind::OnlyA: return RowColour(1);
        case CompareKind::OnlyB: return RowColour(2);
    }
    return kSameColour;
}

QString Hex8(uint64_t value) { return QString::fromStdString(Format("0x%08llX", static_cast<unsigned long long>(value))); }

QPushButton* BrowseButton(QWidget* parent) {
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setAutoDefault(false);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    return b;
}

QString RangeTip(const CompareRange& r) {
    QString tip = Texts::tr("%1：%2-%3，%4字节")
                      .arg(CoreText(CompareKindCaption(r.kind)), Hex8(r.start), Hex8(r.end - 1))
                      .arg(r.size());
    if (r.kind == CompareKind::Differ) tip += Texts::tr("，其中%1字节不同").arg(r.differing);
    return tip;
}

}  // namespace

// The ranges of the comparison: kind, first and last address, size, the
// bytes that differ.
class CompareRangesModel : public QAbstractTableModel {
public:
    void Set(const std::vector<CompareRange>* ranges) {
        beginResetModel();
        ranges_ = ranges;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() || !ranges_ ? 0 : static_cast<int>(std::min<size_t>(ranges_->size(), INT32_MAX));
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!ranges_ || !index.isValid()) return {};
        const CompareRange& r = (*ranges_)[static_cast<size_t>(index.row())];
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
                case 0: return CoreText(CompareKindCaption(r.kind));
                case 1: return Hex8(r.start);
                case 2: return Hex8(r.end - 1);
                case 3: return QString::number(r.size());
                case 4: return r.kind == CompareKind::Differ ? QString::number(r.differing) : QString();
            }
        }
        if (role == Qt::DecorationRole && index.column() == 0) return QColor(QString::fromLatin1(KindColour(r.kind)));
        if (role == Qt::TextAlignmentRole && index.column() >= 3)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
        static const char* const kTitles[] = {QT_TRANSLATE_NOOP("Torvane", "类型"), QT_TRANSLATE_NOOP("Torvane", "起始地址"),
                                              QT_TRANSLATE_NOOP("Torvane", "结束地址"), QT_TRANSLATE_NOOP("Torvane", "大小（字节）"),
                                              QT_TRANSLATE_NOOP("Torvane", "不同字节")};
        return Texts::tr(kTitles[section]);
    }

private:
    const std::vector<CompareRange>* ranges_ = nullptr;
};

// The bytes of one range, 16 a line from an address that is a multiple of
// 16: the address, A's 16 bytes, B's 16 bytes. A byte that differs is
// marked on both sides; a side without data there shows "--" (or the fill
// byte, greyed, when the comparison takes one); bytes of the line outside
// the range are grey.
class CompareBytesModel : public QAbstractTableModel {
public:
    // The address, A's 16 bytes, a narrow gap, B's 16 bytes.
    static constexpr int kColumns = 1 + 16 + 1 + 16;
    static constexpr int kGap = 17;

    void Set(const SparseImage* a, const SparseImage* b, std::optional<uint8_t> fill, const CompareRange* range) {
        beginResetModel();
        a_ = a;
        b_ = b;
        fill_ = fill;
        lines_ = 0;
        cachedLine_ = -1;
        if (range) {
            range_ = *range;
            first_ = range_.start & ~0xFull;
            const uint64_t lines = (range_.end - first_ + 15) / 16;
            lines_ = static_cast<int>(std::min(lines, kMaxByteLines));
        }
        endResetModel();
    }
    bool Cut() const { return lines_ > 0 && (range_.end - first_ + 15) / 16 > kMaxByteLines; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : lines_; }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
        if (role == Qt::DisplayRole) {
            if (section == 0) return Texts::tr("地址");
            if (section == kGap) return QString();
            return QStringLiteral("%1").arg(section < kGap ? section - 1 : section - kGap - 1, 0, 16).toUpper();
        }
        if (role == Qt::ToolTipRole && section != 0 && section != kGap)
            return section < kGap ? Texts::tr("文件A") : Texts::tr("文件B");
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !a_ || !b_) return {};
        const uint64_t line = first_ + 16ull * static_cast<uint64_t>(index.row());
        if (index.column() == 0) {
            if (role == Qt::DisplayRole) return Hex8(line);
            return {};
        }
        if (index.column() == kGap) return {};
        Fetch(index.row(), line);
        const bool sideA = index.column() < kGap;
        const int i = sideA ? index.column() - 1 : index.column() - kGap - 1;
        const uint64_t address = line + static_cast<uint64_t>(i);
        const std::optional<uint8_t>& own = sideA ? a_line_[i] : b_line_[i];
        const std::optional<uint8_t> va = a_line_[i] ? a_line_[i] : fill_;
        const std::optional<uint8_t> vb = b_line_[i] ? b_line_[i] : fill_;
        const bool inRange = address >= range_.start && address < range_.end;
        const bool differs = va && vb && *va != *vb;
        switch (role) {
            case Qt::DisplayRole:
                if (own) return QStringLiteral("%1").arg(*own, 2, 16, QLatin1Char('0')).toUpper();
                if (fill_) return QStringLiteral("%1").arg(*fill_, 2, 16, QLatin1Char('0')).toUpper();
                return QStringLiteral("--");
            case Qt::BackgroundRole:
                if (differs && inRange) return QColor(0xFF, 0xCD, 0xD2);
                return {};
            case Qt::ForegroundRole:
                if (!inRange || !own) return QColor(0x9E, 0x9E, 0x9E);
                if (differs) return QColor(0xB7, 0x1C, 0x1C);
                return {};
            case Qt::TextAlignmentRole: return Qt::AlignCenter;
            case Qt::ToolTipRole:
                return QStringLiteral("%1  A=%2  B=%3")
                    .arg(Hex8(address), va ? QStringLiteral("%1").arg(*va, 2, 16, QLatin1Char('0')).toUpper() : QStringLiteral("--"),
                         vb ? QStringLiteral("%1").arg(*vb, 2, 16, QLatin1Char('0')).toUpper() : QStringLiteral("--"));
        }
        return {};
    }

private:
    // One line of both sides, kept while the view asks for its cells.
    void Fetch(int row, uint64_t line) const {
        if (cachedLine_ == row) return;
        cachedLine_ = row;
        auto read = [line](const SparseImage& image, std::optional<uint8_t>* out) {
            for (int i = 0; i < 16; ++i) out[i].reset();
            for (const ImageSegment& s : image.segments()) {
                if (s.end() <= line) continue;
                if (s.address >= line + 16) break;
                for (int i = 0; i < 16; ++i) {
                    const uint64_t x = line + static_cast<uint64_t>(i);
                    if (x >= s.address && x < s.end()) out[i] = s.bytes[static_cast<size_t>(x - s.address)];
                }
            }
        };
        read(*a_, a_line_);
        read(*b_, b_line_);
    }

    const SparseImage* a_ = nullptr;
    const SparseImage* b_ = nullptr;
    std::optional<uint8_t> fill_;
    CompareRange range_;
    uint64_t first_ = 0;
    int lines_ = 0;
    mutable int cachedLine_ = -1;
    mutable std::optional<uint8_t> a_line_[16];
    mutable std::optional<uint8_t> b_line_[16];
};

CompareBands::CompareBands(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("compareBands"));
    setMouseTracking(true);
    setMinimumHeight(sizeHint().height());
}

QSize CompareBands::sizeHint() const { return QSize(860, 2 * 26 + 14 + 2 * fontMetrics().height() + 10); }

QRect CompareBands::BandArea() const {
    const int label = fontMetrics().horizontalAdvance(Texts::tr("文件A")) + 12;
    return QRect(label, 4, std::max(1, width() - label - 8), 2 * 26 + 6);
}

void CompareBands::SetComparison(const std::vector<CompareRange>* ranges) {
    ranges_ = ranges;
    selected_ = -1;
    Layout();
    update();
}

void CompareBands::SetSelected(int range) {
    selected_ = range;
    update();
}

void CompareBands::Layout() {
    layout_ = ranges_ ? LayoutCompareBand(*ranges_, BandArea().width(), 3, 10) : CompareBandLayout{};
}

void CompareBands::resizeEvent(QResizeEvent*) { Layout(); }

int CompareBands::RangeAt(const QPoint& point) const {
    const QRect area = BandArea();
    if (!ranges_ || point.y() < area.top() || point.y() > area.bottom()) return -1;
    const double x = point.x() - area.left();
    const auto it = std::upper_bound(layout_.x.begin(), layout_.x.end(), x);
    if (it == layout_.x.begin()) return -1;
    const size_t i = static_cast<size_t>(it - layout_.x.begin()) - 1;
    return x < layout_.x[i] + std::max(layout_.width[i], 1.0) ? static_cast<int>(i) : -1;
}

void CompareBands::mousePressEvent(QMouseEvent* event) {
    const int i = RangeAt(event->position().toPoint());
    if (i >= 0) emit rangeClicked(i);
}

bool CompareBands::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int i = RangeAt(help->pos());
        if (i >= 0) QToolTip::showText(help->globalPos(), RangeTip((*ranges_)[static_cast<size_t>(i)]), this);
        else QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CompareBands::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect area = BandArea();
    constexpr int kBand = 26;
    const int rows[2] = {area.top(), area.top() + kBand + 6};
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(0, rows[0], area.left() - 6, kBand), Qt::AlignRight | Qt::AlignVCenter, Texts::tr("文件A"));
    p.drawText(QRect(0, rows[1], area.left() - 6, kBand), Qt::AlignRight | Qt::AlignVCenter, Texts::tr("文件B"));
    for (const int top : rows) p.fillRect(QRect(area.left(), top, area.width(), kBand), QColor(0xFA, 0xFA, 0xFA));
    if (!ranges_ || ranges_->empty()) return;
    // Each band holds what its file has: A's the same, differing and only-A
    // ranges, B's the same, differing and only-B ranges.
    for (size_t i = 0; i < ranges_->size(); ++i) {
        const CompareRange& r = (*ranges_)[i];
        const QRectF piece(area.left() + layout_.x[i], 0, std::max(layout_.width[i], 1.0), kBand);
        const QColor colour(QString::fromLatin1(KindColour(r.kind)));
        if (r.kind != CompareKind::OnlyB) p.fillRect(piece.translated(0, rows[0]), colour);
        if (r.kind != CompareKind::OnlyA) p.fillRect(piece.translated(0, rows[1]), colour);
    }
    // A break where neither file holds data: two slanted strokes.
    p.setPen(QPen(QColor(0x61, 0x61, 0x61), 1.2));
    for (const double x : layout_.breaks) {
        const double cx = area.left() + x + 5;
        for (const int top : rows) {
            p.drawLine(QPointF(cx - 3, top + kBand), QPointF(cx - 1, top));
            p.drawLine(QPointF(cx + 1, top + kBand), QPointF(cx + 3, top));
        }
    }
    if (selected_ >= 0 && static_cast<size_t>(selected_) < ranges_->size()) {
        const size_t i = static_cast<size_t>(selected_);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(area.left() + layout_.x[i] - 1, rows[0] - 2, std::max(layout_.width[i], 1.0) + 2,
                          rows[1] + kBand - rows[0] + 4));
    }
    // Addresses under the bands: where a run of touching ranges starts and
    // where the last one ends, as many as fit without overlapping.
    p.setPen(palette().color(QPalette::WindowText));
    const int textTop = rows[1] + kBand + 4;
    const QFontMetrics m = fontMetrics();
    double free = area.left() - 1e9;
    auto label = [&](double x, uint64_t address, bool right) {
        const QString text = Hex8(address);
        const int w = m.horizontalAdvance(text);
        double left = right ? x - w : x;
        left = std::clamp(left, 0.0, static_cast<double>(width() - w));
        if (left < free) return;
        p.drawLine(QPointF(x, rows[1] + kBand), QPointF(x, textTop));
        p.drawText(QPointF(left, textTop + m.ascent()), text);
        free = left + w + 8;
    };
    for (size_t i = 0; i < ranges_->size(); ++i)
        if (i == 0 || (*ranges_)[i - 1].end != (*ranges_)[i].start) label(area.left() + layout_.x[i], (*ranges_)[i].start, false);
    const size_t last = ranges_->size() - 1;
    free = std::min(free, static_cast<double>(width()));
    label(area.left() + layout_.x[last] + layout_.width[last], (*ranges_)[last].end - 1, true);
    if (layout_.broken)
        p.drawText(QRect(area.left(), textTop + m.height(), area.width(), m.height()), Qt::AlignLeft,
                   layout_.breaks.empty() ? Texts::tr("（刻度未按比例）")
                                          : Texts::tr("（刻度未按比例；折线处两个文件都没有数据）"));
}

CDlg_Compare::CDlg_Compare(Prompts& prompts, std::vector<FieldSpec> mergeFields, bool mergePositions, QWidget* parent)
    : QDialog(parent), prompts_(prompts), mergeFields_(std::move(mergeFields)), mergePositions_(mergePositions),
      ranges_(std::make_unique<CompareRangesModel>()), bytes_(std::make_unique<CompareBytesModel>()) {
    setObjectName(QStringLiteral("compareDialog"));
    setWindowTitle(CoreText(kCompareCaption));
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 9));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* hint = PlainLabel(CoreText(kCompareHint), this);
    hint->setWordWrap(true);
    // The widgets are made in the order Tab visits them.
    auto pathRow = [this](QLineEdit*& path, QLineEdit*& base, const char* name) {
        path = new QLineEdit(this);
        path->setObjectName(QStringLiteral("compareFile%1").arg(QLatin1String(name)));
        MakePathField(path);
        path->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 50);
        QPushButton* browse = BrowseButton(this);
        browse->setObjectName(QStringLiteral("compareBrowse%1").arg(QLatin1String(name)));
        base = new QLineEdit(this);
        base->setObjectName(QStringLiteral("compareBase%1").arg(QLatin1String(name)));
        MakeHexField(base, 8);
        base->setPlaceholderText(QStringLiteral("0"));
        connect(browse, &QPushButton::clicked, this, [this, path] {
            FileDialog dialog;
            dialog.filter = Localized(kCompareFileFilter);
            dialog.kind = FileKind::CompareImage;
            if (const std::optional<std::string> chosen = prompts_.OpenFile(dialog))
                ShowPath(path, QString::fromStdString(*chosen));
        });
        return browse;
    };
    QPushButton* browseA = pathRow(fileA_, baseA_, "A");
    QPushButton* browseB = pathRow(fileB_, baseB_, "B");
    range_ = new QLineEdit(this);
    range_->setObjectName(QStringLiteral("compareRange"));
    range_->setPlaceholderText(Texts::tr("全部地址"));
    range_->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 22 + 12);
    fill_ = new QLineEdit(this);
    fill_->setObjectName(QStringLiteral("compareFill"));
    MakeHexField(fill_, 2);
    fill_->setPlaceholderText(Texts::tr("不填"));
    compare_ = new QPushButton(Texts::tr("比较(&C)"), this);
    compare_->setObjectName(QStringLiteral("compareRun"));

    // The comparison and the check of fields, each on a page of its own.
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("comparePages"));
    auto* comparePage = new QWidget(tabs_);
    auto* check = new QWidget(tabs_);
    bands_ = new CompareBands(comparePage);
    rangeTable_ = new QTableView(comparePage);
    rangeTable_->setObjectName(QStringLiteral("compareRanges"));
    rangeTable_->setModel(ranges_.get());
    rangeTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rangeTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    rangeTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rangeTable_->setTabKeyNavigation(false);
    rangeTable_->verticalHeader()->hide();
    rangeTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    rangeTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    rangeTable_->horizontalHeader()->setStretchLastSection(true);
    // Widths by what the columns hold, not by their rows: a comparison may have many.
    const int address = fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 14;
    rangeTable_->setColumnWidth(0, fontMetrics().horizontalAdvance(Texts::tr("仅A有")) + 40);
    rangeTable_->setColumnWidth(1, address);
    rangeTable_->setColumnWidth(2, address);
    rangeTable_->setColumnWidth(3, fontMetrics().horizontalAdvance(Texts::tr("大小（字节）")) + 14);
    rangeTable_->setMinimumWidth(rangeTable_->columnWidth(0) + 2 * address + rangeTable_->columnWidth(3) +
                                 fontMetrics().horizontalAdvance(Texts::tr("不同字节")) + 40);
    bytesTable_ = new QTableView(comparePage);
    bytesTable_->setObjectName(QStringLiteral("compareBytes"));
    bytesTable_->setModel(bytes_.get());
    bytesTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bytesTable_->setTabKeyNavigation(false);
    bytesTable_->verticalHeader()->hide();
    bytesTable_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    bytesTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    bytesTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    bytesTable_->horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("FF")) + 8);
    bytesTable_->horizontalHeader()->setMinimumSectionSize(8);
    bytesTable_->setColumnWidth(0, fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 14);
    bytesTable_->setColumnWidth(CompareBytesModel::kGap, 8);
    bytesTable_->setFixedWidth(bytesTable_->columnWidth(0) + 8 + 32 * bytesTable_->horizontalHeader()->defaultSectionSize() +
                               bytesTable_->verticalScrollBar()->sizeHint().width() + 2 * bytesTable_->frameWidth() + 2);
    rangeTable_->setMinimumHeight(rangeTable_->verticalHeader()->defaultSectionSize() * 8);
    bytesTable_->setMinimumHeight(rangeTable_->minimumHeight());
    bytesNote_ = new QLabel(comparePage);
    summary_ = new QLabel(comparePage);
    summary_->setObjectName(QStringLiteral("compareSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    fromMerge_ = new QRadioButton(Texts::tr("合并设置中的字段(&M)"), check);
    fromMerge_->setObjectName(QStringLiteral("compareMergeFields"));
    typed_ = new QRadioButton(Texts::tr("输入的字段(&T)"), check);
    typed_->setObjectName(QStringLiteral("compareTypedFields"));
    auto* choice = new QButtonGroup(this);
    choice->addButton(fromMerge_);
    choice->addButton(typed_);
    (mergeFields_.empty() ? typed_ : fromMerge_)->setChecked(true);
    auto* mergeNote = new QLabel(check);
    mergeNote->setWordWrap(true);
    mergeNote->setText(mergeFields_.empty()
                           ? Texts::tr("合并设置中没有校验值字段。")
                           : mergePositions_
                               ? Texts::tr("合并设置中有%1个字段；其地址为合并文件内的偏移，按文件A的最低地址计。")
                                     .arg(mergeFields_.size())
                               : Texts::tr("合并设置中有%1个字段；其地址为内存分布图中的地址，即合并后文件A中的地址。")
                                     .arg(mergeFields_.size()));
    editor_ = new FieldEditor(check);
    typedList_ = new QListWidget(check);
    typedList_->setObjectName(QStringLiteral("compareFieldList"));
    typedList_->setMaximumHeight(typedList_->fontMetrics().height() * 4 + 8);
    addField_ = new QPushButton(Texts::tr("添加字段(&D)"), check);
    addField_->setObjectName(QStringLiteral("compareAddField"));
    removeField_ = new QPushButton(Texts::tr("删除字段(&R)"), check);
    verify_ = new QPushButton(Texts::tr("校验(&V)"), check);
    verify_->setObjectName(QStringLiteral("compareVerify"));
    verifyTable_ = new QTableWidget(0, 6, check);
    verifyTable_->setObjectName(QStringLiteral("compareVerifyTable"));
    verifyTable_->setHorizontalHeaderLabels({Texts::tr("字段"), Texts::tr("写入地址"), Texts::tr("校验范围"),
                                             Texts::tr("存储值"), Texts::tr("计算值"), Texts::tr("结果")});
    verifyTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    verifyTable_->setTabKeyNavigation(false);
    verifyTable_->verticalHeader()->hide();
    verifyTable_->horizontalHeader()->setStretchLastSection(true);
    verifyTable_->setMinimumHeight(fontMetrics().height() * 6);
    verifySummary_ = new QLabel(check);
    verifySummary_->setObjectName(QStringLiteral("compareVerifySummary"));
    export_ = new QPushButton(Texts::tr("导出报告(&E)"), this);
    export_->setObjectName(QStringLiteral("compareExport"));
    auto* close = new QPushButton(Texts::tr("关闭"), this);
    close->setObjectName(QStringLiteral("close"));
    for (QPushButton* b : {browseA, browseB, compare_, addField_, removeField_, verify_, export_, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    auto* labelA = new QLabel(Texts::tr("文件A(&A)："), this);
    labelA->setBuddy(fileA_);
    auto* labelB = new QLabel(Texts::tr("文件B(&B)："), this);
    labelB->setBuddy(fileB_);
    grid->addWidget(labelA, 0, 0);
    grid->addWidget(fileA_, 0, 1);
    grid->addWidget(browseA, 0, 2);
    grid->addWidget(new QLabel(Texts::tr("BIN文件起始地址(0x)："), this), 0, 3);
    grid->addWidget(baseA_, 0, 4);
    grid->addWidget(labelB, 1, 0);
    grid->addWidget(fileB_, 1, 1);
    grid->addWidget(browseB, 1, 2);
    grid->addWidget(new QLabel(Texts::tr("BIN文件起始地址(0x)："), this), 1, 3);
    grid->addWidget(baseB_, 1, 4);
    auto* options = new QHBoxLayout;
    auto* rangeLabel = new QLabel(Texts::tr("比较范围(&G)(0x)："), this);
    rangeLabel->setBuddy(range_);
    auto* fillLabel = new QLabel(Texts::tr("空白处按(&F)(0x)："), this);
    fillLabel->setBuddy(fill_);
    options->addWidget(rangeLabel);
    options->addWidget(range_);
    options->addSpacing(16);
    options->addWidget(fillLabel);
    options->addWidget(fill_);
    options->addWidget(new QLabel(Texts::tr("（只在一个文件中有数据的地址，按此字节与另一个文件比较）"), this));
    options->addStretch(1);
    options->addWidget(compare_);
    grid->addLayout(options, 2, 0, 1, 5);
    grid->setColumnStretch(1, 1);

    auto* comparison = new QGridLayout(comparePage);
    comparison->addWidget(bands_, 0, 0, 1, 2);
    comparison->addWidget(rangeTable_, 1, 0);
    comparison->addWidget(bytesTable_, 1, 1);
    comparison->addWidget(new QLabel(Texts::tr("每行16字节，左为文件A，右为文件B；不同的字节标为红色，灰色为范围之外或文件中没有的地址。"),
                                     comparePage),
                          2, 0, 1, 2);
    comparison->addWidget(bytesNote_, 3, 0, 1, 2);
    comparison->addWidget(summary_, 4, 0, 1, 2);
    comparison->setColumnStretch(0, 1);
    comparison->setRowStretch(1, 1);

    auto* checkGrid = new QGridLayout(check);
    auto* choices = new QHBoxLayout;
    choices->addWidget(fromMerge_);
    choices->addWidget(typed_);
    choices->addStretch(1);
    checkGrid->addLayout(choices, 0, 0, 1, 2);
    checkGrid->addWidget(mergeNote, 1, 0, 1, 2);
    checkGrid->addWidget(editor_, 2, 0);
    auto* typedSide = new QVBoxLayout;
    typedSide->addWidget(typedList_);
    auto* typedButtons = new QHBoxLayout;
    typedButtons->addWidget(addField_);
    typedButtons->addWidget(removeField_);
    typedButtons->addStretch(1);
    typedSide->addLayout(typedButtons);
    checkGrid->addLayout(typedSide, 2, 1);
    auto* verifyRow = new QHBoxLayout;
    verifyRow->addWidget(verify_);
    verifyRow->addWidget(verifySummary_, 1);
    checkGrid->addLayout(verifyRow, 3, 0, 1, 2);
    checkGrid->addWidget(verifyTable_, 4, 0, 1, 2);
    checkGrid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(export_);
    buttons->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 16);
    column->setSpacing(10);
    column->addWidget(hint);
    column->addLayout(grid);
    tabs_->addTab(comparePage, Texts::tr("比较结果"));
    tabs_->addTab(check, Texts::tr("校验文件A中的字段"));
    column->addWidget(tabs_, 1);
    column->addLayout(buttons);

    connect(compare_, &QPushButton::clicked, this, [this] {
        tabs_->setCurrentIndex(0);
        Compare();
    });
    connect(verify_, &QPushButton::clicked, this, [this] { Verify(); });
    connect(export_, &QPushButton::clicked, this, [this] { Export(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(addField_, &QPushButton::clicked, this, [this] { AddTypedField(); });
    connect(removeField_, &QPushButton::clicked, this, [this] {
        const int row = typedList_->currentRow();
        if (row < 0 || row >= static_cast<int>(typedFields_.size())) return;
        typedFields_.erase(typedFields_.begin() + row);
        delete typedList_->takeItem(row);
    });
    connect(fromMerge_, &QRadioButton::toggled, this, [this] { ShowFieldChoice(); });
    connect(bands_, &CompareBands::rangeClicked, this, [this](int range) { SelectRange(range); });
    connect(rangeTable_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) SelectRange(current.row());
            });
    // What is shown belongs to the files shown: a change of an input clears it.
    for (QLineEdit* e : {fileA_, baseA_, fileB_, baseB_, range_, fill_})
        connect(e, &QLineEdit::textEdited, this, [this] {
            comparison_.reset();
            a_.reset();
            b_.reset();
            ranges_->Set(nullptr);
            bytes_->Set(nullptr, nullptr, std::nullopt, nullptr);
            bands_->SetComparison(nullptr);
            summary_->clear();
            bytesNote_->clear();
        });
    ShowFieldChoice();
    resize(sizeHint().width(), std::max(sizeHint().height(), 640));
}

CDlg_Compare::~CDlg_Compare() = default;

void CDlg_Compare::ShowFieldChoice() {
    const bool typed = typed_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{editor_, typedList_, addField_, removeField_}) w->setEnabled(typed);
}

void CDlg_Compare::keyPressEvent(QKeyEvent* event) {
    // No button is the default: Enter presses the focused one.
    if (!PressFocusedButtonOnEnter(this, event)) QDialog::keyPressEvent(event);
}

std::optional<uint32_t> CDlg_Compare::BaseOf(QLineEdit* edit, const char* what) {
    const std::string text = edit->text().toStdString();
    if (text.empty()) return 0;
    const std::optional<uint64_t> v = ParseHexNumber(text, 8);
    if (!v) {
        ShowNotice(prompts_, Format(Localized(kCompareBadNumberFormat), what, 8));
        ExplainFailure(prompts_, 0, "", "the base address takes 1 to 8 hex digits");
        edit->setFocus();
        return std::nullopt;
    }
    return static_cast<uint32_t>(*v);
}

std::optional<CompareOptions> CDlg_Compare::OptionsOf() {
    CompareOptions o;
    o.samples = kReportSamples;
    const std::string fill = fill_->text().toStdString();
    if (!fill.empty()) {
        const std::optional<uint64_t> v = ParseHexNumber(fill, 2);
        if (!v) {
            ShowNotice(prompts_, Format(Localized(kCompareBadNumberFormat), Localized("空白处的填充数据"), 2));
            ExplainFailure(prompts_, 0, "", "the fill byte takes 1 or 2 hex digits");
            fill_->setFocus();
            return std::nullopt;
        }
        o.fill = static_cast<uint8_t>(*v);
    }
    const std::string range = range_->text().trimmed().toStdString();
    if (!range.empty()) {
        const size_t dash = range.find('-');
        const std::optional<uint64_t> from = dash == std::string::npos ? std::nullopt : ParseHexNumber(range.substr(0, dash), 8);
        const std::optional<uint64_t> last = dash == std::string::npos ? std::nullopt : ParseHexNumber(range.substr(dash + 1), 8);
        if (!from || !last || *last < *from) {
            ShowNotice(prompts_, Localized(kCompareBadRangeMessage));
            ExplainFailure(prompts_, 0, "", "the range is START-END in hex, END not below START");
            range_->setFocus();
            return std::nullopt;
        }
        o.from = static_cast<uint32_t>(*from);
        o.to = *last + 1;
    }
    return o;
}

std::optional<LoadedImage> CDlg_Compare::Load(QLineEdit* path, QLineEdit* base, const char* which) {
    const std::optional<uint32_t> at = BaseOf(base, which);
    if (!at) return std::nullopt;
    LoadedImage loaded = LoadImageFile(path->text().toStdString(), *at);
    if (!loaded.ok) {
        ShowNotice(prompts_, Format(Localized(kCompareReadFailedFormat), loaded.path.c_str()));
        ExplainFailure(prompts_, 0, loaded.path, loaded.reason);
        return std::nullopt;
    }
    return loaded;
}

bool CDlg_Compare::Compare() {
    if (fileA_->text().isEmpty() || fileB_->text().isEmpty()) {
        ShowNotice(prompts_, Localized(kCompareNoFileMessage));
        ExplainFailure(prompts_, 0, "", "two files are needed, A and B");
        (fileA_->text().isEmpty() ? fileA_ : fileB_)->setFocus();
        return false;
    }
    const std::optional<CompareOptions> options = OptionsOf();
    if (!options) return false;
    std::optional<LoadedImage> a = Load(fileA_, baseA_, Localized("文件A的起始地址"));
    if (!a) return false;
    std::optional<LoadedImage> b = Load(fileB_, baseB_, Localized("文件B的起始地址"));
    if (!b) return false;
    a_ = std::make_shared<const LoadedImage>(std::move(*a));
    b_ = std::make_shared<const LoadedImage>(std::move(*b));
    options_ = *options;
    comparison_ = CompareImages(a_->image, b_->image, options_);
    ranges_->Set(&comparison_->ranges);
    bands_->SetComparison(&comparison_->ranges);
    const CompareTotals& t = comparison_->totals;
    QString text = t.equal() ? Texts::tr("两个文件的内容相同：%1字节。").arg(t.same)
                             : Texts::tr("两个文件的内容不同：%1字节不同（%2处），仅A有%3字节（%4处），仅B有%5字节（%6处），%7字节相同。")
                                   .arg(t.differing)
                                   .arg(t.differRanges)
                                   .arg(t.onlyA)
                                   .arg(t.onlyARanges)
                                   .arg(t.onlyB)
                                   .arg(t.onlyBRanges)
                                   .arg(t.same);
    for (const LoadedImage* side : {a_.get(), b_.get()})
        for (const std::string& w : side->warnings)
            text += Texts::tr("\n注意：%1：%2").arg(QString::fromStdString(side->path), QString::fromStdString(ShownReason(w)));
    summary_->setText(text);
    // The first range that is not the same, else the first.
    int first = comparison_->ranges.empty() ? -1 : 0;
    for (size_t i = 0; i < comparison_->ranges.size(); ++i)
        if (comparison_->ranges[i].kind != CompareKind::Same) {
            first = static_cast<int>(i);
            break;
        }
    SelectRange(first);
    return true;
}

void CDlg_Compare::SelectRange(int range) {
    if (!comparison_ || range < 0 || static_cast<size_t>(range) >= comparison_->ranges.size()) {
        bytes_->Set(nullptr, nullptr, std::nullopt, nullptr);
        bands_->SetSelected(-1);
        bytesNote_->clear();
        return;
    }
    const CompareRange& r = comparison_->ranges[static_cast<size_t>(range)];
    bytes_->Set(&a_->image, &b_->image, options_.fill, &r);
    bands_->SetSelected(range);
    const QModelIndex index = ranges_->index(range, 0);
    if (rangeTable_->currentIndex().row() != range) {
        rangeTable_->setCurrentIndex(index);
        rangeTable_->selectRow(range);
    }
    rangeTable_->scrollTo(index);
    bytesNote_->setText(bytes_->Cut() ? Texts::tr("%1（只显示前1 MiB）").arg(RangeTip(r)) : RangeTip(r));
}

void CDlg_Compare::AddTypedField() {
    QString problem;
    const std::optional<FieldSpec> f = editor_->Field(&problem);
    if (!f) {
        ShowNotice(prompts_, problem.toStdString());
        return;
    }
    typedFields_.push_back(*f);
    typedList_->addItem(QString::fromStdString(Format(Localized("%s  @0x%08X  范围0x%08X-0x%08X  %s"), f->Name().c_str(), f->at,
                                                      f->start, f->end, Localized(f->bigEndian ? "大端" : "小端"))));
    typedList_->setCurrentRow(typedList_->count() - 1);
}

bool CDlg_Compare::Verify() {
    if (fileA_->text().isEmpty()) {
        ShowNotice(prompts_, Localized(kCompareNoImageMessage));
        ExplainFailure(prompts_, 0, "", "no image file was chosen");
        fileA_->setFocus();
        return false;
    }
    const bool typed = typed_->isChecked();
    // The field in the editor counts when none was added to the list.
    std::vector<FieldSpec> fields = typed ? typedFields_ : mergeFields_;
    if (typed && fields.empty()) {
        QString problem;
        const std::optional<FieldSpec> f = editor_->Field(&problem);
        if (!f) {
            ShowNotice(prompts_, problem.toStdString());
            return false;
        }
        fields.push_back(*f);
    }
    if (fields.empty()) {
        ShowNotice(prompts_, Localized(kCompareNoFieldMessage));
        ExplainFailure(prompts_, 0, "", "no field was given");
        return false;
    }
    uint8_t fill = 0xFF;
    if (!fill_->text().isEmpty()) {
        const std::optional<CompareOptions> o = OptionsOf();
        if (!o) return false;
        fill = o->fill.value_or(0xFF);
    }
    const std::optional<LoadedImage> a = Load(fileA_, baseA_, Localized("文件A的起始地址"));
    if (!a) return false;
    {
        // The merge's fields from where they lie in file A; the words of
        // either name A's image before the fields at its end.
        std::string why;
        const std::optional<std::vector<FieldSpec>> moved =
            FieldsOfImage(fields, !typed && mergePositions_, a->image, &why);
        if (!moved) {
            ShowNotice(prompts_, Localized(kCompareBadFieldsMessage));
            ExplainFailure(prompts_, 0, a->path, why);
            return false;
        }
        fields = *moved;
    }
    if (const std::optional<std::string> problem = VerifyFieldsProblem(fields)) {
        ShowNotice(prompts_, Localized(kCompareBadFieldsMessage));
        ExplainFailure(prompts_, 0, "", *problem);
        return false;
    }
    const std::vector<FieldCheck> checks = VerifyFields(a->image, fill, fields);
    verifyTable_->setRowCount(static_cast<int>(checks.size()));
    size_t wrong = 0;
    for (size_t i = 0; i < checks.size(); ++i) {
        const FieldCheck& c = checks[i];
        const FieldSpec& f = c.field;
        const int row = static_cast<int>(i);
        const QString cells[] = {QString::fromStdString(f.Name()), Hex8(f.at),
                                 QStringLiteral("%1-%2").arg(Hex8(f.start), Hex8(f.end)),
                                 c.stored ? QString::fromStdString(c.storedText) : Texts::tr("（文件中没有）"),
                                 QString::fromStdString(c.computed.valueText),
                                 c.matches() ? Texts::tr("一致") : Texts::tr("不一致")};
        for (int col = 0; col < 6; ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 5) item->setForeground(c.matches() ? QColor(0x2E, 0x7D, 0x32) : QColor(0xC6, 0x28, 0x28));
            verifyTable_->setItem(row, col, item);
        }
        wrong += c.matches() ? 0 : 1;
    }
    verifyTable_->resizeColumnsToContents();
    verifySummary_->setText(wrong ? Texts::tr("%1个字段不一致。").arg(wrong)
                                  : Texts::tr("全部%1个字段一致。").arg(checks.size()));
    verifyReport_ = VerifyReportText(a->path, checks);
    return wrong == 0;
}

std::string CDlg_Compare::ReportText() const {
    std::string text;
    if (comparison_ && a_ && b_) text = CompareReportText(SideOf(*a_), SideOf(*b_), options_, *comparison_);
    if (verifyReport_) text += (text.empty() ? "" : "\n") + *verifyReport_;
    return text;
}

void CDlg_Compare::Export() {
    const std::string text = ReportText();
    if (text.empty()) {
        ShowNotice(prompts_, Localized(kCompareNothingToExportMessage));
        return;
    }
    FileDialog dialog;
    dialog.filter = Localized(kCompareReportFilter);
    dialog.defaultExtension = "txt";
    dialog.proposedName = Localized("比较报告.txt");
    dialog.overwritePrompt = true;
    dialog.kind = FileKind::CompareReport;
    const std::optional<std::string> path = prompts_.SaveFile(dialog);
    if (!path) return;
    if (!WriteWholeFile(*path, text.data(), text.size())) {
        const std::string problem = FileProblem(*path, FileUse::Write);
        ShowStop(prompts_, Format(Localized(kCompareExportFailedFormat), path->c_str()));
        ExplainFailure(prompts_, 0, *path, problem);
        return;
    }
    ShowInformation(prompts_, Format(Localized(kCompareExportedFormat), path->c_str()));
}

}  // namespace torvane::ui
