#pragma once

#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <optional>

#include "core/memory_map.h"
#include "core/memory_map_format.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace torvane {
class Prompts;
class Workspace;
}  // namespace torvane

namespace torvane::ui {

// The band of one map: every range in its colour, fill hatched with its byte,
// overlaps in red, address ticks below; hovering a range names it.
class MemoryBand : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBandHeightHint = 56;
    explicit MemoryBand(QWidget* parent = nullptr);
    void SetMap(const MergeMap& map);
    const MergeMap& map() const { return map_; }
    // The range under a point of the widget, -1 for none.
    int RangeAt(const QPoint& point) const;
    // What the tooltip says of range i.
    QString Describe(int i) const;
    // Draws the band into `painter` over `area` (the export uses it too).
    void Paint(QPainter& painter, const QRect& area) const;

    QSize sizeHint() const override { return QSize(900, 8 + kBandHeightHint + BelowBand(fontMetrics())); }
    // The font of the addresses under the band: the widget's own.
    QFont TickFont() const;
    // The room under the band: its ticks, addresses and note.
    static int BelowBand(const QFontMetrics& metrics);

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;

private:
    QRect BandRect() const;
    MergeMap map_;
    BandLayout band_;
};

// "内存分布图": the map of the merge the selected rows would make (before it
// runs, with the answers the user picks for its questions), of the last merge
// that ran, or of one HEX row's own segments; a table lists the same ranges.
// The picture can be saved as PNG or SVG.
class CMemoryMapDlg : public QDialog {
    Q_OBJECT
public:
    CMemoryMapDlg(Workspace& ws, Prompts& prompts, QWidget* parent = nullptr);

    // The views the first list offers, in its order.
    enum class Source { Preview, LastMerge, HexRow };
    // Shows the preview, the last merge or HEX row `row` (0..5).
    void ShowSource(Source source, int row = -1);
    const MergeMap& shown() const { return band_->map(); }
    MemoryBand* band() const { return band_; }
    QTableWidget* table() const { return table_; }
    QLabel* notes() const { return notes_; }

    // The exports, to a chosen path (the buttons ask for one).
    bool SavePng(const QString& path) const;
    // The PNG export's picture: heading with the image size, band and legend.
    QImage Picture() const;
    bool SaveSvg(const QString& path) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
    // Asks for a path and saves the picture there.
    void Export(bool svg);
    void FillTable(const MergeMap& map, bool hexSegments);
    MergeAnswers Answers() const;

    Workspace& ws_;
    Prompts& prompts_;
    QComboBox* source_;
    QComboBox* overlap_;
    QComboBox* oversize_;
    MemoryBand* band_;
    QTableWidget* table_;
    QLabel* notes_;
    QPushButton* png_;
    QPushButton* svg_;
    bool hexView_ = false;
};

}  // namespace torvane::ui
