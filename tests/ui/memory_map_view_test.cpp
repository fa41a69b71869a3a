#include "ui/memory_map_view.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QHeaderView>
#include <QTableWidget>

#include "core/memory_map_legend.h"

#include "core/workspace.h"
#include "widgets/point_font.h"
#include "support/hex_text.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "shots.h"

namespace torvane::ui {
namespace {

class MemoryMapViewTest : public ::testing::Test {
protected:
    void SetUp() override { ws.SelectMode(WorkMode::MergeMode); }
    void TearDown() override { EXPECT_TRUE(prompts.Done()); }

    void Load(int row, const std::string& name, const std::string& bytes, const char* offset, int fill = 0) {
        prompts.ExpectOpen(dir.Write(name, bytes));
        ws.rows().ChooseFile(row);
        ws.rows().Controls(row).BinOffsetText = offset;
        ws.rows().Controls(row).PolishDataIndex = fill;
    }

    test::TempDir dir;
    test::ScriptedPrompts prompts;
    Workspace ws{prompts};
};

TEST_F(MemoryMapViewTest, GapsShowTheFillOfTheFileAfterThem) {
    Load(0, "boot.bin", std::string(0x4000, 'b'), "0");
    Load(1, "app.bin", std::string(0x20000, 'a'), "8000", 1);
    Load(2, "calib.bin", std::string(0x100, 'c'), "40000");
    CMemoryMapDlg view(ws, prompts);
    view.show();
    ASSERT_EQ(5, view.table()->rowCount());
    EXPECT_EQ(QStringLiteral("0x00004000"), view.table()->item(1, 0)->text());
    EXPECT_EQ(QStringLiteral("0xFF"), view.table()->item(1, 4)->text());
    EXPECT_EQ(QStringLiteral("0x00"), view.table()->item(3, 4)->text());
    EXPECT_TRUE(view.notes()->text().contains(QStringLiteral("合并文件大小：262400 字节")));
    // Hovering the first range names it.
    const int first = view.band()->RangeAt(view.band()->rect().topLeft() + QPoint(14, 20));
    EXPECT_EQ(0, first);
    EXPECT_TRUE(view.band()->Describe(first).contains(QStringLiteral("大小：16384 字节")));
    Shoot(&view, QStringLiteral("memory-map-gaps"));
}

TEST_F(MemoryMapViewTest, AnOverlapAnsweredWithForceIsRed) {
    Load(0, "a.bin", std::string(0x1000, 'a'), "0");
    Load(1, "b.bin", std::string(0x1000, 'b'), "800");
    CMemoryMapDlg view(ws, prompts);
    view.show();
    const MergeMap& map = view.shown();
    ASSERT_EQ(3u, map.ranges.size());
    EXPECT_EQ(RangeKind::Overlap, map.ranges[1].kind);
    EXPECT_EQ(QStringLiteral("重叠"), view.table()->item(1, 3)->text());
    Shoot(&view, QStringLiteral("memory-map-overlap"));

    // Answered with cancel, the same rows write no image, and the view says so.
    view.findChild<QComboBox*>(QStringLiteral("overlap"))->setCurrentIndex(2);
    EXPECT_TRUE(view.shown().stopped.has_value());
    EXPECT_TRUE(view.notes()->text().contains(QStringLiteral("合并将在文件2处中止")));
}

TEST_F(MemoryMapViewTest, AHexRowShowsItsOwnSegments) {
    const std::string text = test::HexBlock(0x08000000, 0x800);
    const std::string more = test::HexBlock(0x08004000, 0x200) ;
    const std::string last = test::HexBlock(0x08010000, 0x40);
    auto body = [](const std::string& t) { return t.substr(0, t.find(test::EndRecord())); };
    Load(0, "fw.hex", body(text) + body(more) + last, "0");
    Load(1, "b.bin", std::string(16, 'b'), "20000");
    CMemoryMapDlg view(ws, prompts);
    view.show();
    view.ShowSource(CMemoryMapDlg::Source::HexRow, 0);
    const MergeMap& map = view.shown();
    ASSERT_EQ(5u, map.ranges.size());  // three segments, two gaps
    EXPECT_EQ(0x08004000, map.ranges[2].start);
    EXPECT_EQ(QStringLiteral("数据段"), view.table()->item(0, 3)->text());
    EXPECT_TRUE(view.notes()->text().contains(QStringLiteral("共 3 个数据段")));
    Shoot(&view, QStringLiteral("memory-map-hex-segments"));
}

// Where a HEX row's decoding stops, the note says why in Chinese; its gaps
// hold the row's fill byte when the merge settings say so.
TEST_F(MemoryMapViewTest, AHexRowsStopIsSaidInChineseAndItsGapsTakeTheChosenFill) {
    const std::string body = test::DataRecord(0, {1, 2}) + test::DataRecord(0x10, {3});
    Load(0, "fw.hex", body + test::EndRecord(), "0", 1);
    ws.HexGapFill = GapFill::RowFill;
    CMemoryMapDlg view(ws, prompts);
    view.show();
    view.ShowSource(CMemoryMapDlg::Source::HexRow, 0);
    ASSERT_EQ(3u, view.shown().ranges.size());
    EXPECT_EQ(0xFF, view.shown().ranges[1].fill);
    // The file changed on disk since it was chosen: its end record is gone.
    dir.Write("fw.hex", body);
    view.ShowSource(CMemoryMapDlg::Source::Preview);
    view.ShowSource(CMemoryMapDlg::Source::HexRow, 0);
    EXPECT_TRUE(view.notes()->text().contains(QStringLiteral("解析停止：第3行：文件结束时没有文件结束记录")))
        << view.notes()->text().toStdString();
}

TEST_F(MemoryMapViewTest, ExportsWriteThePicture) {
    Load(0, "a.bin", std::string(16, 'a'), "0");
    Load(1, "b.bin", std::string(16, 'b'), "100");
    CMemoryMapDlg view(ws, prompts);
    ASSERT_TRUE(view.SaveSvg(QString::fromStdString(dir.File("map.svg"))));
    ASSERT_TRUE(view.SavePng(QString::fromStdString(dir.File("map.png"))));
    EXPECT_EQ(0u, test::ReadText(dir.File("map.svg")).find("<?xml"));
    EXPECT_FALSE(QImage(QString::fromStdString(dir.File("map.png"))).isNull());
}

TEST_F(MemoryMapViewTest, ThePngCarriesTheSizeAndTheLegendAsTheSvgDoes) {
    Load(0, "a.bin", std::string(16, 'a'), "0");
    Load(1, "b.bin", std::string(16, 'b'), "100");
    CMemoryMapDlg view(ws, prompts);
    const QImage picture = view.Picture();
    // The SVG's page: heading, band, and one legend line per range.
    EXPECT_EQ(QSize(1000, 40 + 56 + 120 + 22 * 3), picture.size());
    EXPECT_EQ("合并文件大小 272 字节", MapHeading(view.shown(), false));
    const std::vector<MapLegendLine> legend = MapLegend(view.shown());
    ASSERT_EQ(3u, legend.size());
    EXPECT_EQ("0x00000010 - 0x000000FF", legend[1].addresses);
    EXPECT_EQ("240 字节", legend[1].size);
    EXPECT_EQ("文件2  b.bin", legend[2].what);
    // Something is drawn where the legend's lines stand.
    const int y = 40 + 56 + 60;
    bool inked = false;
    for (int x = 20; x < 600 && !inked; ++x) inked = picture.pixelColor(x, y - 4) != QColor(Qt::white);
    EXPECT_TRUE(inked);
    view.Picture().save(QString::fromStdString(dir.File("legend.png")));
    if (!qEnvironmentVariable("TORVANE_SHOTS").isEmpty())
        picture.save(qEnvironmentVariable("TORVANE_SHOTS") + QStringLiteral("/memory-map-png-export.png"));
}

TEST_F(MemoryMapViewTest, TheAddressesUnderTheBandAreAtLeastTheWindowsFontSize) {
    Load(0, "a.bin", std::string(0x4000, 'a'), "0");
    Load(1, "b.bin", std::string(0x100, 'b'), "8000");
    CMemoryMapDlg view(ws, prompts);
    view.show();
    const int tick = QFontInfo(view.band()->TickFont()).pixelSize();
    EXPECT_GE(tick, QFontInfo(view.font()).pixelSize());
    EXPECT_GE(tick, QFontInfo(PointFont(QStringLiteral("MS Shell Dlg"), 8)).pixelSize());  // the main window's
    // At 150 % the addresses grow with the text, and the band makes room for them.
    const int low = view.band()->minimumHeight();
    QFont large = view.font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    view.setFont(large);
    EXPECT_GE(QFontInfo(view.band()->TickFont()).pixelSize(), QFontInfo(large).pixelSize());
    EXPECT_GT(view.band()->minimumHeight(), low);
    Shoot(&view, QStringLiteral("memory-map-large-font"));
}

TEST_F(MemoryMapViewTest, TheTablesColumnsStretchToItsWidth) {
    Load(0, "a.bin", std::string(16, 'a'), "0");
    CMemoryMapDlg view(ws, prompts);
    view.show();
    for (int c = 0; c < view.table()->columnCount(); ++c)
        EXPECT_EQ(QHeaderView::Stretch, view.table()->horizontalHeader()->sectionResizeMode(c)) << c;
}

}  // namespace
}  // namespace torvane::ui
