// The window in English: every text translated (the .ts file), and every
// window and dialog opened in English shows no Chinese and cuts off no text.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/language.h"
#include "core/memory_map.h"
#include "core/workspace.h"
#include "platform/program_path.h"
#include "support/scripted_prompts.h"
#include "support/temp_dir.h"
#include "tools/bin2c/bin_to_c_dialog.h"
#include "tools/checksum/check_dialog.h"
#include "tools/compare/compare_dialog.h"
#include "tools/nic/upgrade_dialog.h"
#include "tools/serialize/serialize_dialog.h"
#include "tools/stamp/stamp_dialog.h"
#include "tools/testbin/test_bin_dialog.h"
#include "ui/about_dialog.h"
#include "ui/app.h"
#include "ui/commands.h"
#include "ui/main_ids.h"
#include "ui/main_dialog.h"
#include "ui/memory_map_view.h"
#include "ui/merge_settings_dialog.h"
#include "ui/qt_prompts.h"
#include "widgets/ec_button.h"
#include "widgets/ec_static.h"
#include "shots.h"

namespace torvane::ui {
namespace {

using test::ScriptedPrompts;

const QRegularExpression& Chinese() {
    static const QRegularExpression cjk(QStringLiteral("[\\x{3000}-\\x{303F}\\x{3400}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
    return cjk;
}

// The %1.. markers of a text, sorted, and whether it marks a key letter.
QStringList Markers(const QString& text) {
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("%(\\d+|n)")).globalMatch(text);
    while (it.hasNext()) found << it.next().captured(0);
    found.sort();
    return found;
}
bool HasKeyLetter(const QString& text) { return text.contains(QRegularExpression(QStringLiteral("&[^& ]"))); }

TEST(TranslationFileTest, EveryTextHasItsEnglishWithTheSameMarkers) {
    QFile file(QStringLiteral(TORVANE_TS_PATH));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int messages = 0;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const bool unfinished = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            const QString english = xml.readElementText();
            const std::string id = source.toStdString();
            EXPECT_FALSE(unfinished) << id;
            EXPECT_FALSE(english.trimmed().isEmpty()) << id;
            EXPECT_FALSE(english.contains(Chinese())) << id << " -> " << english.toStdString();
            EXPECT_EQ(Markers(source), Markers(english)) << id << " -> " << english.toStdString();
            EXPECT_EQ(HasKeyLetter(source), HasKeyLetter(english)) << id << " -> " << english.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 150);
}

// A control's own texts a user reads.
QStringList ShownTexts(QWidget* w) {
    QStringList texts;
    if (w->isWindow()) texts << w->windowTitle();
    texts << w->toolTip();
    if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
    if (auto* e = qobject_cast<QLineEdit*>(w)) texts << e->placeholderText();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) texts << s->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
    if (auto* t = qobject_cast<QTabWidget*>(w))
        for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
    if (auto* h = qobject_cast<QHeaderView*>(w); h && h->model())
        for (int i = 0; i < h->count(); ++i) texts << h->model()->headerData(i, h->orientation()).toString();
    return texts;
}

// The width a control gives its text, and the text's own; nothing for a
// control whose text may wrap or that draws no single line.
std::optional<std::pair<int, int>> TextRoom(QWidget* w) {
    auto width = [&](const QFont& font, QString text) {
        text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, QFontMetrics(font).horizontalAdvance(line));
        return widest;
    };
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->wordWrap() || l->text().isEmpty() || l->textFormat() == Qt::RichText) return std::nullopt;
        return std::pair{l->contentsRect().width(), width(l->font(), l->text())};
    }
    if (auto* b = qobject_cast<QCheckBox*>(w); b && !b->text().isEmpty()) {
        const int box = b->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
                        b->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b);
        return std::pair{b->width() - box, width(b->font(), b->text())};
    }
    if (auto* b = qobject_cast<QRadioButton*>(w); b && !b->text().isEmpty()) {
        const int box = b->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b) +
                        b->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b);
        return std::pair{b->width() - box, width(b->font(), b->text())};
    }
    if (auto* b = qobject_cast<CECButton*>(w); b && !b->text().isEmpty())
        return std::pair{b->width(), width(b->CaptionFont(), b->text())};
    // The mode buttons wrap their captions.
    if (auto* b = qobject_cast<QPushButton*>(w); b && !b->text().isEmpty() && !b->inherits("torvane::ui::CButtonST"))
        return std::pair{b->width(), width(b->font(), b->text())};
    return std::nullopt;
}

// What a window shows in Chinese or cuts off, one line each.
QStringList Faults(QWidget* root) {
    QStringList faults;
    std::vector<QWidget*> widgets{root};
    for (QWidget* w : root->findChildren<QWidget*>())
        if (w->isVisibleTo(root)) widgets.push_back(w);
    for (QWidget* w : widgets) {
        const QString who = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
        for (const QString& text : ShownTexts(w))
            if (text.contains(Chinese())) faults << who + QStringLiteral(": Chinese: ") + text;
        if (const auto room = TextRoom(w); room && room->second > room->first)
            faults << who + QStringLiteral(": cut off (%1 of %2 px): ").arg(room->first).arg(room->second) +
                          ShownTexts(w).join(QLatin1Char('|'));
    }
    for (QAction* a : root->findChildren<QAction*>()) {
        // The language menu names each language in its own words.
        if (a->objectName() == QLatin1String("languageZh")) continue;
        for (const QString& text : {a->text(), a->toolTip(), a->menu() ? a->menu()->title() : QString()})
            if (text.contains(Chinese())) faults << QStringLiteral("action %1: Chinese: %2").arg(a->objectName(), text);
    }
    return faults;
}

std::string Lines(const QStringList& faults) { return faults.join(QLatin1Char('\n')).toStdString(); }

// Speaks English for one test, then Chinese again as every other test expects.
class EnglishWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallLanguage(Language::English)); }
    void TearDown() override { InstallLanguage(Language::Chinese); }

    // Shows the window, lets it settle and lists its faults.
    static QStringList ShownFaults(QWidget* w) {
        w->show();
        QApplication::processEvents();
        return Faults(w);
    }
};

TEST_F(EnglishWindowTest, TheMainWindowAtEveryScaleShowsNoChineseAndCutsNothingOff) {
    for (const double scale : {1.0, 1.25, 1.5}) {
        ScriptedPrompts prompts;
        CQuenlorDlg window(prompts, scale);
        EXPECT_EQ("", Lines(ShownFaults(&window))) << scale;
        for (const WorkMode mode : {WorkMode::HexToBinMode, WorkMode::AlignMode, WorkMode::MergeMode}) {
            window.OnCommand(ModeButtonOf(mode).id);
            EXPECT_EQ("", Lines(Faults(&window))) << scale << " mode " << static_cast<int>(mode);
        }
        if (scale == 1.0) Shoot(&window, QStringLiteral("english-main"));
        EXPECT_TRUE(prompts.Done());
    }
}

// The fitting of captions leaves the Chinese window as it was: every title and
// button caption in the layout's own size.
TEST(ChineseWindowTest, TitlesAndCaptionsKeepTheLayoutsSizesAtEveryScale) {
    ASSERT_EQ(Language::Chinese, CurrentLanguage());
    for (const double scale : {1.0, 1.25, 1.5}) {
        ScriptedPrompts prompts;
        CQuenlorDlg window(prompts, scale);
        window.show();
        for (const WorkMode mode : {WorkMode::HexToBinMode, WorkMode::AlignMode, WorkMode::MergeMode}) {
            window.OnCommand(ModeButtonOf(mode).id);
            for (CECStatic* t : window.findChildren<CECStatic*>()) {
                if (t->parentWidget()->objectName() == QLatin1String("client") && !t->text().isEmpty()) {
                    EXPECT_EQ(window.layout().titleFontPx, t->font().pixelSize()) << t->text().toStdString() << " at " << scale;
                }
            }
            for (CECButton* b : window.findChildren<CECButton*>())
                EXPECT_EQ(window.layout().captionFontPx, b->CaptionPixelSize()) << b->text().toStdString() << " at " << scale;
        }
        EXPECT_TRUE(prompts.Done());
    }
}

TEST_F(EnglishWindowTest, EveryDialogShowsNoChineseAndCutsNothingOff) {
    ScriptedPrompts prompts;
    Workspace ws(prompts);
    std::vector<std::pair<QString, std::unique_ptr<QWidget>>> dialogs;
    dialogs.emplace_back(QStringLiteral("english-merge-settings"), std::make_unique<CMergeSettingsDlg>(ws, prompts));
    dialogs.emplace_back(QStringLiteral("english-memory-map"), std::make_unique<CMemoryMapDlg>(ws, prompts));
    dialogs.emplace_back(QStringLiteral("english-about"), std::make_unique<CAboutDlg>());
    dialogs.emplace_back(QStringLiteral("english-check"), std::make_unique<CDlg_Check>(prompts));
    dialogs.emplace_back(QStringLiteral("english-stamp"), std::make_unique<CDlg_Stamp>(prompts));
    dialogs.emplace_back(QStringLiteral("english-compare"), std::make_unique<CDlg_Compare>(prompts, std::vector<FieldSpec>{}));
    dialogs.emplace_back(QStringLiteral("english-serialize"), std::make_unique<CDlg_Serialize>(prompts));
    dialogs.emplace_back(QStringLiteral("english-test-bin"), std::make_unique<Dlg_TestBin>(prompts));
    dialogs.emplace_back(QStringLiteral("english-bin-to-c"), std::make_unique<CDlg_BinToH>(prompts));
    dialogs.emplace_back(QStringLiteral("english-nic-upgrade"), std::make_unique<CDlg_NCUpgradeFile>(prompts));
    for (auto& [name, dialog] : dialogs) {
        EXPECT_EQ("", Lines(ShownFaults(dialog.get()))) << name.toStdString();
        if (auto* tabs = dialog->findChild<QTabWidget*>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QApplication::processEvents();
                EXPECT_EQ("", Lines(Faults(dialog.get()))) << name.toStdString() << " tab " << i;
            }
        }
        Shoot(dialog.get(), name);
        dialog->close();
    }
    EXPECT_TRUE(prompts.Done());
}

TEST_F(EnglishWindowTest, AMessageBoxSpeaksEnglish) {
    QtPrompts prompts;
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("", Lines(Faults(box)));
        box->close();
    });
    prompts.Show(MessageBox{"当前无操作记录！", ApplicationName(), MessageIcon::Question, MessageButtons::YesNoCancel});
}

// A filled range's tooltip: the words translated, the byte in capitals after "0x".
TEST_F(EnglishWindowTest, TheMapsTooltipTranslatesItsWordsAndKeepsTheByte) {
    MergeMap map;
    map.imageSize = 32;
    map.ranges.push_back(MapRange{0, 15, RangeKind::Fill, 0, "", 0, 0, 0xAB});
    map.ranges.push_back(MapRange{16, 31, RangeKind::Fill, 0, "", 0, 0, 0x0C});
    MemoryBand band;
    band.SetMap(map);
    EXPECT_EQ(QStringLiteral("Start: 0x00000000\nEnd: 0x0000000F\nSize: 16 bytes\nSource: Fill byte 0xAB"), band.Describe(0));
    EXPECT_TRUE(band.Describe(1).endsWith(QStringLiteral("Source: Fill byte 0x0C"))) << band.Describe(1).toStdString();
}

// Each English menu item has its letter, marked in its word, and no two items
// of a menu share one.
TEST_F(EnglishWindowTest, EveryMenuItemHasItsOwnLetter) {
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts, 1.0);
    for (QAction* title : window.menuBar()->actions()) {
        QStringList letters;
        for (QAction* a : title->menu()->actions()) {
            if (a->isSeparator() || a->objectName().startsWith(QLatin1String("language"))) continue;
            const qsizetype at = a->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(at, 0) << a->text().toStdString();
            EXPECT_FALSE(a->text().contains(QLatin1String("(&"))) << a->text().toStdString();
            letters << a->text().mid(at + 1, 1).toUpper();
        }
        EXPECT_EQ(letters.size(), QSet<QString>(letters.begin(), letters.end()).size())
            << title->text().toStdString() << ": " << letters.join(u',').toStdString();
    }
    // The letter at the start of a word where the text has it; where it lacks
    // it, the first free letter starting one of its words.
    EXPECT_EQ(QStringLiteral("&Import Project"), window.menuAction(main_ids::kImportConfig)->text());
    EXPECT_EQ(QStringLiteral("Create &Test File"), window.menuAction(main_ids::kTestBinTool)->text());
    EXPECT_EQ(QStringLiteral("Compare &Image Files"), window.menuAction(main_ids::kCompareTool)->text());
    EXPECT_TRUE(prompts.Done());
}

TEST_F(EnglishWindowTest, TheLanguageMenuRemembersTheChoiceForTheNextStart) {
    ScriptedPrompts prompts;
    CQuenlorDlg window(prompts);
    auto* english = window.findChild<QAction*>(QStringLiteral("languageEn"));
    auto* system = window.findChild<QAction*>(QStringLiteral("languageSystem"));
    ASSERT_NE(nullptr, english);
    ASSERT_NE(nullptr, system);
    QSettings().remove(QString::fromLatin1(kLanguageKey));
    EXPECT_TRUE(system->isChecked());
    prompts.ExpectBox("The language setting takes effect the next time Torvane starts.", ApplicationName(), Answer::Ok,
                      MessageButtons::Ok, MessageIcon::Information);
    english->trigger();
    EXPECT_EQ(QStringLiteral("en"), QSettings().value(QString::fromLatin1(kLanguageKey)).toString());
    EXPECT_EQ(Language::English, LanguageOfSetting(QStringLiteral("en")));
    EXPECT_EQ(Language::Chinese, LanguageOfSetting(QStringLiteral("zh")));
    EXPECT_EQ(Language::English, LanguageOfSetting(QStringLiteral(" EN ")));
    // "system", nothing or a word the program does not know: the system's.
    for (const char* value : {"system", "", "fr", "zh_CN"})
        EXPECT_EQ(SystemLanguage(), LanguageOfSetting(QString::fromLatin1(value))) << value;
    // Choosing what is already chosen says nothing.
    english->trigger();
    EXPECT_TRUE(prompts.Done());
    QSettings().remove(QString::fromLatin1(kLanguageKey));
}

}  // namespace
}  // namespace torvane::ui
