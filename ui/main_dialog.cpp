#include "ui/main_dialog.h"

#include "torvane/version.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSet>
#include <QScrollArea>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "config/config_file.h"
#include "core/align.h"
#include "core/hex_to_bin.h"
#include "core/merge.h"
#include "core/merge_summary.h"
#include "core/window_state.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "ui/about_dialog.h"
#include "ui/commands.h"
#include "ui/desktop_scale.h"
#include "ui/merge_settings_dialog.h"
#include "widgets/button_st.h"
#include "widgets/ec_button.h"
#include "widgets/ec_static.h"
#include "widgets/new_list_box.h"
#include "widgets/path_field.h"
#include "widgets/point_font.h"
#include "ui/icons.h"
#include "ui/list_item.h"
#include "ui/main_ids.h"
#include "ui/memory_map_view.h"
#include "ui/tool_dialogs.h"
#include "core/language.h"
#include "ui/app.h"
#include "widgets/texts.h"

namespace torvane::ui {
namespace {

using namespace main_ids;

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// Where a letter stands in an English text: at the start of a word if it
// can, else anywhere; -1 where the text lacks it.
qsizetype LetterAt(const QString& text, QChar letter) {
    qsizetype anywhere = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].toUpper() != letter.toUpper()) continue;
        if (i == 0 || !text[i - 1].isLetterOrNumber()) return i;
        if (anywhere < 0) anywhere = i;
    }
    return anywhere;
}

// A menu item's text with its letter: after the text in the Chinese way
// ("导入配置文件(&I)"); in English marked in the word ("&Import Project"),
// or in brackets after the text when it lacks the letter.
QString WithMnemonic(const QString& text, char letter) {
    const QString mark = QStringLiteral("(&%1)").arg(QLatin1Char(letter));
    if (CurrentLanguage() == Language::Chinese) return text + mark;
    const qsizetype at = LetterAt(text, QLatin1Char(letter));
    if (at < 0) return text + QLatin1Char(' ') + mark;
    return text.left(at) + QLatin1Char('&') + text.mid(at);
}

// The letters of one menu's items (texts[i] with letters[i]; 0 for an item
// that marks its own). An English text that lacks its letter takes the first
// letter starting one of its words (else any of its letters) that no other
// item of the menu takes, so every item keeps a letter of its own.
void MarkMenuLetters(std::vector<QString>& texts, const std::vector<char>& letters) {
    if (CurrentLanguage() == Language::Chinese) {
        for (size_t i = 0; i < texts.size(); ++i)
            if (letters[i]) texts[i] = WithMnemonic(texts[i], letters[i]);
        return;
    }
    QSet<QChar> taken;
    for (size_t i = 0; i < texts.size(); ++i) {
        const qsizetype own = texts[i].indexOf(QLatin1Char('&'));
        if (own >= 0 && own + 1 < texts[i].size()) taken.insert(texts[i][own + 1].toUpper());
        if (letters[i] && LetterAt(texts[i], QLatin1Char(letters[i])) >= 0) taken.insert(QChar(letters[i]).toUpper());
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!letters[i]) continue;
        QString& text = texts[i];
        if (LetterAt(text, QLatin1Char(letters[i])) >= 0) {
            text = WithMnemonic(text, letters[i]);
            continue;
        }
        qsizetype chosen = -1;
        for (const bool wordStart : {true, false}) {
            for (qsizetype j = 0; j < text.size() && chosen < 0; ++j) {
                const bool starts = j == 0 || !text[j - 1].isLetterOrNumber();
                if (text[j].isLetter() && text[j].unicode() < 128 && (starts || !wordStart) && !taken.contains(text[j].toUpper()))
                    chosen = j;
            }
        }
        if (chosen < 0) {
            text = WithMnemonic(text, letters[i]);
            continue;
        }
        taken.insert(text[chosen].toUpper());
        text.insert(chosen, QLatin1Char('&'));
    }
}

// The batch command a mode enables.
int BatchOfMode(WorkMode mode) {
    switch (mode) {
        case WorkMode::HexToBinMode: return kHexToBin;
        case WorkMode::MergeMode: return kMerge;
        case WorkMode::AlignMode: return kAlign;
    }
    return kHexToBin;
}

// The client area paints the window's background: the button face, the white
// panel, the grey header band and the column borders in it.
class ClientArea : public QWidget {
public:
    ClientArea(const MainLayout& layout, QWidget* parent) : QWidget(parent), layout_(layout) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Button));
        p.fillRect(ToQRect(layout_.panel), Qt::white);
        const QRect band = ToQRect(layout_.headerBand);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(band.adjusted(0, 0, -1, -1));
        p.fillRect(band.adjusted(1, 1, -1, -1), QColor(220, 220, 220));
        for (int x : layout_.columnEdges) p.drawLine(x, band.top(), x, band.bottom());
    }

private:
    const MainLayout& layout_;
};

// The toolbar's gripper: a raised bar at its start, lit from the top left.
class Gripper : public QWidget {
public:
    static constexpr int kWidth = 8;
    explicit Gripper(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("gripper")); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect bar(2, 3, 3, height() - 6);
        p.fillRect(bar, palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(bar.topLeft(), bar.bottomLeft());
        p.drawLine(bar.topLeft(), bar.topRight());
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(bar.topRight(), bar.bottomRight());
        p.drawLine(bar.bottomLeft(), bar.bottomRight());
    }
};

QFont PixelFont(const QString& face, int px) {
    QFont f(face);
    f.setPixelSize(std::max(1, px));
    f.setWeight(QFont::Normal);
    return f;
}

}  // namespace

namespace {

// The scale and the area the window takes (see the constructor's comment).
QSize AreaFor(double scale, QSize available) {
    if (available.isValid() || scale > 0) return available;
    return AvailableScreenSize();
}

WindowFit FitFor(double scale, QSize area) {
    const double wanted = scale > 0 ? scale : DesktopUiScale();
    if (!area.isValid()) return WindowFit{wanted, false};
    return FitWindowToScreen(wanted, area.width(), area.height());
}

}  // namespace

CQuenlorDlg::CQuenlorDlg(Prompts& prompts, double scale, QSize available, QWidget* parent)
    : QMainWindow(parent),
      ws_(prompts),
      available_(AreaFor(scale, available)),
      fit_(FitFor(scale, available_)),
      scale_(fit_.scale),
      layout_(ComputeMainLayout(scale_)) {
    setWindowTitle(QStringLiteral("Torvane " TORVANE_VERSION_TAG));
    setWindowIcon(ApplicationIcon());
    // The window can be made larger than its layout (the file-name column and
    // the log take the room), never smaller; one cut to a small screen keeps
    // its size and scrolls.
    const Qt::WindowFlags resizing =
        fit_.scrolls ? Qt::WindowFlags(Qt::MSWindowsFixedSizeDialogHint) : Qt::WindowFlags(Qt::WindowMaximizeButtonHint);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | resizing);
    setFont(PointFont(QStringLiteral("MS Shell Dlg"), 8));

    client_ = new ClientArea(layout_, this);
    client_->setObjectName(QStringLiteral("client"));
    if (fit_.scrolls) {
        // A screen too small even for scale 1: the window takes the screen
        // and its content scrolls.
        scroller_ = new QScrollArea(this);
        scroller_->setObjectName(QStringLiteral("scroller"));
        scroller_->setFrameShape(QFrame::NoFrame);
        scroller_->setWidget(client_);
        setCentralWidget(scroller_);
    } else {
        setCentralWidget(client_);
    }
    BuildMenus();
    BuildToolBar();
    BuildControls();
    ApplySize();
    ApplyLayout();
    ApplyFonts();
    ApplyTabOrder();
    // The workspace has already switched to HexToBinMode and checked box 1048
    // without selecting a row. The switch runs again here, after the rows
    // exist, since it lays out their columns.
    SelectMode(WorkMode::HexToBinMode);
    qApp->installEventFilter(this);
    setAcceptDrops(true);
}

CQuenlorDlg::~CQuenlorDlg() {
    qApp->removeEventFilter(this);
    // The log list stops listening before the workspace's log goes away.
    logList_->Show(nullptr);
}

void CQuenlorDlg::BuildControls() {
    auto name = [](QWidget* w, int id) { w->setObjectName(QString::number(id)); };

    auto modeButton = [&](WorkMode mode) {
        const ModeButton& entry = ModeButtonOf(mode);
        auto* b = new CButtonST(Texts::tr(entry.caption), client_);
        name(b, entry.id);
        connect(b, &QPushButton::clicked, this, [this, id = entry.id] { OnCommand(id); });
        return b;
    };
    hexToBinMode_ = modeButton(WorkMode::HexToBinMode);
    mergeMode_ = modeButton(WorkMode::MergeMode);
    alignMode_ = modeButton(WorkMode::AlignMode);

    headerCheck_ = new QCheckBox(Texts::tr("序号"), client_);
    name(headerCheck_, kHeaderCheck);
    connect(headerCheck_, &QCheckBox::clicked, this, [this](bool on) {
        ws_.HeaderChecked = on;
        OnCommand(kHeaderCheck);
    });

    auto title = [&](int id) {
        auto* t = new CECStatic(Texts::tr(TitleCaption(id)), client_);
        name(t, id);
        return t;
    };
    fileTitle_ = title(kTitleFile);
    sizeTitle_ = title(kTitleSize);
    alignTitle_ = title(kTitleAlign);
    fillTitle_ = title(kTitleFill);
    offsetTitle_ = title(kTitleOffset);
    keepTitle_ = title(kTitleKeep);

    for (int i = 0; i < kRowCount; ++i) {
        auto* r = new Dlg_ListItem(ws_.rows(), i, scale_, client_);
        connect(r, &Dlg_ListItem::changed, this, [this] { RefreshAll(); });
        connect(r, &Dlg_ListItem::edited, this, [this] { ShowMergePlan(); });
        connect(r, &Dlg_ListItem::projectDropped, this, &CQuenlorDlg::ImportDroppedProject);
        rows_[static_cast<size_t>(i)] = r;
    }

    mergePlan_ = new QLabel(client_);
    name(mergePlan_, kMergePlan);
    mergePlan_->setTextFormat(Qt::PlainText);
    mergePlan_->hide();

    // Alt+O reaches the output file; the menu titles take F, M, T and H.
    outputLabel_ = new CECStatic(Texts::tr("输出文件(&O)："), client_);
    name(outputLabel_, kOutputLabel);
    outputFile_ = new QLineEdit(client_);
    name(outputFile_, kOutputFile);
    outputLabel_->setBuddy(outputFile_);
    MakePathField(outputFile_);
    // A project dropped on the field goes to the window, not into the text.
    outputFile_->setAcceptDrops(false);
    connect(outputFile_, &QLineEdit::textEdited, this, [this](const QString& t) {
        ws_.SetOutputFile(t.toStdString());
        ShowMergePlan();
    });
    outputBrowse_ = new QPushButton(QStringLiteral("..."), client_);
    name(outputBrowse_, kOutputBrowse);
    outputBrowse_->setAutoDefault(false);
    connect(outputBrowse_, &QPushButton::clicked, this, [this] { OnCommand(kOutputBrowse); });

    importButton_ = MakeActionButton(kImportButton);
    exportButton_ = MakeActionButton(kExportButton);
    hexToBinButton_ = MakeActionButton(kHexToBinButton);
    mergeButton_ = MakeActionButton(kMergeButton);
    alignButton_ = MakeActionButton(kAlignButton);
    memoryMapButton_ = MakeActionButton(kMemoryMapButton);

    logGroup_ = new QGroupBox(Texts::tr("操作记录"), client_);
    name(logGroup_, kLogGroup);
    logList_ = new CNewListBox(client_);
    name(logList_, kLogList);
    logList_->Show(&ws_.log());
    saveButton_ = MakeActionButton(kSaveLog);
    clearButton_ = MakeActionButton(kClearLog);
}

CECButton* CQuenlorDlg::MakeActionButton(int buttonId) {
    const Command* command = ButtonCommand(buttonId);
    auto* b = new CECButton(command ? Texts::tr(command->buttonCaption) : QString(), client_);
    b->setObjectName(QString::number(buttonId));
    connect(b, &QPushButton::clicked, this, [this, buttonId] { OnCommand(buttonId); });
    return b;
}

CButtonST* CQuenlorDlg::ModeButtonFor(WorkMode mode) const {
    switch (mode) {
        case WorkMode::HexToBinMode: return hexToBinMode_;
        case WorkMode::MergeMode: return mergeMode_;
        case WorkMode::AlignMode: return alignMode_;
    }
    return hexToBinMode_;
}

void CQuenlorDlg::BuildMenus() {
    // The items' texts, with their letters marked a menu at a time.
    std::vector<QString> texts(kCommands.size());
    for (size_t p = 0; p < static_cast<size_t>(MenuPopup::Count); ++p) {
        std::vector<size_t> items;
        std::vector<QString> popupTexts;
        std::vector<char> letters;
        for (size_t i = 0; i < kCommands.size(); ++i) {
            if (!(kCommands[i].where & kInMenu) || static_cast<size_t>(kCommands[i].menu) != p) continue;
            items.push_back(i);
            popupTexts.push_back(Texts::tr(kCommands[i].caption));
            letters.push_back(kCommandKeys[i].mnemonic);
        }
        MarkMenuLetters(popupTexts, letters);
        for (size_t k = 0; k < items.size(); ++k) texts[items[k]] = popupTexts[k];
    }
    QMenu* menu = nullptr;
    int popup = -1;
    for (const Command& c : kCommands) {
        if (!(c.where & kInMenu)) continue;
        if (static_cast<int>(c.menu) != popup) {
            popup = static_cast<int>(c.menu);
            menu = menuBar()->addMenu(Texts::tr(kMenuTitles[static_cast<size_t>(popup)]));
        }
        if (c.separatorBefore) menu->addSeparator();
        const size_t index = static_cast<size_t>(&c - kCommands.data());
        const CommandKeys& keys = kCommandKeys[index];
        QAction* a = menu->addAction(texts[index]);
        a->setObjectName(QStringLiteral("menu%1").arg(c.id));
        if (*keys.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(keys.shortcut)));
        connect(a, &QAction::triggered, this, [this, id = c.id] { OnCommand(id); });
        menuActions_[c.id] = a;
    }
    if (menu) AddLanguageMenu(menu);
    for (const CommandKeys& keys : kWindowKeys) {
        auto* a = new QAction(this);
        a->setObjectName(QStringLiteral("key%1").arg(keys.id));
        a->setShortcut(QKeySequence(QString::fromLatin1(keys.shortcut)));
        connect(a, &QAction::triggered, this, [this, id = keys.id] { OnCommand(id); });
        addAction(a);
    }
    // F10 opens the menu bar as on other desktops; Alt does so through the style.
    auto* f10 = new QAction(this);
    f10->setObjectName(QStringLiteral("keyF10"));
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    connect(f10, &QAction::triggered, this, [this] {
        const QList<QAction*> menus = menuBar()->actions();
        if (!menus.isEmpty()) menuBar()->setActiveAction(menus.first());
    });
    addAction(f10);
}

void CQuenlorDlg::AddLanguageMenu(QMenu* help) {
    // The language of the next start: the window's texts are made once, so a
    // change waits for it. Each language is named in its own words.
    struct Choice {
        const char* value;
        QString caption;
        const char* name;
    };
    const Choice choices[] = {
        {"zh", QStringLiteral("中文"), "languageZh"},
        {"en", QStringLiteral("English"), "languageEn"},
        {"system", Texts::tr("跟随系统"), "languageSystem"},
    };
    help->addSeparator();
    QMenu* languages = help->addMenu(WithMnemonic(Texts::tr("语言"), 'L'));
    languages->setObjectName(QStringLiteral("languageMenu"));
    auto* group = new QActionGroup(languages);
    const QString key = QString::fromLatin1(kLanguageKey);
    QString current = QSettings().value(key).toString().trimmed().toLower();
    if (current != QLatin1String("zh") && current != QLatin1String("en")) current = QStringLiteral("system");
    for (const Choice& choice : choices) {
        QAction* a = languages->addAction(choice.caption);
        a->setObjectName(QString::fromLatin1(choice.name));
        a->setCheckable(true);
        a->setChecked(current == QLatin1String(choice.value));
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, key, value = QString::fromLatin1(choice.value)] {
            QSettings settings;
            if (settings.value(key).toString() == value) return;
            settings.setValue(key, value);
            ShowInformation(ws_.prompts(), Texts::tr("语言设置将在下次启动Torvane时生效。").toStdString());
        });
    }
}

void CQuenlorDlg::BuildToolBar() {
    gripper_ = new Gripper(client_);
    toolBar_ = new QToolBar(client_);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    const int iconSize = ToolbarIconSize(scale_);
    toolBar_->setIconSize(QSize(iconSize, iconSize));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    const std::array<QIcon, kToolbarIconCount> strip = ToolbarIcons(iconSize);
    for (const Command& c : kCommands) {
        if (!(c.where & kOnToolBar)) continue;
        if (!toolActions_.empty()) toolBar_->addSeparator();
        QAction* a = toolBar_->addAction(strip[static_cast<size_t>(c.iconSlot)], Texts::tr(c.caption));
        a->setToolTip(Texts::tr(c.caption));
        a->setObjectName(QStringLiteral("tool%1").arg(c.id));
        connect(a, &QAction::triggered, this, [this, id = c.id] { OnCommand(id); });
        toolActions_[c.id] = a;
    }
}

void CQuenlorDlg::ApplySize() {
    const MainLayout& m = layout_;
    const MainLayout base = ComputeMainLayout(scale_);
    const int menuHeight = menuBar()->sizeHint().height();
    if (scroller_) {
        client_->setFixedSize(m.clientWidth, m.clientHeight - menuHeight);
        setFixedSize(std::min(m.clientWidth, available_.width() - kFrameWidth),
                     std::min(m.clientHeight, available_.height() - kFrameHeight));
        return;
    }
    // The default layout is the smallest the window takes.
    client_->setMinimumSize(base.clientWidth, base.clientHeight - menuHeight);
    setMinimumSize(base.clientWidth, base.clientHeight);
    resize(m.clientWidth, m.clientHeight);
}

void CQuenlorDlg::ApplyLayout() {
    const MainLayout& m = layout_;
    // The toolbar spans the client area after its gripper and is as high as
    // its buttons need.
    const int toolBarHeight = toolBar_->sizeHint().height();
    gripper_->setGeometry(0, 0, Gripper::kWidth, toolBarHeight);
    toolBar_->setGeometry(Gripper::kWidth, 0, m.clientWidth - Gripper::kWidth, toolBarHeight);

    auto place = [](QWidget* w, const Rect& r) { w->setGeometry(ToQRect(r)); };
    place(hexToBinMode_, m.hexToBinMode);
    place(mergeMode_, m.mergeMode);
    place(alignMode_, m.alignMode);
    place(headerCheck_, m.headerCheck);
    place(fileTitle_, m.fileTitle);
    place(sizeTitle_, m.sizeTitle);
    place(alignTitle_, m.alignTitle);
    place(fillTitle_, m.fillTitle);
    place(offsetTitle_, m.offsetTitle);
    place(keepTitle_, m.keepTitle);
    for (size_t i = 0; i < rows_.size(); ++i) place(rows_[i], m.rows[i]);
    place(mergePlan_, m.mergePlan);
    place(outputLabel_, m.outputLabel);
    place(outputFile_, m.outputEdit);
    place(outputBrowse_, m.outputBrowse);
    place(importButton_, m.importButton);
    place(exportButton_, m.exportButton);
    place(hexToBinButton_, m.hexToBinButton);
    place(mergeButton_, m.mergeButton);
    place(alignButton_, m.alignButton);
    place(memoryMapButton_, m.memoryMapButton);
    place(logGroup_, m.logGroup);
    // The list and the two buttons lie inside the group box's rectangle and
    // are made its neighbours, above it, rather than its children.
    place(logList_, m.logList);
    logList_->raise();
    place(saveButton_, m.saveButton);
    place(clearButton_, m.clearButton);
    saveButton_->raise();
    clearButton_->raise();
    FitCaptionFonts();
}

void CQuenlorDlg::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (scroller_) return;
    const LayoutStretch stretch = StretchOfClient(scale_, width(), height());
    if (stretch == stretch_) return;
    stretch_ = stretch;
    layout_ = ComputeMainLayout(scale_, stretch_);
    for (Dlg_ListItem* r : rows_) r->SetExtraWidth(stretch_.width);
    ApplyLayout();
    ShowMergePlan();
    client_->update();
}

namespace {

// The keys of the window's settings (QSettings: ~/.config/Torvane/torvane.conf
// on Linux, HKEY_CURRENT_USER\Software\Torvane\torvane on Windows).
const QString kSizeKey = QStringLiteral("window/size");
const QString kModeKey = QStringLiteral("window/mode");
const QString kMaximizedKey = QStringLiteral("window/maximized");

}  // namespace

void CQuenlorDlg::RestoreState(QSettings& settings) {
    if (const std::optional<WorkMode> mode = ModeOfKeyword(settings.value(kModeKey).toString().toStdString()))
        SelectMode(*mode);
    if (scroller_) return;
    const QSize size = settings.value(kSizeKey).toSize();
    const LayoutStretch stretch =
        RestoredStretch(scale_, DesignSize{size.width(), size.height()}, available_.width(), available_.height());
    if (stretch != stretch_) {
        stretch_ = stretch;
        layout_ = ComputeMainLayout(scale_, stretch_);
        for (Dlg_ListItem* r : rows_) r->SetExtraWidth(stretch_.width);
        ApplySize();
        ApplyLayout();
    }
    wasMaximized_ = settings.value(kMaximizedKey).toBool();
}

void CQuenlorDlg::SaveState(QSettings& settings) const {
    settings.setValue(kModeKey, QString::fromLatin1(ModeKeyword(ws_.Mode())));
    // A window cut to a small screen has no size of its own to remember.
    if (scroller_) return;
    // A maximized window is remembered by the size it has when it is not.
    const QSize size = isMaximized() && normalGeometry().isValid() ? normalGeometry().size() : this->size();
    const DesignSize remembered = RememberedSize(ComputeMainLayout(scale_, StretchOfClient(scale_, size.width(), size.height())));
    settings.setValue(kSizeKey, QSize(remembered.width, remembered.height));
    settings.setValue(kMaximizedKey, isMaximized());
}

void CQuenlorDlg::ApplyTabOrder() {
    // Reading order: the mode buttons, the rows left to right and top to
    // bottom, the output file, the action buttons left to right (the memory
    // map's stands between merge and align), then the log and its buttons.
    QList<QWidget*> chain = {hexToBinMode_, mergeMode_, alignMode_, headerCheck_};
    for (Dlg_ListItem* r : rows_) chain << r->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    chain << outputFile_ << outputBrowse_ << importButton_ << exportButton_ << hexToBinButton_ << mergeButton_
          << memoryMapButton_ << alignButton_ << logList_ << saveButton_ << clearButton_;
    for (qsizetype i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void CQuenlorDlg::ApplyFonts() {
    const QString hei = QStringLiteral("黑体");
    logGroup_->setFont(PixelFont(hei, layout_.groupFontPx));
    const QFont title = PixelFont(hei, layout_.titleFontPx);
    headerCheck_->setFont(title);
    FitCaptionFonts();
    outputLabel_->setFont(title);
    outputFile_->setFont(PixelFont(QStringLiteral("MS Shell Dlg"), layout_.pathFontPx));
    mergePlan_->setFont(PixelFont(QStringLiteral("MS Shell Dlg"), layout_.planFontPx));
    // The "..." beside the output field keeps the window's dialog font.
    FitCaptionFonts();
}

void CQuenlorDlg::FitCaptionFonts() {
    // The columns' titles and the filled buttons' captions in the layout's
    // sizes; one that would not fit its place (a longer English text) a pixel
    // smaller at a time until it does. The Chinese ones all fit.
    const QString hei = QStringLiteral("黑体");
    auto fitted = [&](int px, const QString& text, int room) {
        while (px > 6 && QFontMetrics(PixelFont(hei, px)).horizontalAdvance(text) > room) --px;
        return px;
    };
    for (CECStatic* t : {fileTitle_, sizeTitle_, alignTitle_, fillTitle_, offsetTitle_, keepTitle_})
        t->setFont(PixelFont(hei, fitted(layout_.titleFontPx, t->text(), t->contentsRect().width())));
    // A caption keeps a few pixels from the button's edges.
    for (CECButton* b : {importButton_, exportButton_, hexToBinButton_, mergeButton_, alignButton_, memoryMapButton_,
                         saveButton_, clearButton_})
        b->SetCaptionFont(fitted(layout_.captionFontPx, b->text(), b->width() - 6), hei, 0);
}

bool CQuenlorDlg::IsEnabled(int id) const {
    switch (CommandOf(id)) {
        case kHexToBin: return ws_.IsEnabled(Operation::HexToBin);
        case kMerge: return ws_.IsEnabled(Operation::Merge);
        case kAlign: return ws_.IsEnabled(Operation::Align);
        default: return true;
    }
}

QAction* CQuenlorDlg::menuAction(int id) const {
    const auto it = menuActions_.find(id);
    return it == menuActions_.end() ? nullptr : it->second;
}

QAction* CQuenlorDlg::toolAction(int id) const {
    const auto it = toolActions_.find(id);
    return it == toolActions_.end() ? nullptr : it->second;
}

void CQuenlorDlg::SelectMode(WorkMode mode) {
    ws_.SelectMode(mode);
    RefreshAll();
}

void CQuenlorDlg::RefreshAll() {
    alignTitle_->setText(QString::fromStdString(Localized(ws_.AlignTitle)));
    fillTitle_->setText(QString::fromStdString(Localized(ws_.FillTitle)));
    FitCaptionFonts();
    ShowPath(outputFile_, QString::fromStdString(ws_.OutputFileText));
    // Shows the box's state only: the rows' selection is the command's work.
    headerCheck_->setChecked(ws_.HeaderChecked);
    for (Dlg_ListItem* r : rows_) r->Refresh();

    for (const ModeButton& entry : kModeButtons) {
        CButtonST* b = ModeButtonFor(entry.mode);
        if (entry.mode == ws_.Mode()) {
            // The border is only ever switched off: a mode button once selected
            // draws no border again, whatever the mode later.
            b->SetBorderDrawn(false);
            b->SetColour(CButtonST::HotBackground, Qt::white);
            b->SetColour(CButtonST::IdleBackground, Qt::white);
            b->SetColour(CButtonST::FocusBackground, Qt::white);
        } else {
            b->SetColour(CButtonST::IdleBackground, QColor(240, 240, 240));
            b->SetColour(CButtonST::HotBackground, QColor(220, 220, 220));
            b->SetColour(CButtonST::FocusBackground, Qt::white);
        }
    }

    ShowMergePlan();
    hexToBinButton_->setEnabled(IsEnabled(kHexToBinButton));
    mergeButton_->setEnabled(IsEnabled(kMergeButton));
    alignButton_->setEnabled(IsEnabled(kAlignButton));
    for (const Command& c : kCommands) {
        if (QAction* a = menuAction(c.id)) a->setEnabled(IsEnabled(c.id));
        if (QAction* a = toolAction(c.id)) a->setEnabled(IsEnabled(c.id));
    }
}

void CQuenlorDlg::ShowMergePlan() {
    if (ws_.Mode() != WorkMode::MergeMode) {
        mergePlan_->hide();
        return;
    }
    const MergeSummary summary = SummarizeMerge(ws_);
    const QString text = QString::fromStdString(summary.text);
    // One line: what does not fit is in the tooltip.
    mergePlan_->setText(mergePlan_->fontMetrics().elidedText(text, Qt::ElideRight, mergePlan_->width()));
    mergePlan_->setToolTip(text);
    mergePlan_->setStyleSheet(summary.complete ? QStringLiteral("color: #1B5E20") : QStringLiteral("color: #B71C1C"));
    mergePlan_->show();
}

void CQuenlorDlg::OnCommand(int id) {
    // A path typed into a row and not yet taken (a shortcut pressed in the
    // box, a toolbar button, which takes no focus) is taken first: the
    // command works on the rows as the user sees them.
    for (Dlg_ListItem* r : rows_) r->CommitTypedPath();
    if (!IsEnabled(id)) return;
    switch (CommandOf(id)) {
        case kImportConfig: ImportConfig(ws_); break;
        case kExportConfig: ExportConfig(ws_); break;
        case kSaveLog: ws_.log().SaveToFile(ws_.prompts()); break;
        case kClearLog: ws_.log().Clear(); break;
        // "退出" closes the window, as its name says.
        case kExit: close(); break;
        case kHexToBin:
            HexToBinBatch(ws_);
            lastBatch_ = kHexToBin;
            break;
        case kMerge:
            MergeBatch(ws_);
            lastBatch_ = kMerge;
            break;
        case kAlign:
            AlignBatch(ws_);
            lastBatch_ = kAlign;
            break;
        case kClearList: ws_.ClearList(); break;
        case kRunModeBatch: OnCommand(BatchOfMode(ws_.Mode())); return;
        case kMemoryMap: ShowMemoryMap(); break;
        case kChecksumTool:
        case kStampTool:
        case kCompareTool:
        case kSerializeTool:
        case kTestBinTool:
        case kBinToCTool:
        case kUpgradeTool: OpenTool(id); break;
        case kAbout:
        case kSystemAbout: ShowAbout(); break;
        case kModeHexToBin: SelectMode(WorkMode::HexToBinMode); break;
        case kModeMerge: SelectMode(WorkMode::MergeMode); break;
        case kModeAlign: SelectMode(WorkMode::AlignMode); break;
        case kHeaderCheck: ws_.OnHeaderClicked(); break;
        case kOutputBrowse: ChooseOutputFile(); break;
        case kMergeSettings: ShowMergeSettings(); break;
        default: return;
    }
    RefreshAll();
}

void CQuenlorDlg::ChooseOutputFile() {
    FileDialog dialog;
    dialog.kind = FileKind::MergeOutput;
    // Any name may be chosen: the merge writes the format it asks for.
    dialog.filter = Localized("bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||");
    dialog.defaultExtension = "Bin";
    dialog.initialFolder = DefaultFilesFolder();
    dialog.overwritePrompt = true;
    dialog.allowNewFile = true;
    const std::optional<std::string> path = ws_.prompts().OpenFile(dialog);
    if (path) ws_.SetOutputFile(*path);
}

void CQuenlorDlg::ShowMemoryMap() {
    CMemoryMapDlg view(ws_, ws_.prompts(), this);
    // After a merge, the map of what it did.
    if (ws_.LastMergeMap && lastBatch_ == kMerge) view.ShowSource(CMemoryMapDlg::Source::LastMerge);
    view.exec();
}

void CQuenlorDlg::ShowMergeSettings() {
    CMergeSettingsDlg settings(ws_, ws_.prompts(), this);
    settings.exec();
}

void CQuenlorDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CQuenlorDlg::OpenTool(int id) {
    OpenToolDialog(id, this, ws_.MergeFields,
                   MergeFieldsArePositions(ws_.MergeFieldAddresses, ws_.MergeBaseText, ws_.MergeFormat));
}

void CQuenlorDlg::ImportProject(const QString& path) { ImportDroppedProject(path); }

void CQuenlorDlg::LoadFiles(const QStringList& paths) {
    for (qsizetype i = 0; i < paths.size() && i < static_cast<qsizetype>(rows_.size()); ++i)
        rows_[static_cast<size_t>(i)]->LoadFile(paths[i]);
    RefreshAll();
}

void CQuenlorDlg::ImportDroppedProject(const QString& path) {
    ImportConfigFrom(ws_, path.toStdString());
    RefreshAll();
}

void CQuenlorDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (IsProjectFileName(DraggedLocalFile(event->mimeData()))) event->acceptProposedAction();
}

void CQuenlorDlg::dropEvent(QDropEvent* event) {
    const QString path = DraggedLocalFile(event->mimeData());
    if (!IsProjectFileName(path)) return;
    event->acceptProposedAction();
    // After the drop is over, as a row does with its file.
    QTimer::singleShot(0, this, [this, path] { ImportDroppedProject(path); });
}

bool CQuenlorDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape never close the window; Enter presses the push button
    // that has the focus and does nothing elsewhere.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool swallowed = enter || key->key() == Qt::Key_Escape;
        auto* widget = qobject_cast<QWidget*>(watched);
        // A row's file-name box takes Enter as the end of a typed path.
        if (enter && widget && widget->property(kTakesEnterProperty).toBool())
            return QMainWindow::eventFilter(watched, event);
        // The menu bar, reached with Alt or F10, leaves with Escape.
        if (swallowed && widget && widget->window() == this && !qobject_cast<QMenuBar*>(widget)) {
            auto* button = qobject_cast<QPushButton*>(widget);
            if (enter && button && event->type() == QEvent::KeyPress && !key->isAutoRepeat() && button->hasFocus() &&
                button->isEnabled())
                button->click();
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace torvane::ui
