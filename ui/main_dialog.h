#pragma once

#include <QMainWindow>

class QMenu;
#include <array>
#include <map>

#include "core/window_layout.h"
#include "core/workspace.h"

class QAction;
class QCheckBox;
class QSettings;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolBar;

namespace torvane::ui {

class CButtonST;
class CECButton;
class CECStatic;
class CNewListBox;
class Dlg_ListItem;

// The main window: a view of its Workspace. Every button, menu item and toolbar
// button carries a command number and OnCommand routes it; after each command
// the widgets show the workspace's state again.
class CQuenlorDlg : public QMainWindow {
    Q_OBJECT
public:
    // `scale` is UiScale; 0 takes it from the desktop (DesktopUiScale).
    // `available` is the screen area the window must fit (FitWindowToScreen);
    // none takes the primary screen's with the desktop's scale, and a scale
    // given without an area is taken as it is.
    explicit CQuenlorDlg(Prompts& prompts, double scale = 0, QSize available = QSize(), QWidget* parent = nullptr);
    ~CQuenlorDlg() override;

    Workspace& workspace() { return ws_; }
    const MainLayout& layout() const { return layout_; }
    const WindowFit& fit() const { return fit_; }
    Dlg_ListItem* row(int i) const { return rows_[static_cast<size_t>(i)]; }

    // Runs the action of a command number; a disabled command does nothing.
    void OnCommand(int id);
    // The enable rule: the WorkMode flag for the three batch commands, true otherwise.
    bool IsEnabled(int id) const;

    // The menu action or toolbar action of a command (nullptr when it has none).
    QAction* menuAction(int id) const;
    QAction* toolAction(int id) const;
    QToolBar* toolBar() const { return toolBar_; }

    // Shows the workspace's state in every widget.
    void RefreshAll();
    // The merge mode's line of what the merge will make, from the rows and
    // settings as they are now; hidden in the other modes.
    void ShowMergePlan();
    QLabel* mergePlan() const { return mergePlan_; }

    // What the command line asks at start: a project imported as a dropped
    // one is, or files chosen for rows 1.. in order as dropped ones are.
    void ImportProject(const QString& path);
    void LoadFiles(const QStringList& paths);

    // What the window remembers between runs (core/window_state.h): the size
    // of its client area and the mode it was left in. RestoreState takes them
    // before the window is shown; WasMaximized tells whether to show it so.
    void RestoreState(QSettings& settings);
    void SaveState(QSettings& settings) const;
    bool WasMaximized() const { return wasMaximized_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    // 帮助 → 语言: 中文, English or 跟随系统, for the next start.
    void AddLanguageMenu(QMenu* help);
    void BuildToolBar();
    // Sets the window's size limits and its size for the stretch.
    void ApplySize();
    // Puts every control where the layout says.
    void ApplyLayout();
    void ApplyFonts();
    void FitCaptionFonts();
    void ApplyTabOrder();
    void SelectMode(WorkMode mode);
    void ChooseOutputFile();
    void ShowAbout();
    // "合并设置": the merge's output format, base address and integrity fields.
    void ShowMergeSettings();
    // "内存分布图": the map of the merge the rows would make, or of the last one.
    void ShowMemoryMap();
    void OpenTool(int id);
    // Imports a project file as the import button does, after its dialog.
    void ImportDroppedProject(const QString& path);
    // A filled action button with its command's caption, carrying the button's number.
    CECButton* MakeActionButton(int buttonId);
    CButtonST* ModeButtonFor(WorkMode mode) const;

    Workspace ws_;
    QSize available_;
    WindowFit fit_;
    double scale_;
    MainLayout layout_;
    LayoutStretch stretch_;
    bool wasMaximized_ = false;

    QWidget* client_ = nullptr;
    QScrollArea* scroller_ = nullptr;  // only where the window does not fit at scale 1
    CButtonST* hexToBinMode_ = nullptr;
    CButtonST* mergeMode_ = nullptr;
    CButtonST* alignMode_ = nullptr;
    QCheckBox* headerCheck_ = nullptr;
    CECStatic* fileTitle_ = nullptr;
    CECStatic* sizeTitle_ = nullptr;
    CECStatic* alignTitle_ = nullptr;  // its text follows the mode
    CECStatic* fillTitle_ = nullptr;   // its text follows the mode
    CECStatic* offsetTitle_ = nullptr;
    CECStatic* keepTitle_ = nullptr;
    std::array<Dlg_ListItem*, kRowCount> rows_{};
    QLabel* mergePlan_ = nullptr;
    CECStatic* outputLabel_ = nullptr;
    QLineEdit* outputFile_ = nullptr;
    QPushButton* outputBrowse_ = nullptr;
    CECButton* importButton_ = nullptr;
    CECButton* exportButton_ = nullptr;
    CECButton* hexToBinButton_ = nullptr;
    CECButton* mergeButton_ = nullptr;
    CECButton* alignButton_ = nullptr;
    CECButton* memoryMapButton_ = nullptr;
    int lastBatch_ = 0;  // the batch command run last
    QGroupBox* logGroup_ = nullptr;
    CNewListBox* logList_ = nullptr;
    CECButton* saveButton_ = nullptr;
    CECButton* clearButton_ = nullptr;
    QWidget* gripper_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::map<int, QAction*> menuActions_;
    std::map<int, QAction*> toolActions_;
};

}  // namespace torvane::ui
