#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/integrity_fields.h"
#include "core/workspace.h"
#include "formats/image_formats.h"

namespace torvane {

class ProfileDocument;
class Workspace;

inline constexpr const char* kConfigFilter = "ini文件(*.ini)|*.ini||";
inline constexpr const char* kConfigOpenFailedMessage = "配置文件打开失败！";
inline constexpr const char* kConfigSavedMessage = "已将文件配置信息保存到INI文件中。";
inline constexpr const char* kConfigEmptyMessage = "该配置文件为空！";
inline constexpr const char* kConfigIncompleteMessage = "该配置文件不完整！";

inline constexpr const char* kConfigTooLargeFormat = "配置文件%s过大，无法导入！";
// A row's value longer than the reader takes: cut, a path would name another file.
inline constexpr const char* kConfigValueTooLongFormat = "该配置文件中文件%d的%s超过%u个字符，无法导入！";
// An export onto a file that one of the rows names would destroy that file.
inline constexpr const char* kConfigOntoRowFormat = "不能将配置文件保存为文件%d：%s，否则该文件将被覆盖！";
// Rows whose path the project file cannot give back as it is.
inline constexpr const char* kPathTooLongFormat = "文件%d的路径超过127个字符，无法保存到配置文件中，导出已取消！";
inline constexpr const char* kPathNotInCodePageFormat =
    "文件%d的路径%s含有当前系统编码无法表示的字符，无法保存到配置文件中，导出已取消！";
inline constexpr const char* kPathWithLineBreakFormat = "文件%d的路径含有换行符，无法保存到配置文件中，导出已取消！";

// The merge's settings beyond the rows go into the first section as keys of
// their own, written only where they differ from the defaults: a reader that
// knows only the nine row keys passes over them, while a section of another
// name would make it refuse the whole file.
inline constexpr const char* kMergeFormatKey = "MergeFormat";  // bin, hex or srec
inline constexpr const char* kMergeBaseKey = "MergeBase";      // the base address, hex
inline constexpr const char* kMergeFieldKeyFormat = "MergeField%d";  // 1, 2, ...: a field as --field takes it
// Which addresses the fields use, written with them: "flash", the addresses
// the map shows (the image offset plus the base of a HEX or S-record output,
// or the base given), or "offset". A project without the key was saved when
// fields were image offsets, and keeps that meaning.
inline constexpr const char* kMergeFieldAddressesKey = "MergeFieldAddresses";
// What fills the gaps between a HEX row's records: "row", the row's fill
// byte; without the key (or "00") 0x00.
inline constexpr const char* kGapFillKey = "GapFill";
inline constexpr int kMaxMergeFields = 64;
inline constexpr const char* kTooManyFieldsFormat = "合并设置中的校验值字段超过%d个，无法保存到配置文件中，导出已取消！";
inline constexpr const char* kBadFieldsExportMessage = "合并设置中的校验值字段有误，无法保存到配置文件中，导出已取消！";
inline constexpr const char* kMergeSettingsBadMessage = "该配置文件的合并设置有误，无法导入！";

// "导出配置文件": asks for a path and writes one section per row that holds a
// file, in the layout ListLayout names. Every path is written so that the
// import reads it back as it is (quoted where blanks or quotes at its ends
// would be lost); a path that cannot be, and a project file that is one of the
// rows' own files, refuse the export before anything is written.
void ExportConfig(Workspace& ws);

// The export to a given path, without the dialog. True when the file was
// written; every failure has been reported through the workspace's Prompts.
bool ExportConfigTo(Workspace& ws, const std::string& path);

// What an import did.
struct ImportResult {
    bool accepted = false;  // the file passed its checks and the rows were cleared
    int named = 0;          // rows the file names
    int loaded = 0;         // of those, rows whose reload succeeded
    int changed = 0;        // of those, rows whose file no longer has the recorded size (or lowest address)
};

// "导入配置文件": asks for a file and loads its rows. A relative FileName is taken
// against the project file's folder.
void ImportConfig(Workspace& ws);

// The import of a given file, without the dialog. A file over
// kProfileSizeLimit is refused unread with kConfigTooLargeFormat.
ImportResult ImportConfigFrom(Workspace& ws, const std::string& path);

// The import of a project already read; relative FileName values are taken
// against `folder`.
ImportResult ImportConfigDocument(Workspace& ws, const ProfileDocument& doc, const std::string& folder);

// A project's merge settings alone, read without loading its rows: what a
// check of a merged file needs from the project that made it.
struct ProjectMergeSettings {
    ImageFormat format = ImageFormat::Binary;
    std::string baseText;           // empty: chosen by the files
    std::vector<FieldSpec> fields;  // in the addresses `addresses` names
    FieldAddresses addresses = FieldAddresses::Map;
};
// Nothing, with the reason in English, when the file cannot be read, holds no
// section, or holds settings that cannot be read.
std::optional<ProjectMergeSettings> ReadProjectMergeSettings(const std::string& path, std::string& why);

}  // namespace torvane
