#pragma once

// Control identifiers of the C array dialog CDlg_BinToH (resource 170).
namespace torvane::ui::bin2c_ids {

inline constexpr int kDialog = 170;
inline constexpr int kSource = 1014;       // edit: the file to convert
inline constexpr int kBrowseSource = 1037; // "..."
inline constexpr int kTarget = 1015;       // edit: the C source to write
inline constexpr int kBrowseTarget = 1038; // "..."
inline constexpr int kConvert = 1065;      // "转换"
// Our own: the element type uint8_t with <stdint.h>.
inline constexpr int kStdintType = 1090;

}  // namespace torvane::ui::bin2c_ids
