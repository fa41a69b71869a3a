#pragma once

#include <string>

namespace torvane {

class Workspace;

inline constexpr const char* kConfigFilter = "ini文件(*.ini)|*.ini||";
inline constexpr const char* kConfigOpenFailedMessage = "配置文件打开失败！";
inline constexpr const char* kConfigSavedMessage = "已将文件配置信息保存到INI文件中。";
inline constexpr const char* kConfigEmptyMessage = "该配置文件为空！";
inline constexpr const char* kConfigIncompleteMessage = "该配置文件不完整！";

// "导出配置文件": asks for a path and writes one section per row that holds a
// file, in the layout ListLayout names.
void ExportConfig(Workspace& ws);

// The export to a given path, without the dialog. True when the file was
// written; every failure has been reported through the workspace's Prompts.
bool ExportConfigTo(Workspace& ws, const std::string& path);

// What an import did.
struct ImportResult {
    bool accepted = false;  // the file passed its checks and the rows were cleared
    int named = 0;          // rows the file names
    int loaded = 0;         // of those, rows whose reload succeeded
};

// "导入配置文件": asks for a file and loads its rows.
void ImportConfig(Workspace& ws);

// The import of a given file, without the dialog.
ImportResult ImportConfigFrom(Workspace& ws, const std::string& path);

}  // namespace torvane
