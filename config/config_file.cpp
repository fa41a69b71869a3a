#include "config/config_file.h"

#include "core/messages.h"

#include <algorithm>
#include <vector>

#include "core/hex_to_bin.h"
#include "core/integrity_fields.h"
#include "core/merge.h"
#include "core/merge_layout.h"
#include "core/workspace.h"
#include "platform/code_page.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/profile.h"
#include "platform/utf8.h"
#include "platform/prompts.h"

namespace torvane {
namespace {

// Room of the section-name list: ten names of nine characters and their
// terminators do not fit, so a file may name at most nine sections.
constexpr uint32_t kSectionListRoom = 100;
// Room of a string value, terminator included.
constexpr uint32_t kValueRoom = 128;
constexpr size_t kSectionNameLength = 9;  // "FileInfo1" .. "FileInfo6", in characters
// The keys of a row read as text; the others are read as numbers, whole.
constexpr const char* kRowTextKeys[] = {"FileName", "FileSize", "OffsetAddr", "BINOffset"};
constexpr const char* kRowNumberKeys[] = {"FileNo", "FileType", "PolishType", "PolishData", "IsSaveOffsetData"};
static_assert(kValueRoom - 1 == kProjectValueLimit, "the reader's room is the limit a value is checked against");

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string StoredValue(const std::string& value) { return StoredProjectValue(value); }

// A refusal of the export: its message and its reason.
struct Refusal {
    std::string message;
    std::string reason;
};

// Nothing when the row's path is read back from the file as it is; otherwise
// the message that refuses the export.
std::optional<Refusal> UnstorablePath(const FileEntry& e) {
    const std::string& name = e.FileName;
    if (name.find('\r') != std::string::npos || name.find('\n') != std::string::npos)
        return Refusal{Format(Localized(kPathWithLineBreakFormat), e.FileNo), "the path holds a line break"};
    if (FromCodePage(ToCodePage(name)) != name)
        return Refusal{Format(Localized(kPathNotInCodePageFormat), e.FileNo, name.c_str()),
                       "the path holds characters the system code page cannot represent"};
    if (Utf8CharCount(name) > kValueRoom - 1)
        return Refusal{Format(Localized(kPathTooLongFormat), e.FileNo),
                       Format("the path has %llu characters, more than the %u a project file holds",
                              static_cast<unsigned long long>(Utf8CharCount(name)), kValueRoom - 1)};
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
        ExplainFailure(ws.prompts(), 0, "", "no row holds a file");
        return false;
    }
    return true;
}

void WriteMergeSettings(const Workspace& ws, ProfileDocument& doc, const std::string& section) {
    if (ws.MergeFormat != ImageFormat::Binary) doc.Set(section, kMergeFormatKey, FormatKeyword(ws.MergeFormat));
    if (!ws.MergeBaseText.empty())
        doc.Set(section, kMergeBaseKey, Format("%.8X", static_cast<uint32_t>(ParseHexField(ws.MergeBaseText))));
    if (ws.HexGapFill == GapFill::RowFill) doc.Set(section, kGapFillKey, "row");
    if (!ws.MergeFields.empty())
        doc.Set(section, kMergeFieldAddressesKey,
                ws.MergeFieldAddresses == FieldAddresses::Map ? "flash" : "offset");
    for (size_t i = 0; i < ws.MergeFields.size(); ++i)
        doc.Set(section, Format(kMergeFieldKeyFormat, static_cast<int>(i) + 1), FieldSpecText(ws.MergeFields[i]));
}

// The serialiser's keys of the project that `path` holds now, put into the
// section `section` of the document that replaces it.
void KeepSerialKeys(const std::string& path, ProfileDocument& doc, const std::string& section) {
    ProfileDocument old;
    if (!FileExists(path) || !old.Load(path)) return;
    for (const std::string& name : old.SectionNames(UINT32_MAX).names) {
        bool found = false;
        for (const std::string& key : old.KeyNames(name)) {
            if (!IsSerialKey(key)) continue;
            if (const std::optional<std::string> value = old.Value(name, key)) {
                doc.Set(section, key, StoredProjectValue(*value));
                found = true;
            }
        }
        if (found) return;
    }
}

bool WriteExport(Workspace& ws, const std::string& path) {
    Prompts& prompts = ws.prompts();
    const BatchSelection& sel = ws.selection();
    for (int k = 0; k < sel.Count; ++k) {
        const FileEntry& e = sel.Entry(k);
        if (SameFile(path, e.FileName)) {
            ShowNotice(prompts, Format(Localized(kConfigOntoRowFormat), e.FileNo, e.FileName.c_str()));
            ExplainFailure(prompts, 0, path,
                           Format("the project would replace %s, the file of row %d", e.FileName.c_str(), e.FileNo));
            return false;
        }
        // A project that silently lacks a row would later build an image without it.
        if (const std::optional<Refusal> refusal = UnstorablePath(e)) {
            ShowNotice(prompts, refusal->message);
            ExplainFailure(prompts, e.FileNo, e.FileName, refusal->reason);
            return false;
        }
    }
    // A project whose merge would refuse its fields is no project to keep.
    if (const std::optional<std::string> problem =
            MergeFieldsProblem(ws.MergeFields, ws.MergeFieldAddresses, ws.MergeBaseText, ws.MergeFormat)) {
        ShowNotice(prompts, kBadFieldsExportMessage);
        ExplainFailure(prompts, 0, path, *problem);
        return false;
    }
    if (static_cast<int>(ws.MergeFields.size()) > kMaxMergeFields) {
        ShowNotice(prompts, Format(Localized(kTooManyFieldsFormat), kMaxMergeFields));
        ExplainFailure(prompts, 0, path, Format("a project keeps at most %d fields", kMaxMergeFields));
        return false;
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
        if (k == 0) WriteMergeSettings(ws, doc, section);
    }
    if (sel.Count > 0) KeepSerialKeys(path, doc, Format("FileInfo%d", sel.Entry(0).FileNo));
    if (!doc.Save(path)) {
        const std::string problem = FileProblem(path, FileUse::Write);
        ShowNotice(prompts, kConfigOpenFailedMessage);
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    prompts.Show(MessageBox{kConfigSavedMessage, Localized("信息"), MessageIcon::Information, MessageButtons::Ok});
    return true;
}

}  // namespace

bool IsSerialKey(std::string_view key) {
    const std::string_view prefix = kSerialKeyPrefix;
    if (key.size() <= prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(key[i]) != lower(prefix[i])) return false;
    }
    return true;
}

std::string StoredProjectValue(const std::string& value) {
    // The reader trims blanks and strips one pair of matching quotes, so a
    // value that would lose either gets quotes of its own.
    if (value.empty()) return value;
    const bool blankEnds = IsBlank(value.front()) || IsBlank(value.back());
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return blankEnds || quoted ? "\"" + value + "\"" : value;
}

std::optional<std::string> UnstorableProjectValue(const std::string& value) {
    if (value.find('\r') != std::string::npos || value.find('\n') != std::string::npos)
        return std::string("it holds a line break");
    if (FromCodePage(ToCodePage(value)) != value)
        return std::string("it holds characters the system code page cannot represent");
    if (Utf8CharCount(value) > kProjectValueLimit)
        return Format("it has %llu characters, more than the %u a project value may have",
                      static_cast<unsigned long long>(Utf8CharCount(value)), kProjectValueLimit);
    return std::nullopt;
}

std::optional<std::string> WholeProjectValue(const ProfileDocument& doc, const std::string& section,
                                             const std::string& key, std::string& why) {
    const std::optional<std::string> value = doc.Value(section, key);
    if (!value) return std::nullopt;
    const size_t characters = Utf8CharCount(*value);
    if (characters > kProjectValueLimit) {
        why = Format("[%s] %s holds %llu characters, more than the %u a project value may have", section.c_str(),
                     key.c_str(), static_cast<unsigned long long>(characters), kProjectValueLimit);
        return std::nullopt;
    }
    return value;
}

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

namespace {

// The reason of kConfigIncompleteMessage: the first section name that is not
// one of the rows', or a list cut for too many names.
std::string IncompleteReason(const SectionNameList& list) {
    if (list.result == kSectionListRoom - 2)
        return Format("the file has more section names than fit the %u characters a project's list takes "
                      "(at most nine sections)",
                      kSectionListRoom);
    for (const std::string& name : list.names) {
        const int row = Utf8CharCount(name) == kSectionNameLength ? name.back() - '1' : -1;
        if (row < 0 || row >= kRowCount)
            return Format("the section name [%s] is not one of FileInfo1 to FileInfo6", name.c_str());
    }
    return "a section name is not one of FileInfo1 to FileInfo6";
}

// The merge settings a project holds.
struct MergeSettings {
    ImageFormat format = ImageFormat::Binary;
    std::string baseText;
    std::vector<FieldSpec> fields;
    FieldAddresses addresses = FieldAddresses::Map;
    GapFill gapFill = GapFill::Zero;
};

// A value that no key holds: a key's absence.
constexpr const char* kAbsent = "\n";

// The key's value as the reader takes it, or `fallback` when the key is
// missing; nothing, with the reason, when it is longer than the reader's room:
// cut, a field would lose its ":be" or a range its end, a path would name
// another file.
std::optional<std::string> ProjectValue(const ProfileDocument& doc, const std::string& section, const std::string& key,
                                        const std::string& fallback, std::string& why) {
    const std::optional<std::string> value = doc.Value(section, key);
    if (!value) return fallback;
    const size_t characters = Utf8CharCount(*value);
    if (characters > kValueRoom - 1) {
        why = Format("[%s] %s holds %llu characters, more than the %u a project value may have", section.c_str(),
                     key.c_str(), static_cast<unsigned long long>(characters), kValueRoom - 1);
        return std::nullopt;
    }
    return value;
}

constexpr std::string_view kMergeFieldPrefix = "MergeField";

// ASCII letters compared without regard to case, as the profile reader
// compares key names.
bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsFieldKey(const std::string& key) {
    return key.size() > kMergeFieldPrefix.size() && !SameLetters(key, kMergeFieldAddressesKey) &&
           SameLetters(std::string_view(key).substr(0, kMergeFieldPrefix.size()), kMergeFieldPrefix);
}

// A key of the merge's settings: MergeFormat, MergeBase, MergeField...,
// MergeFieldAddresses or GapFill.
bool IsMergeKey(const std::string& key) {
    return SameLetters(key, kMergeFormatKey) || SameLetters(key, kMergeBaseKey) ||
           SameLetters(key, kMergeFieldAddressesKey) || SameLetters(key, kGapFillKey) || IsFieldKey(key);
}

// The n of a key MergeField<n>, n from 1 written without leading zeros (the
// only keys the fields are read from); nothing for any other key.
std::optional<int> FieldKeyNumber(const std::string& key) {
    if (!IsFieldKey(key)) return std::nullopt;
    const std::string_view digits = std::string_view(key).substr(kMergeFieldPrefix.size());
    if (digits.size() > 6 || digits[0] == '0') return std::nullopt;
    int n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// The problem of a section's MergeField keys: one that the fields are not
// read from (MergeField0, MergeField01, MergeFieldX), or one after a gap in
// the numbers, which the first missing number would leave unread.
std::optional<std::string> FieldKeysProblem(const ProfileDocument& doc, const std::string& section) {
    std::vector<int> numbers;
    for (const std::string& key : doc.KeyNames(section)) {
        if (!IsFieldKey(key)) continue;
        const std::optional<int> n = FieldKeyNumber(key);
        if (!n) return Format("[%s] %s is none of MergeField1, MergeField2, ...", section.c_str(), key.c_str());
        numbers.push_back(*n);
    }
    std::sort(numbers.begin(), numbers.end());
    int count = 0;
    for (const int n : numbers) {
        if (n > count + 1) return Format("[%s] has MergeField%d but no MergeField%d", section.c_str(), n, count + 1);
        count = n;
    }
    return std::nullopt;
}

// The merge settings of the one section that holds any; the reason when one
// cannot be read whole, when two sections hold some, or when a field key is
// out of its row.
std::optional<MergeSettings> ReadMergeSettings(const ProfileDocument& doc, const SectionNameList& list,
                                               std::string& why) {
    MergeSettings settings;
    const std::string* owner = nullptr;  // the section that holds them
    for (const std::string& section : list.names) {
        const std::vector<std::string> keys = doc.KeyNames(section);
        if (std::none_of(keys.begin(), keys.end(), IsMergeKey)) continue;
        if (owner && !SameLetters(*owner, section)) {
            why = Format("[%s] and [%s] both hold merge settings; a project keeps them in one section",
                         owner->c_str(), section.c_str());
            return std::nullopt;
        }
        owner = &section;
    }
    if (!owner) return settings;
    const std::string& section = *owner;
    if (const std::optional<std::string> problem = FieldKeysProblem(doc, section)) {
        why = *problem;
        return std::nullopt;
    }
    const std::optional<std::string> format = ProjectValue(doc, section, kMergeFormatKey, kAbsent, why);
    if (!format) return std::nullopt;
    const std::optional<std::string> base = ProjectValue(doc, section, kMergeBaseKey, kAbsent, why);
    if (!base) return std::nullopt;
    const std::optional<std::string> addresses = ProjectValue(doc, section, kMergeFieldAddressesKey, kAbsent, why);
    if (!addresses) return std::nullopt;
    const std::optional<std::string> gapFill = ProjectValue(doc, section, kGapFillKey, kAbsent, why);
    if (!gapFill) return std::nullopt;
    if (*addresses != kAbsent && !SameLetters(*addresses, "flash") && !SameLetters(*addresses, "offset")) {
        why = Format("[%s] %s=%s is not flash or offset", section.c_str(), kMergeFieldAddressesKey,
                     addresses->c_str());
        return std::nullopt;
    }
    if (*gapFill != kAbsent && !SameLetters(*gapFill, "row") && *gapFill != "00") {
        why = Format("[%s] %s=%s is not row or 00", section.c_str(), kGapFillKey, gapFill->c_str());
        return std::nullopt;
    }
    settings.gapFill = *gapFill != kAbsent && SameLetters(*gapFill, "row") ? GapFill::RowFill : GapFill::Zero;
    if (*format != kAbsent) {
        const std::optional<ImageFormat> f = FormatOfKeyword(*format);
        if (!f || *f == ImageFormat::Elf) {
            why = Format("[%s] %s=%s is not bin, hex or srec", section.c_str(), kMergeFormatKey, format->c_str());
            return std::nullopt;
        }
        settings.format = *f;
    }
    if (*base != kAbsent) {
        if (!ParseHexNumber(*base, 8)) {
            why = Format("[%s] %s=%s is not 1 to 8 hex digits", section.c_str(), kMergeBaseKey, base->c_str());
            return std::nullopt;
        }
        settings.baseText = *base;
    }
    // The fields are numbered from 1 without a gap (checked above).
    for (int n = 1;; ++n) {
        const std::string key = Format(kMergeFieldKeyFormat, n);
        const std::optional<std::string> text = ProjectValue(doc, section, key, kAbsent, why);
        if (!text) return std::nullopt;
        if (*text == kAbsent) break;
        if (n > kMaxMergeFields) {
            why = Format("[%s] holds more than %d fields", section.c_str(), kMaxMergeFields);
            return std::nullopt;
        }
        std::string problem;
        const std::optional<FieldSpec> field = ParseFieldSpec(*text, &problem);
        if (!field) {
            why = Format("[%s] %s=%s: %s", section.c_str(), key.c_str(), text->c_str(), problem.c_str());
            return std::nullopt;
        }
        settings.fields.push_back(*field);
    }
    // Fields saved without the key are image offsets, as they were then.
    if (*addresses != kAbsent)
        settings.addresses = SameLetters(*addresses, "offset") ? FieldAddresses::ImageOffsets : FieldAddresses::Map;
    else if (!settings.fields.empty())
        settings.addresses = FieldAddresses::ImageOffsets;
    return settings;
}

bool IsRowKey(const std::string& key) {
    for (const char* k : kRowTextKeys)
        if (SameLetters(key, k)) return true;
    for (const char* k : kRowNumberKeys)
        if (SameLetters(key, k)) return true;
    return false;
}

// True when the section holds serialiser keys and not one key of a row.
bool IsSerialOnly(const ProfileDocument& doc, const std::string& section) {
    const std::vector<std::string> keys = doc.KeyNames(section);
    return std::none_of(keys.begin(), keys.end(), IsRowKey) && std::any_of(keys.begin(), keys.end(), IsSerialKey);
}

// The import of a document read from `path` (empty when it came from no file);
// `noSections` is the reason to give when it has no section.
ImportResult ImportDocument(Workspace& ws, const ProfileDocument& doc, const std::string& folder,
                            const std::string& path, const std::string& noSections) {
    ImportResult result;
    Prompts& prompts = ws.prompts();
    const SectionNameList list = doc.SectionNames(kSectionListRoom);
    if (list.result == 0) {
        ShowNotice(prompts, kConfigEmptyMessage);
        ExplainFailure(prompts, 0, path, noSections);
        return result;
    }
    if (list.result % 10 != 0) {
        ShowNotice(prompts, kConfigIncompleteMessage);
        ExplainFailure(prompts, 0, path, IncompleteReason(list));
        return result;
    }

    // The row comes from the name's last character. A name that ends in no row
    // number refuses the whole file before anything changes; a row named twice
    // is loaded once.
    std::vector<int> rows;
    for (const std::string& name : list.names) {
        const int row = Utf8CharCount(name) == kSectionNameLength ? name.back() - '1' : -1;
        if (row < 0 || row >= kRowCount) {
            ShowNotice(prompts, kConfigIncompleteMessage);
            ExplainFailure(prompts, 0, path, IncompleteReason(list));
            return result;
        }
        // A section made by the serialiser alone holds its keys and no
        // row's: it names no file.
        if (IsSerialOnly(doc, name)) continue;
        if (std::find(rows.begin(), rows.end(), row) == rows.end()) rows.push_back(row);
    }

    std::string why;
    const std::optional<MergeSettings> merge = ReadMergeSettings(doc, list, why);
    if (!merge) {
        ShowNotice(prompts, kMergeSettingsBadMessage);
        ExplainFailure(prompts, 0, path, why);
        return result;
    }
    // A value the reader would cut is refused before any row changes.
    for (const int r : rows) {
        const std::string section = Format("FileInfo%d", r + 1);
        for (const char* key : kRowTextKeys) {
            if (ProjectValue(doc, section, key, "", why)) continue;
            ShowNotice(prompts, Format(Localized(kConfigValueTooLongFormat), r + 1, key, kValueRoom - 1));
            ExplainFailure(prompts, 0, path, why);
            return result;
        }
    }

    FileList& fileList = ws.rows();
    // A project without merge settings has the defaults: no field, the base
    // chosen by the files, a BIN image.
    ws.MergeBaseText = merge->baseText;
    ws.MergeFields = merge->fields;
    ws.MergeFieldAddresses = merge->addresses;
    ws.HexGapFill = merge->gapFill;
    ws.SetMergeFormat(merge->format);
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
        const RowControls& c = fileList.Controls(r);
        if (c.FileNameText.empty()) continue;
        ++result.loaded;
        // The reload shows what the file has now where it differs from the record.
        const std::string recordedLowest = Format("%.8X", static_cast<uint32_t>(e.OffsetAddr));
        if (c.FileSizeText != Format("%d", e.FileSize) || c.OffsetAddrText != recordedLowest) ++result.changed;
    }
    return result;
}

}  // namespace

ImportResult ImportConfigFrom(Workspace& ws, const std::string& path) {
    // One read of the file for every lookup. A file that cannot be read has no
    // sections, as the profile functions report it; one too large is refused.
    ProfileDocument doc;
    ReadFailure why = ReadFailure::Unreadable;
    std::string noSections = "the file holds no section";
    if (!doc.Load(path, &why)) {
        if (why == ReadFailure::TooLarge) {
            ShowNotice(ws.prompts(), Format(Localized(kConfigTooLargeFormat), path.c_str()));
            ExplainFailure(ws.prompts(), 0, path,
                           Format("the file is %llu bytes long, more than the %llu bytes (4 MiB) a project file may be",
                                  static_cast<unsigned long long>(FileLength(path).value_or(kProfileSizeLimit + 1)),
                                  static_cast<unsigned long long>(kProfileSizeLimit)));
            return ImportResult{};
        }
        noSections = why == ReadFailure::NoMemory ? "out of memory" : FileProblem(path, FileUse::Read);
    } else if (!FileExists(path)) {
        // A missing file reads as one without sections.
        noSections = FileProblem(path, FileUse::Read);
    }
    // Paths written by hand may be relative: they mean the project's own folder.
    return ImportDocument(ws, doc, FolderOf(AbsolutePath(path)), path, noSections);
}

ImportResult ImportConfigDocument(Workspace& ws, const ProfileDocument& doc, const std::string& folder) {
    return ImportDocument(ws, doc, folder, "", "the project holds no section");
}

void ImportConfig(Workspace& ws) {
    const std::optional<std::string> path = ws.prompts().OpenFile(ConfigDialog());
    if (!path) return;
    ImportConfigFrom(ws, *path);
}

std::optional<ProjectMergeSettings> ReadProjectMergeSettings(const std::string& path, std::string& why) {
    ProfileDocument doc;
    ReadFailure failure = ReadFailure::Unreadable;
    if (!doc.Load(path, &failure) || !FileExists(path)) {
        why = failure == ReadFailure::TooLarge ? "the file is larger than a project file may be (4 MiB)"
              : failure == ReadFailure::NoMemory ? "out of memory"
                                                 : FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    const SectionNameList list = doc.SectionNames(kSectionListRoom);
    if (list.result == 0) {
        why = "the file holds no section";
        return std::nullopt;
    }
    const std::optional<MergeSettings> merge = ReadMergeSettings(doc, list, why);
    if (!merge) return std::nullopt;
    return ProjectMergeSettings{merge->format, merge->baseText, merge->fields, merge->addresses};
}

}  // namespace torvane
