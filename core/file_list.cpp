#include "core/file_list.h"

#include "core/messages.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "core/decode_hex.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "platform/sized_files.h"

namespace torvane {
namespace {

int ListIndexFor(int32_t value, size_t itemCount) {
    // A list asked to select an index it does not have ends with no selection.
    return value >= 0 && static_cast<size_t>(value) < itemCount ? static_cast<int>(value) : -1;
}

std::string Hex8(int32_t value) { return Format("%.8X", static_cast<uint32_t>(value)); }

// Decodes a whole HEX file of `size` bytes for its lowest address; the result
// code is not used by the row operations, but a bad checksum is still shown.
// Nothing when the file cannot be read, with the reason in `problem`.
std::shared_ptr<const HexScan> ScanHexFile(int32_t fileNo, const std::string& path, uint64_t size, Prompts& prompts,
                                           std::string& problem) {
    auto scan = std::make_shared<HexScan>();
    const std::optional<FileStamp> stamp = StampOf(path);
    // The usual case reads the file whole at the size just found; a file that
    // changed in between is read at that size, the rest zero, as it always was.
    SizedRead read = stamp ? ReadExpectedSize(path, size) : SizedRead{};
    std::optional<std::vector<uint8_t>> prefix;
    if (read.status == SizedReadStatus::SizeChanged) prefix = ReadFilePrefix(path, static_cast<size_t>(size));
    if (read.status == SizedReadStatus::Unreadable || (read.status == SizedReadStatus::SizeChanged && !prefix)) {
        problem = FileProblem(path, FileUse::Read);
        return nullptr;
    }
    auto image = std::make_shared<HexImage>();
    scan->decoded = prefix ? DecodeRowFile(path, *prefix, *image) : DecodeRowFile(path, read.bytes, *image);
    if (IsDamagedRecord(scan->decoded.fault)) {
        ShowNotice(prompts, RowFileText(kBadHexFileMessage, path));
        ExplainFailure(prompts, fileNo, path, HexFaultReason(scan->decoded));
    }
    // Kept only for a file read as it stood when stamped.
    if (!prefix) {
        scan->path = path;
        scan->stamp = *stamp;
        scan->image = std::move(image);
    }
    return scan;
}

std::string TooLongReason(uint64_t length, uint64_t limit, const char* limitName) {
    return Format("the file is %llu bytes long, more than the %llu bytes (%s) a row takes",
                  static_cast<unsigned long long>(length), static_cast<unsigned long long>(limit), limitName);
}

}  // namespace

FileList::FileList(Prompts& prompts) : prompts_(prompts) {
    for (int i = 0; i < kRowCount; ++i) {
        rows_[static_cast<size_t>(i)].controls.SelectCaption = Format("%d", i + 1);
    }
}

void FileList::ChooseFile(int row) {
    FileDialog dialog;
    dialog.filter = kChooseFilter;
    dialog.kind = FileKind::Firmware;
    const std::optional<std::string> path = prompts_.OpenFile(dialog);
    if (!path) return;
    LoadChosenFile(row, *path);
}

void FileList::LoadChosenFile(int row, const std::string& path) {
    RowControls& c = Controls(row);
    Row(row).scan = nullptr;
    Row(row).hexTextAsBin = false;
    if (!c.FileNameText.empty()) {
        c.FileSizeText.clear();
        c.OffsetAddrText.clear();
        c.BinOffsetText.clear();
        c.SaveOffsetData = false;
    }
    const int32_t fileNo = row + 1;
    // Reading is all a row needs: only the alignment writes to the file, and
    // it says so when it cannot.
    if (!CanOpenRead(path)) {
        const std::string problem = FileProblem(path, FileUse::Read);
        ShowNotice(prompts_, kOpenFailedMessage);
        ExplainFailure(prompts_, fileNo, path, problem);
        return;
    }
    const std::optional<uint64_t> length = FileLength(path);
    if (!length) {
        const std::string problem = FileProblem(path, FileUse::Read);
        ShowNotice(prompts_, kOpenFailedMessage);
        ExplainFailure(prompts_, fileNo, path, problem);
        return;
    }
    const bool hex = FileTypeOf(path) == kHexFile;
    if (*length > SizeLimitFor(hex ? kHexFile : kBinFile)) {
        ShowNotice(prompts_, hex ? RowFileText(kHexTooLargeMessage, path) : kTooLargeMessage);
        ExplainFailure(prompts_, fileNo, path,
                       hex ? TooLongReason(*length, kHexTextSizeLimit, "6 MiB of HEX text")
                           : TooLongReason(*length, kChooseSizeLimit, "2 MiB"));
        return;
    }
    if (*length == 0) {
        ShowNotice(prompts_, kEmptyFileMessage);
        ExplainFailure(prompts_, fileNo, path, "the file is empty");
        return;
    }
    if (hex && !ScanHexOffset(row, path, *length)) return;
    c.FileNameText = path;
    c.FileSizeText = Format("%d", static_cast<int>(*length));
    c.FileSizeReadOnly = true;
    // A HEX file that does not decode whole is shown, but not checked: a batch
    // would only fail it.
    c.Selected = !hex || Row(row).scan->decoded.code == 1;
}

std::string TypedFileName(const std::string& text, const std::string& current) {
    auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
    size_t from = 0;
    size_t to = text.size();
    while (from < to && blank(text[from])) ++from;
    while (to > from && blank(text[to - 1])) --to;
    if (to - from >= 2 && text[from] == '"' && text[to - 1] == '"') {
        ++from;
        --to;
    }
    const std::string name = text.substr(from, to - from);
    if (name.empty() || IsAbsolutePath(name)) return name;
    return current.empty() ? AbsolutePath(name) : ResolveAgainst(FolderOf(current), name);
}

void FileList::LoadTypedFile(int row, const std::string& text) {
    const std::string current = Controls(row).FileNameText;
    const std::string path = TypedFileName(text, current);
    if (path == current) return;
    if (path.empty()) {
        ClearEntry(row);
        return;
    }
    // A name that fails leaves the row as it was, its size and offsets too:
    // the box still shows the row's own file, and a batch finds it as chosen.
    const FileRow before = Row(row);
    LoadChosenFile(row, path);
    if (Controls(row).FileNameText != path) Row(row) = before;
}

std::shared_ptr<const HexScan> CurrentScan(const FileRow& row, const std::string& path) {
    if (!row.scan || !row.scan->image || row.scan->path != path) return nullptr;
    const std::optional<FileStamp> now = StampOf(path);
    return now && *now == row.scan->stamp ? row.scan : nullptr;
}

bool FileList::ScanHexOffset(int row, const std::string& path, uint64_t size) {
    RowControls& c = Controls(row);
    const int32_t fileNo = row + 1;
    std::string problem;
    std::shared_ptr<const HexScan> scan;
    if (!CanOpenRead(path)) problem = FileProblem(path, FileUse::Read);
    else scan = ScanHexFile(fileNo, path, size, prompts_, problem);
    if (!scan) {
        ShowNotice(prompts_, kOpenFailedMessage);
        ExplainFailure(prompts_, fileNo, path, problem);
        return false;
    }
    const HexDecodeResult& decoded = scan->decoded;
    if (decoded.fault == HexFault::DataOutsideImage) {
        ShowNotice(prompts_, RowFileText(Format(Localized(kHexOutsideImageFormat), decoded.faultAddress), path));
        ExplainFailure(prompts_, fileNo, path, HexFaultReason(decoded));
        return false;
    }
    if (decoded.code == 0 && !IsDamagedRecord(decoded.fault)) {
        // The row is left unchecked: the box says why.
        ShowNotice(prompts_, RowFileText(kBadHexFileMessage, path));
        ExplainFailure(prompts_, fileNo, path, HexFaultReason(decoded));
    }
    // Kept also when it holds no image (a file that changed while it was
    // read): CurrentScan never hands that one out, but the row knows how its
    // decoding ended.
    Row(row).scan = scan;
    const uint32_t l = decoded.LowestAddress;
    c.OffsetAddrText = Format("%.8X", l);
    c.OffsetAddrReadOnly = true;
    // The BIN offset already puts the data at its own address: keeping the
    // bytes before it as well would place them twice as far. The keep box
    // stays as the user leaves it.
    c.BinOffsetText = Format("%X", ImageIndexOf(l));
    return true;
}

void FileList::CollectEntry(int row) {
    FileRow& r = Row(row);
    const RowControls& c = r.controls;
    FileEntry& e = r.entry;
    e.FileName = c.FileNameText;
    e.FileType = FileTypeOf(e.FileName);
    e.FileSize = c.FileSizeText.empty() ? 0 : ParseDecimalField(c.FileSizeText);
    e.OffsetAddr = ParseHexField(c.OffsetAddrText);
    e.BINOffset = ParseHexField(c.BinOffsetText);
    e.IsSelected = c.Selected ? 1 : 0;
    e.IsSaveOffsetData = c.SaveOffsetData ? 1 : 0;
    e.PolishType = c.PolishTypeIndex;
    e.PolishData = c.PolishDataIndex;
    e.FileNo = ParseDecimalField(c.SelectCaption);
}

void FileList::ReloadEntry(int row) {
    FileRow& r = Row(row);
    const FileEntry& e = r.entry;
    RowControls& c = r.controls;
    const char* name = e.FileName.c_str();

    if (!FileExists(e.FileName)) {
        const std::string problem = FileProblem(e.FileName, FileUse::Read);
        ShowNotice(prompts_, Format(Localized("文件%d不存在!"), e.FileNo));
        ExplainFailure(prompts_, e.FileNo, e.FileName, problem);
        return;
    }
    // The same limits and the same access as choosing the file.
    if (!CanOpenRead(e.FileName)) {
        const std::string problem = FileProblem(e.FileName, FileUse::Read);
        ShowNotice(prompts_, Format(Localized("文件%d:%s打开失败！"), e.FileNo, name));
        ExplainFailure(prompts_, e.FileNo, e.FileName, problem);
        return;
    }
    const std::optional<uint64_t> length = FileLength(e.FileName);
    if (!length) {
        const std::string problem = FileProblem(e.FileName, FileUse::Read);
        ShowNotice(prompts_, Format(Localized("文件%d:%s打开失败！"), e.FileNo, name));
        ExplainFailure(prompts_, e.FileNo, e.FileName, problem);
        return;
    }
    const bool hex = FileTypeOf(e.FileName) == kHexFile;
    const uint64_t limit = SizeLimitFor(hex ? kHexFile : kBinFile);
    if (*length > limit) {
        ShowNotice(prompts_, Format(hex ? Localized("文件%d大于6M,加载失败!") : Localized("文件%d大于2M,加载失败!"), e.FileNo));
        ExplainFailure(prompts_, e.FileNo, e.FileName,
                       TooLongReason(*length, limit, hex ? "6 MiB of HEX text" : "2 MiB"));
        return;
    }
    const int32_t n = static_cast<int32_t>(*length);

    if (hex) {
        std::string problem;
        const std::shared_ptr<const HexScan> scan = ScanHexFile(e.FileNo, e.FileName, *length, prompts_, problem);
        if (!scan) {
            ShowNotice(prompts_, Format(Localized("文件%d:%s打开失败！"), e.FileNo, name));
            ExplainFailure(prompts_, e.FileNo, e.FileName, problem);
            return;
        }
        if (scan->decoded.fault == HexFault::DataOutsideImage) {
            ShowNotice(prompts_, RowFileText(Format(Localized(kHexOutsideImageFormat), scan->decoded.faultAddress), e.FileName));
            ExplainFailure(prompts_, e.FileNo, e.FileName, HexFaultReason(scan->decoded));
            return;
        }
        r.scan = scan->image ? scan : nullptr;
        const int32_t l = static_cast<int32_t>(scan->decoded.LowestAddress);
        if (n == e.FileSize && l == e.OffsetAddr) {
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", e.FileSize);
            c.OffsetAddrText = Hex8(e.OffsetAddr);
            c.FileSizeReadOnly = true;
            c.OffsetAddrReadOnly = true;
        } else {
            ShowNotice(prompts_, Format(Localized("文件%d：%s的信息已经改变！"), e.FileNo, name));
            ExplainFailure(prompts_, e.FileNo, e.FileName,
                           Format("the file changed: %d bytes with the lowest address 0x%.8X were recorded, it now "
                                  "has %d bytes with the lowest address 0x%.8X",
                                  e.FileSize, static_cast<uint32_t>(e.OffsetAddr), n, static_cast<uint32_t>(l)));
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", n);
            c.OffsetAddrText = Hex8(l);
            c.FileSizeReadOnly = true;
        }
    } else {
        if (n != e.FileSize) {
            ShowNotice(prompts_, Format(Localized("文件%d：%s的大小%d已经改变！"), e.FileNo, name, e.FileSize));
            ExplainFailure(prompts_, e.FileNo, e.FileName,
                           Format("the file changed: %d bytes were recorded, it now has %d", e.FileSize, n));
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", n);
        } else {
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", e.FileSize);
        }
        c.OffsetAddrText = Hex8(e.OffsetAddr);
        c.FileSizeReadOnly = true;
    }

    if (e.IsSaveOffsetData != 0) c.SaveOffsetData = true;
    c.BinOffsetText = Hex8(e.BINOffset);
    c.PolishTypeIndex = ListIndexFor(e.PolishType, kPolishTypeItems.size());
    c.PolishDataIndex = ListIndexFor(e.PolishData, kPolishDataItems.size());
    c.Selected = true;
}

void FileList::ClearEntry(int row) {
    FileRow& r = Row(row);
    r.entry = FileEntry{};
    r.scan = nullptr;
    r.hexTextAsBin = false;
    RowControls& c = r.controls;
    c.FileNameText.clear();
    c.FileSizeText.clear();
    c.OffsetAddrText.clear();
    c.BinOffsetText.clear();
    c.SaveOffsetData = false;
    c.Selected = false;
    c.PolishTypeIndex = kDefaultPolishType;
    c.PolishDataIndex = 0;
    CollectEntry(row);
    c.FileSizeReadOnly = false;
    c.OffsetAddrReadOnly = false;
}

void FileList::DeleteEntry(int row) {
    if (Controls(row).FileNameText.empty()) {
        prompts_.Show(MessageBox{kNothingToDeleteMessage, kNothingToDeleteCaption, MessageIcon::Exclamation,
                                 MessageButtons::Ok});
        return;
    }
    ClearEntry(row);
}

void FileList::SetSelected(int row) {
    CollectEntry(row);
    RowControls& c = Controls(row);
    if (c.Selected && Entry(row).FileName.empty()) {
        ShowNotice(prompts_, kChooseFileFirstMessage);
        c.Selected = false;
    }
}

void FileList::SelectAll(bool on) {
    for (FileRow& r : rows_) {
        if (!on) {
            r.controls.Selected = false;
        } else if (!r.controls.FileNameText.empty()) {
            r.controls.Selected = true;
        }
    }
}

void FileList::ShowAlignColumn(int row) {
    FileRow& r = Row(row);
    r.controls.AlignColumnShown = true;
    if (r.entry.FileType == kHexFile && r.entry.IsSaveOffsetData != 0) r.controls.SaveOffsetData = false;
}

void FileList::ShowOffsetColumn(int row) { Controls(row).AlignColumnShown = false; }

}  // namespace torvane
