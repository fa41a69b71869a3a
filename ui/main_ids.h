#pragma once

// Control and command identifiers of the main window.
namespace torvane::ui::main_ids {

inline constexpr int kModeHexToBin = 1027;
inline constexpr int kModeMerge = 1028;
inline constexpr int kModeAlign = 1029;
inline constexpr int kHeaderCheck = 1048;
inline constexpr int kTitleFile = 1049;
inline constexpr int kTitleSize = 1050;
inline constexpr int kTitleAlign = 1055;
inline constexpr int kTitleFill = 1056;
inline constexpr int kTitleOffset = 1053;
inline constexpr int kTitleKeep = 1054;
inline constexpr int kOutputLabel = 1069;
inline constexpr int kOutputFile = 1003;
inline constexpr int kOutputBrowse = 1070;
inline constexpr int kImportButton = 1060;
inline constexpr int kExportButton = 1061;
inline constexpr int kHexToBinButton = 1023;
inline constexpr int kMergeButton = 1024;
inline constexpr int kAlignButton = 1025;
inline constexpr int kLogGroup = 1068;
inline constexpr int kLogList = 1071;
inline constexpr int kSaveLog = 1059;
inline constexpr int kClearLog = 1004;

// Commands of the menu bar and the toolbar.
inline constexpr int kImportConfig = 32776;
inline constexpr int kExportConfig = 32772;
inline constexpr int kExit = 32778;
inline constexpr int kHexToBin = 32782;
inline constexpr int kMerge = 32783;
inline constexpr int kAlign = 32784;
inline constexpr int kClearList = 32777;
inline constexpr int kChecksumTool = 32781;
inline constexpr int kTestBinTool = 32774;
inline constexpr int kBinToCTool = 32773;
inline constexpr int kUpgradeTool = 32806;
// Our own: the memory map of the merge, from the 功能 menu and its button.
inline constexpr int kMemoryMap = 32810;
inline constexpr int kMemoryMapButton = 1090;
// Our own: the merge mode's line of what the merge will make.
inline constexpr int kMergePlan = 1091;
// Our own: the stamp tool (工具), the merge's format, base and fields (功能).
inline constexpr int kStampTool = 32812;
inline constexpr int kMergeSettings = 32813;
// Our own: the image comparison and field check (工具).
inline constexpr int kCompareTool = 32814;
// Our own: the batch of the current mode (F5), whichever it is.
inline constexpr int kRunModeBatch = 32811;
inline constexpr int kAbout = 32775;
inline constexpr int kSystemAbout = 16;

}  // namespace torvane::ui::main_ids
