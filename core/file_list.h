#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/decode_hex.h"
#include "core/file_entry.h"
#include "platform/files.h"

namespace torvane {

class Prompts;

// The items of the two drop-down lists, in their order.
inline constexpr std::array<const char*, 4> kPolishTypeItems = {"1字节", "2字节", "4字节", "8字节"};
inline constexpr std::array<const char*, 2> kPolishDataItems = {"0x00", "0xFF"};
static_assert(std::string_view(kPolishTypeItems[kAlign1]) == "1字节" &&
                  std::string_view(kPolishTypeItems[kDefaultPolishType]) == "4字节",
              "PolishType indexes the alignment list");
static_assert(kPolishDataItems.size() == 2, "PolishData 1 is 0xFF, anything else 0x00");

// The hex edits take at most this many characters.
inline constexpr size_t kHexEditLimit = 8;

// What the controls of one row show. Between row operations these values are
// the truth: user input lands here first, and the row's widgets only show them.
struct RowControls {
    std::string FileNameText;        // the file-name edit
    std::string FileSizeText;        // the size edit (decimal)
    bool FileSizeReadOnly = false;
    std::string OffsetAddrText;      // the HEX offset-address edit (hex)
    bool OffsetAddrReadOnly = false;
    std::string BinOffsetText;       // the BIN-offset edit (hex)
    bool Selected = false;           // the numbered check box
    std::string SelectCaption;       // its caption: the row number
    bool SaveOffsetData = false;     // the keep-data-before-offset check box
    int PolishTypeIndex = kDefaultPolishType;  // the alignment list, -1 = no selection
    int PolishDataIndex = 0;                   // the fill list, -1 = no selection
    bool AlignColumnShown = true;    // the alignment list shown (true) or the BIN-offset edit (false)

    bool operator==(const RowControls&) const = default;
};

// Limits and messages of the row operations.
inline constexpr uint64_t kChooseSizeLimit = 0x200000;  // 2 MiB, inclusive
inline constexpr uint64_t kReloadSizeLimit = 0x100000;  // 1 MiB, inclusive
inline constexpr const char* kChooseFilter = "(*.HEX;*.BIN)|*.HEX;*.BIN|(*.HEX)|*.HEX|(*.BIN)|*.BIN||";
inline constexpr const char* kOpenFailedMessage = "文件打开失败！";
inline constexpr const char* kTooLargeMessage = "文件大于2M，加载失败！";
inline constexpr const char* kEmptyFileMessage = "您选择了空文件，请重新选择！";
inline constexpr const char* kChooseFileFirstMessage = "请选择文件！";
inline constexpr const char* kNothingToDeleteMessage = "当前没有可删除的条目！";
inline constexpr const char* kNothingToDeleteCaption = "Error";

// A HEX file as a row's scan decoded it, kept with the row while the file
// stays as it was (the same stamp), so that the conversion need not decode it
// a second time.
struct HexScan {
    std::string path;
    FileStamp stamp;
    HexDecodeResult decoded;
    std::shared_ptr<const HexImage> image;
};

struct FileRow {
    FileEntry entry;
    RowControls controls;
    std::shared_ptr<const HexScan> scan;  // the last scan of the row's HEX file
};

// The scan of the row's file when it is still the file at `path` as scanned.
std::shared_ptr<const HexScan> CurrentScan(const FileRow& row, const std::string& path);

// The six rows of the file list and the operations on one row. Every message
// box goes through the Prompts given at construction.
class FileList {
public:
    explicit FileList(Prompts& prompts);

    FileRow& Row(int row) { return rows_.at(static_cast<size_t>(row)); }
    const FileRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
    RowControls& Controls(int row) { return Row(row).controls; }
    FileEntry& Entry(int row) { return Row(row).entry; }

    // The "..." button: asks for a file, checks it and shows its facts.
    void ChooseFile(int row);
    // ChooseFile with the path already chosen (the dialog's answer).
    void LoadChosenFile(int row, const std::string& path);
    // Decodes a chosen HEX file to preset the row's offset controls. True
    // when the whole file decodes.
    bool ScanHexOffset(int row, const std::string& path, uint64_t size);
    // Copies the row's controls into its entry.
    void CollectEntry(int row);
    // Checks the entry's file on disk and shows the entry in the controls.
    void ReloadEntry(int row);
    // Empties the row and resets its entry.
    void ClearEntry(int row);
    // The context-menu command "删除".
    void DeleteEntry(int row);
    // The numbered check box was clicked; the controls hold its new state.
    void SetSelected(int row);
    // The header check box was set to `on`.
    void SelectAll(bool on);
    // The HEX-to-BIN and align layout: the alignment list shown, the BIN-offset
    // edit hidden. A HEX row that keeps the data before its offset (as last
    // collected) shows its keep box unchecked; the entry keeps its value until
    // the next CollectEntry.
    void ShowAlignColumn(int row);
    // The merge layout: the BIN-offset edit shown, the alignment list hidden.
    void ShowOffsetColumn(int row);

private:
    Prompts& prompts_;
    std::array<FileRow, kRowCount> rows_;
};

}  // namespace torvane
