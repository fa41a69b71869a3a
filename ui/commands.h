#pragma once

// Own headers
#include "core/window_layout.h"
#include "core/workspace.h"
#include "ui/icons.h"
#include "ui/main_ids.h"

// Qt
#include <QtGlobal>

// Standard library
#include <array>
#include <cstddef>
#include <tuple>

// The main window's commands, captions and their places, each defined once:
// the menu bar, the toolbar and the window's buttons are built from these tables.
// The captions are the Chinese ids of the window's texts: shown through
// Texts::tr (widgets/texts.h).
namespace torvane::ui {

// The popups of the menu bar, in their order.
enum class MenuPopup { File, Function, Tools, Help, Count };

inline constexpr std::array<const char*, static_cast<size_t>(MenuPopup::Count)> kMenuTitles = {
    QT_TRANSLATE_NOOP("Torvane", "文件(&F)"), QT_TRANSLATE_NOOP("Torvane", "功能(&M)"), QT_TRANSLATE_NOOP("Torvane", "工具(&T)"), QT_TRANSLATE_NOOP("Torvane", "帮助(&H)")};

// Where a command can be issued from; a command may appear in several places.
enum Where : unsigned {
    kInMenu = 1u << 0,    // an item of the menu bar
    kOnToolBar = 1u << 1, // a toolbar button with a tooltip
    kAsButton = 1u << 2,  // one of the window's filled action buttons
};

// One command. Its menu item and toolbar button carry `id`; its window button,
// where it has one, carries `buttonId`, which may be another number but runs
// the same action.
struct Command {
    int id;
    const char* caption;        // the menu item's text and the toolbar tooltip
    int iconSlot;               // its image in the toolbar strip; -1 off the toolbar
    unsigned where;             // Where bits
    MenuPopup menu;             // the popup of its menu item
    bool separatorBefore;       // a separator precedes its menu item
    int buttonId = 0;           // its window button; 0 for none
    const char* buttonCaption = nullptr;
};

// In menu order. The toolbar shows the commands that have an image, in this
// same order, with a separator between neighbours.
inline constexpr std::array<Command, 20> kCommands = {{
    {main_ids::kImportConfig, QT_TRANSLATE_NOOP("Torvane", "导入配置文件"), 0, kInMenu | kOnToolBar | kAsButton, MenuPopup::File, false,
     main_ids::kImportButton, QT_TRANSLATE_NOOP("Torvane", "导入配置文件")},
    {main_ids::kExportConfig, QT_TRANSLATE_NOOP("Torvane", "导出配置文件"), 1, kInMenu | kOnToolBar | kAsButton, MenuPopup::File, false,
     main_ids::kExportButton, QT_TRANSLATE_NOOP("Torvane", "导出配置文件")},
    {main_ids::kSaveLog, QT_TRANSLATE_NOOP("Torvane", "保存操作记录"), -1, kInMenu | kAsButton, MenuPopup::File, true, main_ids::kSaveLog, QT_TRANSLATE_NOOP("Torvane", "保存")},
    {main_ids::kClearLog, QT_TRANSLATE_NOOP("Torvane", "清空操作记录"), -1, kInMenu | kAsButton, MenuPopup::File, false, main_ids::kClearLog, QT_TRANSLATE_NOOP("Torvane", "清空")},
    {main_ids::kExit, QT_TRANSLATE_NOOP("Torvane", "退出"), -1, kInMenu, MenuPopup::File, true},
    {main_ids::kHexToBin, QT_TRANSLATE_NOOP("Torvane", "HEX转BIN"), 2, kInMenu | kOnToolBar | kAsButton, MenuPopup::Function, false,
     main_ids::kHexToBinButton, QT_TRANSLATE_NOOP("Torvane", "HEX转BIN")},
    {main_ids::kMerge, QT_TRANSLATE_NOOP("Torvane", "合并BIN文件"), 3, kInMenu | kOnToolBar | kAsButton, MenuPopup::Function, false,
     main_ids::kMergeButton, QT_TRANSLATE_NOOP("Torvane", "合并BIN文件")},
    {main_ids::kAlign, QT_TRANSLATE_NOOP("Torvane", "对齐BIN文件"), 4, kInMenu | kOnToolBar | kAsButton, MenuPopup::Function, false,
     main_ids::kAlignButton, QT_TRANSLATE_NOOP("Torvane", "对齐BIN文件")},
    {main_ids::kMemoryMap, QT_TRANSLATE_NOOP("Torvane", "内存分布图"), -1, kInMenu | kAsButton, MenuPopup::Function, false,
     main_ids::kMemoryMapButton, QT_TRANSLATE_NOOP("Torvane", "内存分布图")},
    {main_ids::kMergeSettings, QT_TRANSLATE_NOOP("Torvane", "合并设置"), -1, kInMenu, MenuPopup::Function, false},
    {main_ids::kClearList, QT_TRANSLATE_NOOP("Torvane", "清空文件列表信息"), 5, kInMenu | kOnToolBar, MenuPopup::Function, true},
    {main_ids::kChecksumTool, QT_TRANSLATE_NOOP("Torvane", "生成文件校验值"), -1, kInMenu, MenuPopup::Tools, false},
    {main_ids::kStampTool, QT_TRANSLATE_NOOP("Torvane", "写入校验值"), -1, kInMenu, MenuPopup::Tools, false},
    {main_ids::kCompareTool, QT_TRANSLATE_NOOP("Torvane", "比较映像文件"), -1, kInMenu, MenuPopup::Tools, false},
    {main_ids::kSerializeTool, QT_TRANSLATE_NOOP("Torvane", "批量生成序列号映像"), -1, kInMenu, MenuPopup::Tools, false},
    {main_ids::kTestBinTool, QT_TRANSLATE_NOOP("Torvane", "生成测试文件"), -1, kInMenu, MenuPopup::Tools, true},
    {main_ids::kBinToCTool, QT_TRANSLATE_NOOP("Torvane", "转换文件格式"), -1, kInMenu, MenuPopup::Tools, true},
    {main_ids::kUpgradeTool, QT_TRANSLATE_NOOP("Torvane", "生成网卡升级文件"), -1, kInMenu, MenuPopup::Tools, true},
    {main_ids::kAbout, QT_TRANSLATE_NOOP("Torvane", "关于Torvane"), 6, kInMenu | kOnToolBar, MenuPopup::Help, false},
    // The system menu's about item has no portable place; it stands here.
    {main_ids::kSystemAbout, QT_TRANSLATE_NOOP("Torvane", "关于 Torvane(&A)..."), -1, kInMenu, MenuPopup::Help, true},
}};

// The keyboard's way to each command, in the order of kCommands: the letter
// of its menu item, written after the caption in the Chinese way
// ("导入配置文件(&I)"), and its shortcut in QKeySequence's portable form (empty
// for none). A caption that already carries its letter has none here.
struct CommandKeys {
    int id;
    char mnemonic;  // 0 for none
    const char* shortcut;
};
inline constexpr std::array<CommandKeys, kCommands.size()> kCommandKeys = {{
    {main_ids::kImportConfig, 'I', "Ctrl+O"},
    {main_ids::kExportConfig, 'E', "Ctrl+S"},
    {main_ids::kSaveLog, 'S', "Ctrl+L"},
    {main_ids::kClearLog, 'C', ""},
    {main_ids::kExit, 'X', ""},
    {main_ids::kHexToBin, 'H', ""},
    {main_ids::kMerge, 'M', ""},
    {main_ids::kAlign, 'A', ""},
    {main_ids::kMemoryMap, 'P', ""},
    {main_ids::kMergeSettings, 'G', ""},
    {main_ids::kClearList, 'L', ""},
    {main_ids::kChecksumTool, 'C', ""},
    {main_ids::kStampTool, 'W', ""},
    {main_ids::kCompareTool, 'D', ""},
    {main_ids::kSerializeTool, 'S', ""},
    {main_ids::kTestBinTool, 'T', ""},
    {main_ids::kBinToCTool, 'F', ""},
    {main_ids::kUpgradeTool, 'N', ""},
    {main_ids::kAbout, 'B', "F1"},
    {main_ids::kSystemAbout, 0, ""},
}};

constexpr bool CommandKeysFollowTheCommands() {
    for (size_t i = 0; i < kCommands.size(); ++i) {
        if (kCommandKeys[i].id != kCommands[i].id) return false;
        // A letter for every item but the one whose caption has its own.
        bool ownLetter = false;
        for (const char* p = kCommands[i].caption; *p; ++p) ownLetter = ownLetter || *p == '&';
        if ((kCommandKeys[i].mnemonic != 0) == ownLetter) return false;
    }
    return true;
}
static_assert(CommandKeysFollowTheCommands(), "one entry of keys per command, in its order");

// Shortcuts of commands that have no menu item: the modes and the batch of
// the current mode.
inline constexpr std::array<CommandKeys, 4> kWindowKeys = {{
    {main_ids::kModeHexToBin, 0, "Ctrl+1"},
    {main_ids::kModeMerge, 0, "Ctrl+2"},
    {main_ids::kModeAlign, 0, "Ctrl+3"},
    {main_ids::kRunModeBatch, 0, "F5"},
}};

// The command a number runs: a window button's number gives its command's
// number; every other number is itself.
constexpr int CommandOf(int id) {
    for (const Command& c : kCommands) {
        if (c.buttonId == id) return c.id;
    }
    return id;
}

// The command of a window button; nullptr when the number is no such button.
constexpr const Command* ButtonCommand(int buttonId) {
    for (const Command& c : kCommands) {
        if (buttonId != 0 && c.buttonId == buttonId) return &c;
    }
    return nullptr;
}

constexpr int CountWhere(unsigned where) {
    int n = 0;
    for (const Command& c : kCommands) n += (c.where & where) ? 1 : 0;
    return n;
}

// The toolbar's slots: its buttons with one separator between neighbours.
inline constexpr int kToolBarButtonCount = CountWhere(kOnToolBar);
inline constexpr int kToolBarSlotCount = 2 * kToolBarButtonCount - 1;
static_assert(kToolBarSlotCount == 13, "the toolbar has thirteen slots");
static_assert(kToolBarButtonCount == kToolbarIconCount, "one image of the strip per toolbar button");
// The seven filled action buttons of the window, and the memory map's.
static_assert(CountWhere(kAsButton) == 8, "the eight filled action buttons");

// Checks the table against itself: the toolbar images are taken in order from
// the strip, a place is set exactly when its details are, and a menu's items
// stand together in menu order.
constexpr bool CommandsAreConsistent() {
    int nextIcon = 0;
    int popup = -1;
    for (const Command& c : kCommands) {
        const bool onToolBar = (c.where & kOnToolBar) != 0;
        if (onToolBar != (c.iconSlot >= 0)) return false;
        if (onToolBar && c.iconSlot != nextIcon++) return false;
        const bool asButton = (c.where & kAsButton) != 0;
        if (asButton != (c.buttonId != 0 && c.buttonCaption != nullptr)) return false;
        if (!(c.where & kInMenu)) return false;  // every command has its menu item
        const int m = static_cast<int>(c.menu);
        if (m < popup || m >= static_cast<int>(MenuPopup::Count)) return false;
        if (m != popup && c.separatorBefore) return false;  // a popup never starts with a separator
        popup = m;
    }
    return true;
}
static_assert(CommandsAreConsistent(), "the command table disagrees with itself");

// The mode buttons, left to right, indexed by their WorkMode.
struct ModeButton {
    WorkMode mode;
    int id;
    const char* caption;
};
inline constexpr std::array<ModeButton, 3> kModeButtons = {{
    {WorkMode::HexToBinMode, main_ids::kModeHexToBin, QT_TRANSLATE_NOOP("Torvane", "HEX转BIN")},
    {WorkMode::MergeMode, main_ids::kModeMerge, QT_TRANSLATE_NOOP("Torvane", "合并BIN文件")},
    {WorkMode::AlignMode, main_ids::kModeAlign, QT_TRANSLATE_NOOP("Torvane", "对齐BIN文件")},
}};
constexpr bool ModeButtonsFollowTheModes() {
    for (size_t i = 0; i < kModeButtons.size(); ++i) {
        if (static_cast<size_t>(kModeButtons[i].mode) != i) return false;
    }
    return static_cast<size_t>(WorkMode::AlignMode) + 1 == kModeButtons.size();
}
static_assert(ModeButtonsFollowTheModes(), "one mode button per WorkMode, in its order");

constexpr const ModeButton& ModeButtonOf(WorkMode mode) { return kModeButtons[static_cast<size_t>(mode)]; }

// The column titles above the rows, left to right; the two of the fourth and
// fifth columns change with the mode, these are their first texts.
struct ColumnTitle {
    int id;
    const char* caption;
};
inline constexpr std::array<ColumnTitle, 6> kColumnTitles = {{
    {main_ids::kTitleFile, QT_TRANSLATE_NOOP("Torvane", "目标文件")},
    {main_ids::kTitleSize, QT_TRANSLATE_NOOP("Torvane", "文件大小（字节)")},
    {main_ids::kTitleAlign, QT_TRANSLATE_NOOP("Torvane", "对齐字节")},
    {main_ids::kTitleFill, QT_TRANSLATE_NOOP("Torvane", "补充数据")},
    {main_ids::kTitleOffset, QT_TRANSLATE_NOOP("Torvane", "HEX文件偏移地址(0x)")},
    {main_ids::kTitleKeep, QT_TRANSLATE_NOOP("Torvane", "保留HEX文件偏移地址前数据")},
}};
static_assert(kColumnTitles.size() == std::tuple_size_v<decltype(MainLayout::columnEdges)>,
              "one title per column of the rows");

constexpr const char* TitleCaption(int id) {
    for (const ColumnTitle& t : kColumnTitles) {
        if (t.id == id) return t.caption;
    }
    return "";
}

}  // namespace torvane::ui
