#pragma once

// Control identifiers of a file list row (Dlg_ListItem).
namespace torvane::ui::row_ids {

inline constexpr int kSelect = 1066;          // numbered check box: IsSelected, caption FileNo
inline constexpr int kFileName = 1057;        // edit: FileName
inline constexpr int kBrowse = 1037;          // button "...": ChooseFile
inline constexpr int kFileSize = 1038;        // edit: FileSize (decimal)
inline constexpr int kPolishType = 1043;      // drop-down list: PolishType
inline constexpr int kBinOffset = 1010;       // edit: BINOffset (hex)
inline constexpr int kPolishData = 1044;      // drop-down list: PolishData
inline constexpr int kOffsetAddr = 1041;      // edit: OffsetAddr (hex)
inline constexpr int kSaveOffsetData = 1042;  // check box: IsSaveOffsetData
inline constexpr int kDeleteCommand = 32780;  // context menu "删除"

}  // namespace torvane::ui::row_ids
