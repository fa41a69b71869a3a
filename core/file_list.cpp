#include "core/file_list.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "core/decode_hex.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"

namespace torvane {
namespace {

int ListIndexFor(int32_t value, size_t itemCount) {
    // A list asked to select an index it does not have ends with no selection.
    return value >= 0 && static_cast<size_t>(value) < itemCount ? static_cast<int>(value) : -1;
}

std::string Hex8(int32_t value) { return Format("%.8X", static_cast<uint32_t>(value)); }

// Decodes a whole HEX file for its lowest address; the result code is not used
// by the row operations, but a bad checksum is still shown. Nothing when the
// file cannot be read.
std::optional<uint32_t> LowestAddressOf(const std::string& path, uint64_t size, Prompts& prompts) {
    const std::optional<std::vector<uint8_t>> text = ReadFilePrefix(path, static_cast<size_t>(size));
    if (!text) return std::nullopt;
    HexImage image;
    const HexDecodeResult decoded = DecodeHex(*text, image);
    if (decoded.fault == HexFault::BadChecksum) ShowNotice(prompts, kBadHexFileMessage);
    return decoded.LowestAddress;
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
    if (!c.FileNameText.empty()) {
        c.FileSizeText.clear();
        c.OffsetAddrText.clear();
        c.BinOffsetText.clear();
        c.SaveOffsetData = false;
    }
    if (!CanOpenReadWrite(path)) {
        ShowNotice(prompts_, kOpenFailedMessage);
        return;
    }
    const std::optional<uint64_t> length = FileLength(path);
    if (!length) {
        ShowNotice(prompts_, kOpenFailedMessage);
        return;
    }
    if (*length > kChooseSizeLimit) {
        ShowNotice(prompts_, kTooLargeMessage);
        return;
    }
    if (*length == 0) {
        ShowNotice(prompts_, kEmptyFileMessage);
        return;
    }
    c.FileNameText = path;
    c.FileSizeText = Format("%d", static_cast<int>(*length));
    c.FileSizeReadOnly = true;
    if (FileTypeOf(path) == kHexFile) ScanHexOffset(row, path, *length);
    c.Selected = true;
}

void FileList::ScanHexOffset(int row, const std::string& path, uint64_t size) {
    RowControls& c = Controls(row);
    const std::optional<uint32_t> lowest = CanOpenRead(path) ? LowestAddressOf(path, size, prompts_) : std::nullopt;
    if (!lowest) {
        ShowNotice(prompts_, kOpenFailedMessage);
        return;
    }
    const uint32_t l = *lowest;
    c.OffsetAddrText = Format("%.8X", l);
    c.OffsetAddrReadOnly = true;
    if (l != 0) c.SaveOffsetData = true;
    c.BinOffsetText = Format("%X", ImageIndexOf(l));
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
        ShowNotice(prompts_, Format("文件%d不存在!", e.FileNo));
        return;
    }
    if (!CanOpenReadWrite(e.FileName)) {
        ShowNotice(prompts_, Format("文件%d:%s打开失败！", e.FileNo, name));
        return;
    }
    const std::optional<uint64_t> length = FileLength(e.FileName);
    if (!length) {
        ShowNotice(prompts_, Format("文件%d:%s打开失败！", e.FileNo, name));
        return;
    }
    if (*length > kReloadSizeLimit) {
        ShowNotice(prompts_, Format("文件%d大于1M,加载失败!", e.FileNo));
        return;
    }
    const int32_t n = static_cast<int32_t>(*length);

    if (FileTypeOf(e.FileName) == kHexFile) {
        const std::optional<uint32_t> lowest = LowestAddressOf(e.FileName, *length, prompts_);
        if (!lowest) {
            ShowNotice(prompts_, Format("文件%d:%s打开失败！", e.FileNo, name));
            return;
        }
        const int32_t l = static_cast<int32_t>(*lowest);
        if (n == e.FileSize && l == e.OffsetAddr) {
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", e.FileSize);
            c.OffsetAddrText = Hex8(e.OffsetAddr);
            c.FileSizeReadOnly = true;
            c.OffsetAddrReadOnly = true;
        } else {
            ShowNotice(prompts_, Format("文件%d：%s的信息已经改变！", e.FileNo, name));
            c.FileNameText = e.FileName;
            c.FileSizeText = Format("%d", n);
            c.OffsetAddrText = Hex8(l);
            c.FileSizeReadOnly = true;
        }
    } else {
        if (n != e.FileSize) {
            ShowNotice(prompts_, Format("文件%d：%s的大小%d已经改变！", e.FileNo, name, e.FileSize));
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
