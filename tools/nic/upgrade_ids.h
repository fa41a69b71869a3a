#pragma once

// Control identifiers of the upgrade-file dialog CDlg_NCUpgradeFile (resource 192).
namespace torvane::ui::upgrade_ids {

inline constexpr int kDialog = 192;
inline constexpr int kCdromImage = 1076;   // edit with browse button: image A, "升级文件+CDROM"
inline constexpr int kImage = 1077;        // edit with browse button: image B, "升级文件"
inline constexpr int kConfig = 1078;       // edit with browse button: "网卡配置文件"
inline constexpr int kMerge = 1002;        // "生成合并后的文件"
inline constexpr int kProduction = 1003;   // "生成生产使用文件"
inline constexpr int kList = 1071;         // the result lines

}  // namespace torvane::ui::upgrade_ids
