#include "config/config_file.h"

#include <algorithm>
#include <vector>

#include "core/hex_to_bin.h"
#include "core/workspace.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/profile.h"
#include "platform/prompts.h"

namespace torvane {
namespace {

// Room of the section-name list: ten names of nine characters and their
// terminators do not fit, so a file may name at most nine sections.
constexpr uint32_t kSectionListRoom = 100;
// Room of a string value, terminator included.
constexpr uint32_t kValueRoom = 128;
constexpr size_t kSectionNameLength = 9;  // "FileInfo1" .. "FileInfo6", in characters

size_t CharCount(const std::string& utf8) {
    size_t n = 0;
    for (const unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The FileName value as written: the reader trims blanks and strips one pair
// of matching quotes, so a value that would lose either gets quotes of its own.
std::string StoredValue(const std::string& value) {
    if (value.empty()) return value;
    const bool blankEnds = IsBlank(value.front()) || IsBlank(value.back());
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return blankEnds || quoted ? "\"" + value + "\"" : value;
}

// Nothing when the row's path is read back from the file as it is; otherwise
// the message that refuses the export.
std::optional<std::string> UnstorablePath(const FileEntry& e) {
    const std::string& name = e.FileName;
    if (name.find('\r') != std::string::npos || name.find('\n') != std::string::npos)
        return Format(kPathWithLineBreakFormat, e.FileNo);
    if (FromCodePage(ToCodePage(name)) != name) return Format(kPathNotInCodePageFormat, e.FileNo, name.c_str());
    if (CharCount(name) > kValueRoom - 1) return Format(kPathTooLongFormat, e.FileNo);
    return std::nullopt;
}

FileDialog ConfigDialog() {
    FileDialog d;
    d.filter = kConfigFilter;
    d.defaultExtension = "ini";
    d.kind = FileKind::Project;
    return d;
}

// Takes a working copy of every row that holds a file, checked or not. False,
// after saying so, when no row holds one.
bool GatherExportRows(Workspace& ws) {
    BatchSelection& sel = ws.selection();
    ResetSelection(sel);
    for (int row = 0; row < kRowCount; ++row) {
        ws.rows().CollectEntry(row);
        const FileEntry& entry = ws.rows().Entry(row);
        if (entry.FileName.empty()) continue;
        sel.WorkingCopies[static_cast<size_t>(row)] = entry;
        sel.Rows[static_cast<size_t>(sel.Count++)] = row;
    }
    if (sel.Count == 0) {
        ShowNotice(ws.prompts(), kSelectOneFileMessage);
        return false;
    }
    return true;
}

bool WriteExport(Workspace& ws, const std::string& path) {
    Prompts& prompts = ws.prompts();
    const BatchSelection& sel = ws.selection();
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        if (SameFile(path, e.FileName)) {
            ShowNotice(prompts, Format(kConfigOntoRowFormat, e.FileNo, e.FileName.c_str()));
            return false;
        }
        // A project that silently lacks a row would later build an image without it.
        if (const std::optional<std::string> refusal = UnstorablePath(e)) {
            ShowNotice(prompts, *refusal);
            return false;
        }
    }
    // The file is made empty and then takes the sections in row order: built
    // in memory and written once, so a failed export leaves an old file whole.
    ProfileDocument doc;
    const bool perFile = ws.ListLayout == kAlignLayout;
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        const std::string section = Format("FileInfo%d", e.FileNo);
        doc.Set(section, "FileName", StoredValue(e.FileName));
        doc.Set(section, "FileNo", Format("%d", e.FileNo));
        doc.Set(section, "FileType", Format("%d", e.FileType));
        doc.Set(section, "FileSize", Format("%d", e.FileSize));
        // The column the layout hides is written as a cleared row shows it.
        doc.Set(section, "BINOffset", Format("%.8X", perFile ? 0u : static_cast<uint32_t>(e.BINOffset)));
        doc.Set(section, "PolishType", Format("%d", perFile ? e.PolishType : kDefaultPolishType));
        doc.Set(section, "PolishData", Format("%d", e.PolishData));
        doc.Set(section, "OffsetAddr", Format("%.8X", static_cast<uint32_t>(e.OffsetAddr)));
        doc.Set(section, "IsSaveOffsetData", Format("%d", e.IsSaveOffsetData));
    }
    if (!doc.Save(path)) {
        ShowNotice(prompts, kConfigOpenFailedMessage);
        return false;
    }
    prompts.Show(MessageBox{kConfigSavedMessage, "信息", MessageIcon::Information, MessageButtons::Ok});
    return true;
}

}  // namespace

bool ExportConfigTo(Workspace& ws, const std::string& path) { return GatherExportRows(ws) && WriteExport(ws, path); }

void ExportConfig(Workspace& ws) {
    if (!GatherExportRows(ws)) return;
    FileDialog dialog = ConfigDialog();
    dialog.proposedName = "Config";
    dialog.overwritePrompt = true;
    const std::optional<std::string> path = ws.prompts().SaveFile(dialog);
    if (!path) return;
    WriteExport(ws, *path);
}

ImportResult ImportConfigFrom(Workspace& ws, const std::string& path) {
    // One read of the file for every lookup. A file that cannot be read has no
    // sections, as the profile functions report it; one too large is refused.
    ProfileDocument doc;
    ReadFailure why = ReadFailure::Unreadable;
    if (!doc.Load(path, &why) && why == ReadFailure::TooLarge) {
        ShowNotice(ws.prompts(), Format(kConfigTooLargeFormat, path.c_str()));
        return ImportResult{};
    }
    // Paths written by hand may be relative: they mean the project's own folder.
    return ImportConfigDocument(ws, doc, FolderOf(AbsolutePath(path)));
}

ImportResult ImportConfigDocument(Workspace& ws, const ProfileDocument& doc, const std::string& folder) {
    ImportResult result;
    Prompts& prompts = ws.prompts();
    const SectionNameList list = doc.SectionNames(kSectionListRoom);
    if (list.result == 0) {
        ShowNotice(prompts, kConfigEmptyMessage);
        return result;
    }
    if (list.result % 10 != 0) {
        ShowNotice(prompts, kConfigIncompleteMessage);
        return result;
    }

    // The row comes from the name's last character. A name that ends in no row
    // number refuses the whole file before anything changes; a row named twice
    // is loaded once.
    std::vector<int> rows;
    for (const std::string& name : list.names) {
        const int row = CharCount(name) == kSectionNameLength ? name.back() - '1' : -1;
        if (row < 0 || row >= kRowCount) {
            ShowNotice(prompts, kConfigIncompleteMessage);
            return result;
        }
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) rows.push_back(row);
    }

    FileList& fileList = ws.rows();
    for (int row = 0; row < kRowCount; ++row) {
        if (fileList.Controls(row).FileNameText.empty()) continue;
        ws.selection().WorkingCopies[static_cast<size_t>(row)] = FileEntry{};
        fileList.ClearEntry(row);
    }
    result.accepted = true;

    for (const int r : rows) {
        const std::string section = Format("FileInfo%d", r + 1);
        FileEntry& e = fileList.Entry(r);
        e.FileName = doc.GetString(section, "FileName", "", kValueRoom);
        if (!e.FileName.empty() && !IsAbsolutePath(e.FileName)) e.FileName = ResolveAgainst(folder, e.FileName);
        e.FileNo = r + 1;
        e.FileSize = ParseDecimalField(doc.GetString(section, "FileSize", "", kValueRoom));
        e.OffsetAddr = ParseHexField(doc.GetString(section, "OffsetAddr", "", kValueRoom));
        e.BINOffset = ParseHexField(doc.GetString(section, "BINOffset", "", kValueRoom));
        e.IsSaveOffsetData = doc.GetInt(section, "IsSaveOffsetData", 0);
        e.PolishType = doc.GetInt(section, "PolishType", -1);
        e.PolishData = doc.GetInt(section, "PolishData", -1);
        fileList.ReloadEntry(r);
        ++result.named;
        if (!fileList.Controls(r).FileNameText.empty()) ++result.loaded;
    }
    return result;
}

void ImportConfig(Workspace& ws) {
    const std::optional<std::string> path = ws.prompts().OpenFile(ConfigDialog());
    if (!path) return;
    ImportConfigFrom(ws, *path);
}

}  // namespace torvane
