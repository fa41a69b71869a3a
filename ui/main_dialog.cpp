#include "ui/main_dialog.h"

#include "torvane/version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>

#include "config/config_file.h"
#include "core/align.h"
#include "core/hex_to_bin.h"
#include "core/merge.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "ui/about_dialog.h"
#include "ui/widgets/button_st.h"
#include "ui/widgets/ec_button.h"
#include "ui/widgets/ec_static.h"
#include "ui/widgets/new_list_box.h"
#include "ui/icons.h"
#include "ui/list_item.h"
#include "ui/main_ids.h"
#include "ui/tool_dialogs.h"

namespace torvane::ui {
namespace {

using namespace main_ids;

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

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

double ScreenScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1.0;
    return UiScaleFor(static_cast<int>(screen->logicalDotsPerInchX()), static_cast<int>(screen->logicalDotsPerInchY()));
}

QFont PixelFont(const QString& face, int px) {
    QFont f(face);
    f.setPixelSize(std::max(1, px));
    f.setWeight(QFont::Normal);
    return f;
}

struct MenuItem {
    int id;  // 0 for a separator
    const char* text;
};

}  // namespace

CQuenlorDlg::CQuenlorDlg(Prompts& prompts, double scale, QWidget* parent)
    : QMainWindow(parent), ws_(prompts), scale_(scale > 0 ? scale : ScreenScale()), layout_(ComputeMainLayout(scale_)) {
    setWindowTitle(QStringLiteral("Torvane " TORVANE_VERSION_TAG));
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(QFont(QStringLiteral("MS Shell Dlg"), 8));

    client_ = new ClientArea(layout_, this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    BuildMenus();
    BuildToolBar();
    BuildControls();
    ApplyLayout();
    ApplyFonts();
    // The workspace has already switched to HexToBinMode and checked box 1048.
    SelectMode(WorkMode::HexToBinMode);
    qApp->installEventFilter(this);
}

CQuenlorDlg::~CQuenlorDlg() {
    qApp->removeEventFilter(this);
    // The log list stops listening before the workspace's log goes away.
    logList_->Show(nullptr);
}

void CQuenlorDlg::BuildControls() {
    auto name = [](QWidget* w, int id) { w->setObjectName(QString::number(id)); };

    const std::array<std::pair<int, const char*>, 3> modes = {
        {{kModeHexToBin, "HEX转BIN"}, {kModeMerge, "合并BIN文件"}, {kModeAlign, "对齐BIN文件"}}};
    for (size_t i = 0; i < modes.size(); ++i) {
        auto* b = new CButtonST(QString::fromUtf8(modes[i].second), client_);
        name(b, modes[i].first);
        const int id = modes[i].first;
        connect(b, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        modeButtons_[i] = b;
    }

    headerCheck_ = new QCheckBox(QStringLiteral("序号"), client_);
    name(headerCheck_, kHeaderCheck);
    connect(headerCheck_, &QCheckBox::clicked, this, [this](bool on) {
        ws_.HeaderChecked = on;
        OnCommand(kHeaderCheck);
    });

    const std::array<std::pair<int, const char*>, 6> titles = {{{kTitleFile, "目标文件"},
                                                                {kTitleSize, "文件大小（字节)"},
                                                                {kTitleAlign, "对齐字节"},
                                                                {kTitleFill, "补充数据"},
                                                                {kTitleOffset, "HEX文件偏移地址(0x)"},
                                                                {kTitleKeep, "保留HEX文件偏移地址前数据"}}};
    for (size_t i = 0; i < titles.size(); ++i) {
        titles_[i] = new CECStatic(QString::fromUtf8(titles[i].second), client_);
        name(titles_[i], titles[i].first);
    }

    for (int i = 0; i < kRowCount; ++i) {
        auto* r = new Dlg_ListItem(ws_.rows(), i, scale_, client_);
        connect(r, &Dlg_ListItem::changed, this, [this] { RefreshAll(); });
        rows_[static_cast<size_t>(i)] = r;
    }

    outputLabel_ = new CECStatic(QStringLiteral("输出文件："), client_);
    name(outputLabel_, kOutputLabel);
    outputFile_ = new QLineEdit(client_);
    name(outputFile_, kOutputFile);
    connect(outputFile_, &QLineEdit::textEdited, this, [this](const QString& t) { ws_.OutputFileText = t.toStdString(); });
    outputBrowse_ = new QPushButton(QStringLiteral("..."), client_);
    name(outputBrowse_, kOutputBrowse);
    outputBrowse_->setAutoDefault(false);
    connect(outputBrowse_, &QPushButton::clicked, this, [this] { OnCommand(kOutputBrowse); });

    const std::array<std::pair<int, const char*>, 5> actions = {{{kImportButton, "导入配置文件"},
                                                                 {kExportButton, "导出配置文件"},
                                                                 {kHexToBinButton, "HEX转BIN"},
                                                                 {kMergeButton, "合并BIN文件"},
                                                                 {kAlignButton, "对齐BIN文件"}}};
    for (size_t i = 0; i < actions.size(); ++i) {
        auto* b = new CECButton(QString::fromUtf8(actions[i].second), client_);
        name(b, actions[i].first);
        const int id = actions[i].first;
        connect(b, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        actionButtons_[i] = b;
    }

    logGroup_ = new QGroupBox(QStringLiteral("操作记录"), client_);
    name(logGroup_, kLogGroup);
    logList_ = new CNewListBox(client_);
    name(logList_, kLogList);
    logList_->Show(&ws_.log());
    saveButton_ = new CECButton(QStringLiteral("保存"), client_);
    name(saveButton_, kSaveLog);
    connect(saveButton_, &QPushButton::clicked, this, [this] { OnCommand(kSaveLog); });
    clearButton_ = new CECButton(QStringLiteral("清空"), client_);
    name(clearButton_, kClearLog);
    connect(clearButton_, &QPushButton::clicked, this, [this] { OnCommand(kClearLog); });
}

void CQuenlorDlg::BuildMenus() {
    const std::array<std::pair<const char*, std::vector<MenuItem>>, 4> menus = {{
        {"文件",
         {{kImportConfig, "导入配置文件"},
          {kExportConfig, "导出配置文件"},
          {0, nullptr},
          {kSaveLog, "保存操作记录"},
          {kClearLog, "清空操作记录"},
          {0, nullptr},
          {kExit, "退出"}}},
        {"功能", {{kHexToBin, "HEX转BIN"}, {kMerge, "合并BIN文件"}, {kAlign, "对齐BIN文件"}, {0, nullptr},
                   {kClearList, "清空文件列表信息"}}},
        {"工具",
         {{kChecksumTool, "生成文件校验值"},
          {0, nullptr},
          {kTestBinTool, "生成测试文件"},
          {0, nullptr},
          {kBinToCTool, "转换文件格式"},
          {0, nullptr},
          {kUpgradeTool, "生成网卡升级文件"}}},
        // The system menu's about item has no portable place; it stands here.
        {"帮助", {{kAbout, "关于Torvane"}, {0, nullptr}, {kSystemAbout, "关于 Quenlor(&A)..."}}},
    }};
    for (const auto& [title, items] : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        for (const MenuItem& item : items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* a = menu->addAction(QString::fromUtf8(item.text));
            a->setObjectName(QStringLiteral("menu%1").arg(item.id));
            const int id = item.id;
            connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
            menuActions_[id] = a;
        }
    }
}

void CQuenlorDlg::BuildToolBar() {
    toolBar_ = new QToolBar(client_);
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    toolBar_->setIconSize(QSize(24, 24));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    const std::array<std::pair<int, const char*>, 7> buttons = {{{kImportConfig, "导入配置文件"},
                                                                 {kExportConfig, "导出配置文件"},
                                                                 {kHexToBin, "HEX转BIN"},
                                                                 {kMerge, "合并BIN文件"},
                                                                 {kAlign, "对齐BIN文件"},
                                                                 {kClearList, "清空文件列表信息"},
                                                                 {kAbout, "关于Torvane"}}};
    const std::vector<QIcon> strip = ToolbarIcons();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (i > 0) toolBar_->addSeparator();
        QAction* a = toolBar_->addAction(strip.at(i), QString::fromUtf8(buttons[i].second));
        a->setToolTip(QString::fromUtf8(buttons[i].second));
        a->setObjectName(QStringLiteral("tool%1").arg(buttons[i].first));
        const int id = buttons[i].first;
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        toolActions_[buttons[i].first] = a;
    }
}

void CQuenlorDlg::ApplyLayout() {
    const MainLayout& m = layout_;
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(m.windowWidth - kFrameWidth, m.windowHeight - kFrameHeight);
    const int clientHeight = m.windowHeight - kFrameHeight - menuHeight;
    client_->setFixedSize(m.windowWidth - kFrameWidth, clientHeight);
    toolBar_->setGeometry(0, 0, client_->width(), toolBar_->sizeHint().height());

    for (size_t i = 0; i < modeButtons_.size(); ++i) modeButtons_[i]->setGeometry(ToQRect(m.modeButtons[i]));
    headerCheck_->setGeometry(ToQRect(m.headerCheck));
    for (size_t i = 0; i < titles_.size(); ++i) titles_[i]->setGeometry(ToQRect(m.titles[i]));
    for (size_t i = 0; i < rows_.size(); ++i) rows_[i]->setGeometry(ToQRect(m.rows[i]));
    outputLabel_->setGeometry(ToQRect(m.outputLabel));
    outputFile_->setGeometry(ToQRect(m.outputEdit));
    outputBrowse_->setGeometry(ToQRect(m.outputBrowse));
    for (size_t i = 0; i < actionButtons_.size(); ++i) actionButtons_[i]->setGeometry(ToQRect(m.actionButtons[i]));
    logGroup_->setGeometry(ToQRect(m.logGroup));
    logList_->setGeometry(ToQRect(m.logList));
    logList_->raise();
    saveButton_->setGeometry(ToQRect(m.saveButton));
    clearButton_->setGeometry(ToQRect(m.clearButton));
    saveButton_->raise();
    clearButton_->raise();
}

void CQuenlorDlg::ApplyFonts() {
    const QString hei = QStringLiteral("黑体");
    logGroup_->setFont(PixelFont(hei, layout_.groupFontPx));
    const QFont title = PixelFont(hei, layout_.titleFontPx);
    headerCheck_->setFont(title);
    for (CECStatic* t : titles_) t->setFont(title);
    outputLabel_->setFont(title);
    outputFile_->setFont(PixelFont(QStringLiteral("MS Shell Dlg"), layout_.pathFontPx));
    for (CECButton* b : actionButtons_) b->SetCaptionFont(layout_.captionFontPx, hei, 0);
    saveButton_->SetCaptionFont(layout_.captionFontPx, hei, 0);
    clearButton_->SetCaptionFont(layout_.captionFontPx, hei, 0);
}

bool CQuenlorDlg::IsEnabled(int id) const {
    switch (id) {
        case kHexToBinButton:
        case kHexToBin: return ws_.IsEnabled(Operation::HexToBin);
        case kMergeButton:
        case kMerge: return ws_.IsEnabled(Operation::Merge);
        case kAlignButton:
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
    titles_[2]->setText(QString::fromStdString(ws_.AlignTitle));
    titles_[3]->setText(QString::fromStdString(ws_.FillTitle));
    const QString output = QString::fromStdString(ws_.OutputFileText);
    if (outputFile_->text() != output) outputFile_->setText(output);
    headerCheck_->setChecked(ws_.HeaderChecked);
    for (Dlg_ListItem* r : rows_) r->Refresh();

    const std::array<WorkMode, 3> modes = {WorkMode::HexToBinMode, WorkMode::MergeMode, WorkMode::AlignMode};
    for (size_t i = 0; i < modeButtons_.size(); ++i) {
        CButtonST* b = modeButtons_[i];
        if (modes[i] == ws_.Mode()) {
            // Once selected, a mode button draws no border again.
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

    actionButtons_[2]->setEnabled(IsEnabled(kHexToBinButton));
    actionButtons_[3]->setEnabled(IsEnabled(kMergeButton));
    actionButtons_[4]->setEnabled(IsEnabled(kAlignButton));
    for (int id : {kHexToBin, kMerge, kAlign}) {
        if (QAction* a = menuAction(id)) a->setEnabled(IsEnabled(id));
        if (QAction* a = toolAction(id)) a->setEnabled(IsEnabled(id));
    }
}

void CQuenlorDlg::OnCommand(int id) {
    if (!IsEnabled(id)) return;
    switch (id) {
        case kImportConfig:
        case kImportButton: ImportConfig(ws_); break;
        case kExportConfig:
        case kExportButton: ExportConfig(ws_); break;
        case kSaveLog: ws_.log().SaveToFile(ws_.prompts()); break;
        case kClearLog: ws_.log().Clear(); break;
        case kExit: close(); break;
        case kHexToBin:
        case kHexToBinButton: HexToBinBatch(ws_); break;
        case kMerge:
        case kMergeButton: MergeBatch(ws_); break;
        case kAlign:
        case kAlignButton: AlignBatch(ws_); break;
        case kClearList: ws_.ClearList(); break;
        case kChecksumTool:
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
        default: return;
    }
    RefreshAll();
}

void CQuenlorDlg::ChooseOutputFile() {
    FileDialog dialog;
    dialog.filter = "bin文件(*.bin)|*.bin|所有文件(*.*)|*.*||";
    dialog.defaultExtension = "Bin";
    dialog.initialFolder = DefaultFilesFolder();
    dialog.overwritePrompt = true;
    dialog.allowNewFile = true;
    const std::optional<std::string> path = ws_.prompts().OpenFile(dialog);
    if (path) ws_.OutputFileText = *path;
}

void CQuenlorDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CQuenlorDlg::OpenTool(int id) { OpenToolDialog(id, this); }

bool CQuenlorDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Escape never close the window or press a button in it.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool swallowed =
            key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (swallowed && widget && widget->window() == this) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace torvane::ui
