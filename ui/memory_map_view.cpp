#include "ui/memory_map_view.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/chinese_reasons.h"
#include "core/memory_map_legend.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "widgets/point_font.h"
#include "widgets/key_filter.h"
#include "widgets/texts.h"

namespace torvane::ui {
namespace {

constexpr int kMargin = 12;
constexpr int kBandHeight = MemoryBand::kBandHeightHint;
constexpr double kMinPiece = 6;

QString Hex8(int64_t value) { return QString::fromStdString(Format("0x%08X", static_cast<uint32_t>(value))); }

QString NameOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

QColor Colour(const char* rgb) { return QColor(QString::fromLatin1(rgb)); }

QString ByteText(uint8_t byte) { return QString::fromStdString(Format("0x%02X", byte)); }

QBrush RangeBrush(const MapRange& r) {
    switch (r.kind) {
        case RangeKind::Fill: return QBrush(QColor(140, 140, 140), Qt::BDiagPattern);
        case RangeKind::Overlap: return QBrush(Colour(kOverlapColour));
        case RangeKind::Field: return QBrush(Colour(kFieldColour));
        // A gap inside a file: the file's colour, striped over a pale ground.
        case RangeKind::Gap: return QBrush(Colour(RowColour(r.row)), Qt::BDiagPattern);
        case RangeKind::File: break;
    }
    return QBrush(Colour(RowColour(r.row)));
}

// The ground under a range's brush, where the brush is a pattern.
std::optional<QColor> RangeGround(const MapRange& r) {
    if (r.kind == RangeKind::Fill) return Colour(kFillColour);
    if (r.kind == RangeKind::Gap) return Colour(RowColour(r.row)).lighter(170);
    return std::nullopt;
}

QString Label(const MapRange& r) {
    switch (r.kind) {
        case RangeKind::Fill: return ByteText(r.fill);
        case RangeKind::Overlap: return QStringLiteral("%1/%2").arg(r.coveredRow).arg(r.row);
        case RangeKind::Field: return Texts::tr("校验值");
        case RangeKind::Gap: return Texts::tr("空隙 %1").arg(ByteText(r.fill));
        case RangeKind::File: break;
    }
    return QStringLiteral("%1 %2").arg(r.row).arg(NameOf(r.path));
}

}  // namespace

MemoryBand::MemoryBand(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumHeight(8 + kBandHeight + BelowBand(fontMetrics()));
}

QFont MemoryBand::TickFont() const { return font(); }

int MemoryBand::BelowBand(const QFontMetrics& metrics) {
    // The ticks, a line of addresses and a line of note under them.
    return 6 + 2 * metrics.lineSpacing() + 6;
}

void MemoryBand::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) setMinimumHeight(8 + kBandHeight + BelowBand(fontMetrics()));
    QWidget::changeEvent(e);
}

void MemoryBand::SetMap(const MergeMap& map) {
    map_ = map;
    band_ = ComputeBand(map_, std::max(1, BandRect().width()), kMinPiece);
    update();
}

QRect MemoryBand::BandRect() const { return QRect(kMargin, 8, width() - 2 * kMargin, kBandHeight); }

int MemoryBand::RangeAt(const QPoint& point) const {
    const QRect area = BandRect();
    if (!area.contains(point)) return -1;
    const BandLayout band = ComputeBand(map_, area.width(), kMinPiece);
    const double x = point.x() - area.left();
    for (size_t i = 0; i < band.pieces.size(); ++i) {
        if (x >= band.pieces[i].x && x < band.pieces[i].x + band.pieces[i].width) return static_cast<int>(i);
    }
    return -1;
}

QString MemoryBand::Describe(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= map_.ranges.size()) return QString();
    const MapRange& r = map_.ranges[static_cast<size_t>(i)];
    QString source;
    switch (r.kind) {
        case RangeKind::Fill:
            source = Texts::tr("填充数据 0x%1").arg(QStringLiteral("%1").arg(r.fill, 2, 16, QLatin1Char('0')).toUpper());
            break;
        case RangeKind::File:
            source = Texts::tr("文件%1：%2（文件内偏移 %3）")
                         .arg(r.row)
                         .arg(QString::fromStdString(r.path), Hex8(r.sourceOffset));
            break;
        case RangeKind::Field: {
            const MapField& field = map_.fields.at(static_cast<size_t>(r.field));
            source = Texts::tr("校验值 %1 %2，校验范围 %3-%4")
                         .arg(QString::fromStdString(field.name), QString::fromStdString(field.value),
                              Hex8(map_.Address(field.start)), Hex8(map_.Address(field.end)));
            break;
        }
        case RangeKind::Overlap:
            source = Texts::tr("重叠：文件%1覆盖了文件%2，保留文件%1的数据：%3（文件内偏移 %4）")
                         .arg(r.row)
                         .arg(r.coveredRow)
                         .arg(QString::fromStdString(r.path), Hex8(r.sourceOffset));
            break;
        case RangeKind::Gap:
            source = Texts::tr("文件%1的记录之间的空隙，填充 %2：%3（文件内偏移 %4）")
                         .arg(r.row)
                         .arg(ByteText(r.fill), QString::fromStdString(r.path), Hex8(r.sourceOffset));
            break;
    }
    return Texts::tr("起始地址：%1\n结束地址：%2\n大小：%3 字节\n来源：%4")
        .arg(Hex8(map_.Address(r.start)), Hex8(map_.Address(r.end)))
        .arg(r.size())
        .arg(source);
}

void MemoryBand::Paint(QPainter& p, const QRect& area) const {
    // The addresses are read as the window's text is: in its font, never smaller.
    const QFont small = TickFont();
    const QFontMetrics tick(small);
    p.fillRect(area.adjusted(-kMargin, -8, kMargin, BelowBand(tick)), Qt::white);
    const BandLayout band = ComputeBand(map_, area.width(), kMinPiece);
    // Room for one address and a gap before the next.
    const int labelRoom = tick.horizontalAdvance(QStringLiteral("0x00000000")) + tick.averageCharWidth() * 2;
    const int labelBaseline = area.bottom() + 6 + tick.ascent() + 1;
    // The end address stands at the right edge; a range's address keeps clear of it.
    const int endRoom = map_.ranges.empty() ? 0 : tick.horizontalAdvance(Hex8(map_.Address(map_.ranges.back().end + 1)));
    int lastLabel = -1000;
    for (size_t i = 0; i < map_.ranges.size(); ++i) {
        const MapRange& r = map_.ranges[i];
        const QRectF piece(area.left() + band.pieces[i].x, area.top(), band.pieces[i].width, area.height());
        if (const std::optional<QColor> ground = RangeGround(r)) p.fillRect(piece, *ground);
        p.fillRect(piece, RangeBrush(r));
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(piece.topLeft(), piece.bottomLeft());
        const QString label = Label(r);
        p.setPen(r.kind == RangeKind::Fill || r.kind == RangeKind::Gap ? Qt::black : Qt::white);
        if (p.fontMetrics().horizontalAdvance(label) + 6 <= piece.width()) p.drawText(piece, Qt::AlignCenter, label);
        // An address tick at every range's start, labelled where there is room.
        const int x = static_cast<int>(piece.left());
        p.setPen(Qt::black);
        p.drawLine(x, area.bottom() + 1, x, area.bottom() + 6);
        if (x - lastLabel >= labelRoom && x + labelRoom <= area.right() - endRoom) {
            p.setFont(small);
            p.drawText(QPoint(x, labelBaseline), Hex8(map_.Address(r.start)));
            p.setFont(font());
            lastLabel = x;
        }
    }
    if (!map_.ranges.empty()) {
        p.setPen(Qt::black);
        p.drawLine(area.right(), area.bottom() + 1, area.right(), area.bottom() + 6);
        p.setFont(small);
        const QString end = Hex8(map_.Address(map_.ranges.back().end + 1));
        p.drawText(QPoint(area.right() - p.fontMetrics().horizontalAdvance(end), labelBaseline), end);
        p.setFont(font());
    }
    if (band.broken) {
        p.setFont(small);
        p.setPen(Qt::darkGray);
        p.drawText(QPoint(area.left(), labelBaseline + tick.lineSpacing()), Texts::tr("刻度未按比例：小的区段已放大显示"));
        p.setFont(font());
    }
}

void MemoryBand::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Paint(p, BandRect());
}

bool MemoryBand::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int i = RangeAt(help->pos());
        if (i < 0) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), Describe(i), this);
        }
        return true;
    }
    if (e->type() == QEvent::Resize) band_ = ComputeBand(map_, std::max(1, BandRect().width()), kMinPiece);
    return QWidget::event(e);
}

CMemoryMapDlg::CMemoryMapDlg(Workspace& ws, Prompts& prompts, QWidget* parent)
    : QDialog(parent), ws_(ws), prompts_(prompts) {
    setObjectName(QStringLiteral("memoryMap"));
    setWindowTitle(Texts::tr("内存分布图"));
    // As large again as the fonts are at the desktop's scale.
    resize(QSize(960, 560) * PointFontScale());

    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("source"));
    source_->addItem(Texts::tr("合并预览（按当前选中的文件）"), QVariant::fromValue(static_cast<int>(Source::Preview) * 10));
    if (ws_.LastMergeMap) {
        source_->addItem(Texts::tr("上次合并的结果"), QVariant::fromValue(static_cast<int>(Source::LastMerge) * 10));
    }
    for (int row = 0; row < kRowCount; ++row) {
        const std::string& name = ws_.rows().Controls(row).FileNameText;
        if (name.empty() || FileTypeOf(name) != kHexFile) continue;
        source_->addItem(Texts::tr("文件%1的%2分段：%3").arg(row + 1).arg(QString::fromLatin1(RowFormatWord(name)), NameOf(name)),
                         QVariant::fromValue(static_cast<int>(Source::HexRow) * 10 + row));
    }
    overlap_ = new QComboBox(this);
    overlap_->setObjectName(QStringLiteral("overlap"));
    overlap_->addItems({Texts::tr("强制插入"), Texts::tr("追加到上一文件之后"), Texts::tr("取消合并")});
    oversize_ = new QComboBox(this);
    oversize_->setObjectName(QStringLiteral("oversize"));
    oversize_->addItems({Texts::tr("追加到上一文件之后"), Texts::tr("取消合并")});

    band_ = new MemoryBand(this);
    band_->setObjectName(QStringLiteral("band"));
    notes_ = new QLabel(this);
    notes_->setObjectName(QStringLiteral("notes"));
    notes_->setWordWrap(true);
    notes_->setStyleSheet(QStringLiteral("color: #B71C1C"));
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("ranges"));
    table_->setColumnCount(5);
    table_->setHorizontalHeaderLabels({Texts::tr("起始地址"), Texts::tr("结束地址"), Texts::tr("大小（字节）"),
                                       Texts::tr("类型"), Texts::tr("来源")});
    // The columns share the table's width; the source column takes what is left.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab leaves the table for the buttons instead of walking its cells.
    table_->setTabKeyNavigation(false);

    png_ = new QPushButton(Texts::tr("导出PNG..."), this);
    svg_ = new QPushButton(Texts::tr("导出SVG..."), this);
    auto* close = new QPushButton(Texts::tr("关闭"), this);
    png_->setObjectName(QStringLiteral("exportPng"));
    svg_->setObjectName(QStringLiteral("exportSvg"));
    close->setObjectName(QStringLiteral("close"));
    for (QPushButton* b : {png_, svg_, close}) b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Texts::tr("显示："), this));
    top->addWidget(source_, 1);
    top->addSpacing(16);
    top->addWidget(new QLabel(Texts::tr("重叠时："), this));
    top->addWidget(overlap_);
    top->addWidget(new QLabel(Texts::tr("超过6M时："), this));
    top->addWidget(oversize_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(png_);
    buttons->addWidget(svg_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(band_);
    layout->addWidget(notes_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    connect(source_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(overlap_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(oversize_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(png_, &QPushButton::clicked, this, [this] { Export(false); });
    connect(svg_, &QPushButton::clicked, this, [this] { Export(true); });
    Refresh();
}

void CMemoryMapDlg::keyPressEvent(QKeyEvent* event) {
    // No button is the default: Enter presses the focused one.
    if (!PressFocusedButtonOnEnter(this, event)) QDialog::keyPressEvent(event);
}

void CMemoryMapDlg::Export(bool svg) {
    FileDialog d;
    d.filter = svg ? Localized("SVG图片(*.svg)|*.svg||") : Localized("PNG图片(*.png)|*.png||");
    d.defaultExtension = svg ? "svg" : "png";
    d.proposedName = "MemoryMap";
    d.overwritePrompt = true;
    const std::optional<std::string> path = prompts_.SaveFile(d);
    if (!path) return;
    const QString target = QString::fromStdString(*path);
    if (!(svg ? SaveSvg(target) : SavePng(target))) ShowNotice(prompts_, Texts::tr("图片保存失败！").toStdString());
}

MergeAnswers CMemoryMapDlg::Answers() const {
    MergeAnswers a;
    a.overlap = static_cast<MergeAnswers::Overlap>(std::max(0, overlap_->currentIndex()));
    a.oversize = static_cast<MergeAnswers::Oversize>(std::max(0, oversize_->currentIndex()));
    return a;
}

void CMemoryMapDlg::ShowSource(Source source, int row) {
    const int wanted = static_cast<int>(source) * 10 + (source == Source::HexRow ? row : 0);
    const int index = source_->findData(QVariant::fromValue(wanted));
    if (index >= 0) source_->setCurrentIndex(index);
    Refresh();
}

void CMemoryMapDlg::Refresh() {
    const int choice = source_->currentData().toInt();
    const Source source = static_cast<Source>(choice / 10);
    hexView_ = source == Source::HexRow;
    overlap_->setEnabled(source == Source::Preview);
    oversize_->setEnabled(source == Source::Preview);
    QStringList notes;
    MergeMap map;
    if (source == Source::HexRow) {
        const std::string& path = ws_.rows().Controls(choice % 10).FileNameText;
        const std::optional<std::vector<uint8_t>> text = ReadWholeFile(path, kHexImageSize * 4);
        if (!text) {
            notes << Texts::tr("文件%1打开失败！").arg(choice % 10 + 1);
        } else {
            const HexFileInfo info = InspectHex(*text, path);
            // The gaps hold what the row's BIN file would hold there.
            const int row = choice % 10;
            const uint8_t gapFill = ws_.HexGapFill == GapFill::RowFill
                                        ? FillByte(ws_.rows().Controls(row).PolishDataIndex == 1 ? 1 : 0)
                                        : uint8_t{0x00};
            map = HexSegmentsMap(info, row + 1, path, gapFill);
            notes << Texts::tr("最低地址 %1，共 %2 个数据段").arg(Hex8(info.decoded.LowestAddress)).arg(info.segments.size());
            if (info.decoded.fault != HexFault::None) {
                // The reason names the line itself ("第3行：...").
                notes << Texts::tr("解析停止：%1")
                             .arg(QString::fromStdString(ShownReason(HexFaultReason(info.decoded))));
            }
        }
    } else {
        map = source == Source::LastMerge && ws_.LastMergeMap ? *ws_.LastMergeMap : PlanMerge(ws_, Answers());
        for (const MapNote& note : map.leftOut) notes << Texts::tr("文件%1不在合并文件中。").arg(note.row);
        if (map.stopped) {
            // A stop at no row: too few files, fields the merge refuses, or
            // an image without a file left out that is not to be written.
            notes << (map.stopped->row > 0 ? Texts::tr("合并将在文件%1处中止，不会生成合并文件。").arg(map.stopped->row)
                      : map.stopped->reason == kTooFewFilesReason
                          ? Texts::tr("请选择至少两个目标文件！")
                          : Texts::tr("不会生成合并文件：%1").arg(QString::fromStdString(ShownReason(map.stopped->reason))));
        } else {
            notes.prepend(map.base != 0 ? Texts::tr("合并文件大小：%1 字节，起始地址 %2").arg(map.imageSize).arg(Hex8(map.base))
                                        : Texts::tr("合并文件大小：%1 字节").arg(map.imageSize));
        }
    }
    notes_->setText(notes.join(QLatin1Char('\n')));
    notes_->setStyleSheet(map.Complete() || hexView_ ? QStringLiteral("color: #1B5E20")
                                                     : QStringLiteral("color: #B71C1C"));
    band_->SetMap(map);
    FillTable(map, hexView_);
}

void CMemoryMapDlg::FillTable(const MergeMap& map, bool hexSegments) {
    table_->setRowCount(static_cast<int>(map.ranges.size()));
    for (size_t i = 0; i < map.ranges.size(); ++i) {
        const MapRange& r = map.ranges[i];
        QString kind;
        QString source;
        switch (r.kind) {
            case RangeKind::File:
                kind = hexSegments ? Texts::tr("数据段") : Texts::tr("文件%1").arg(r.row);
                source = QString::fromStdString(r.path);
                break;
            case RangeKind::Fill:
                kind = hexSegments ? Texts::tr("空白") : Texts::tr("填充");
                source = QStringLiteral("0x%1").arg(r.fill, 2, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("0X"), QStringLiteral("0x"));
                break;
            case RangeKind::Overlap:
                kind = Texts::tr("重叠");
                source = Texts::tr("文件%1覆盖文件%2：%3").arg(r.row).arg(r.coveredRow).arg(QString::fromStdString(r.path));
                break;
            case RangeKind::Gap:
                kind = Texts::tr("文件%1内的空隙").arg(r.row);
                source = Texts::tr("填充 %1：%2").arg(ByteText(r.fill), QString::fromStdString(r.path));
                break;
            case RangeKind::Field: {
                const MapField& field = map.fields.at(static_cast<size_t>(r.field));
                kind = Texts::tr("校验值");
                source = Texts::tr("%1 %2，范围 %3-%4")
                             .arg(QString::fromStdString(field.name), QString::fromStdString(field.value),
                                  Hex8(map.Address(field.start)), Hex8(map.Address(field.end)));
                break;
            }
        }
        const QStringList cells = {Hex8(map.Address(r.start)), Hex8(map.Address(r.end)), QString::number(r.size()), kind, source};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r.kind == RangeKind::Overlap) item->setForeground(Colour(kOverlapColour));
            table_->setItem(static_cast<int>(i), c, item);
        }
    }
}

QImage CMemoryMapDlg::Picture() const {
    // The SVG export's page: the heading, the band, then one legend line per
    // range and per row left out.
    constexpr int kWidth = 1000, kLeft = 20, kTop = 40, kLineHeight = 22;
    const MergeMap& map = band_->map();
    const std::vector<MapLegendLine> legend = MapLegend(map);
    const int height = kTop + kBandHeight + 120 + kLineHeight * static_cast<int>(legend.size());
    QImage image(kWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont text = band_->font();
    text.setPixelSize(12);
    QFont heading = text;
    heading.setPixelSize(14);
    const QRect band(kLeft, kTop, kWidth - 2 * kLeft, kBandHeight);
    p.setFont(text);
    band_->Paint(p, band);
    p.setFont(heading);
    p.setPen(Qt::black);
    const bool broken = ComputeBand(map, band.width(), kMinPiece).broken;
    p.drawText(QPoint(kLeft, 24), QString::fromStdString(MapHeading(map, broken)));
    p.setFont(text);
    int y = kTop + kBandHeight + 60;
    for (const MapLegendLine& line : legend) {
        if (line.leftOut) {
            p.setPen(Colour(kOverlapColour));
            p.drawText(QPoint(kLeft, y), QString::fromStdString(line.what));
        } else {
            MapRange swatch;
            swatch.kind = line.kind;
            swatch.row = line.row;
            const QRect box(kLeft, y - 10, 12, 12);
            if (const std::optional<QColor> ground = RangeGround(swatch)) p.fillRect(box, *ground);
            p.fillRect(box, RangeBrush(swatch));
            p.setPen(Qt::black);
            p.drawText(QPoint(kLeft + 20, y), QString::fromStdString(line.addresses));
            const QString size = QString::fromStdString(line.size);
            p.drawText(QPoint(kLeft + 330 - p.fontMetrics().horizontalAdvance(size), y), size);
            p.drawText(QPoint(kLeft + 350, y), QString::fromStdString(line.what));
        }
        y += kLineHeight;
    }
    p.end();
    return image;
}

bool CMemoryMapDlg::SavePng(const QString& path) const { return Picture().save(path, "PNG"); }

bool CMemoryMapDlg::SaveSvg(const QString& path) const {
    const std::string svg = MergeMapSvg(band_->map());
    return WriteWholeFile(path.toStdString(), svg.data(), svg.size());
}

}  // namespace torvane::ui
