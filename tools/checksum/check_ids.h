#pragma once

// Control identifiers of the check-value dialog CDlg_Check (resource 168).
namespace torvane::ui::check_ids {

inline constexpr int kDialog = 168;
inline constexpr int kPath = 1010;      // edit: the file to check
inline constexpr int kBrowse = 1002;    // "..."
inline constexpr int kData = 1011;      // edit: typed data, hex text
inline constexpr int kMethodList = 1064;
inline constexpr int kResult = 1009;    // edit: the check value

}  // namespace torvane::ui::check_ids
