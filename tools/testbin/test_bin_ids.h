#pragma once

// Control identifiers of the test BIN dialog Dlg_TestBin (resource 162).
namespace torvane::ui::testbin_ids {

inline constexpr int kDialog = 162;
inline constexpr int kLength = 1009;    // edit: length, decimal
inline constexpr int kStart = 1011;     // edit: first filled address, hex
inline constexpr int kEnd = 1012;       // edit: last filled address, hex
inline constexpr int kFill = 1010;      // edit: fill byte, hex; enabled when not random
inline constexpr int kRandom = 1072;    // check box "随机数"
inline constexpr int kPath = 1014;      // edit: output path
inline constexpr int kBrowse = 1062;    // "..."
inline constexpr int kGenerate = 1020;  // "生成"
inline constexpr int kReset = 1021;     // "重置"

}  // namespace torvane::ui::testbin_ids
