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
// A BIN file is limited by the 2 MiB a row takes. A HEX file is limited by
// the image it decodes to, not by its text: 6 MiB of text holds a full 2 MiB
// image in 16-byte records with CR LF line ends (45 bytes of text per 16 bytes
// of data, 5,898,240 bytes) with room for its address records.
inline constexpr uint64_t kChooseSizeLimit = 0x200000;    // 2 MiB, inclusive
inline constexpr uint64_t kHexTextSizeLimit = 0x600000;   // 6 MiB, inclusive
// The limit of a file by its name's type; a project's rows take the same.
inline uint64_t SizeLimitFor(int32_t fileType) {
    return fileType == kHexFile ? kHexTextSizeLimit : kChooseSizeLimit;
}
// The patterns match names in any case; "所有文件" lets a BIN named otherwise be chosen.
// The first entry, the one the dialog opens with, shows every format a row
// reads; S-records and ELF files have entries of their own after HEX and BIN.
inline constexpr const char* kChooseFilter =
    "映像文件(HEX、BIN、S-record、ELF)|*.hex;*.ihx;*.bin;*.srec;*.s19;*.s28;*.s37;*.mot;*.elf;*.axf|"
    "(*.HEX;*.IHX;*.BIN)|*.hex;*.ihx;*.bin|(*.HEX;*.IHX)|*.hex;*.ihx|(*.BIN)|*.bin|"
    "S-record文件(*.SREC;*.S19;*.S28;*.S37;*.MOT)|*.srec;*.s19;*.s28;*.s37;*.mot|"
    "ELF文件(*.ELF;*.AXF)|*.elf;*.axf|所有文件 (*.*)|*||";
inline constexpr const char* kOpenFailedMessage = "文件打开失败！";
inline constexpr const char* kTooLargeMessage = "文件大于2M，加载失败！";
inline constexpr const char* kHexTooLargeMessage = "HEX文件大于6M，加载失败！";
// A HEX file with data that no image of 2 MiB can hold (the address of the first such record).
inline constexpr const char* kHexOutsideImageFormat = "HEX文件中地址0x%.8X处的数据超出了2M的范围，加载失败！";
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
    // The user said this BIN row's file is raw bytes although it reads as HEX
    // text (torvane-cli's --as-bin); otherwise a batch asks first.
    bool hexTextAsBin = false;
};

// A BIN row's file that holds Intel HEX text: asked before its bytes are merged
// or padded as they are. The merge and the alignment each name their own work.
inline constexpr const char* kHexTextAsBinFormat =
    "文件%d：%s的内容是HEX格式的文本，不是BIN数据。\r\n 选是，仍将该文件作为BIN文件%s\r\n 选否，该文件不参与%s";
inline constexpr const char* kHexTextAsBinCaption = "提示";

// The file a text typed into a row's file-name box names: without the blanks
// around it and one pair of double quotes (a file manager's "copy as path"
// adds them); a relative name is taken in the folder of the row's file
// `current`, or in the current folder when the row holds none. Empty when the
// text holds no name.
std::string TypedFileName(const std::string& text, const std::string& current);

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
    // A path typed into the row's file-name box, taken when the user presses
    // Enter or leaves the box: loaded as a file chosen with "..." is, through
    // the same checks and boxes (TypedFileName says which file the text
    // names). A name that is refused leaves the row as it was. Text that
    // names the row's file already changes nothing; an empty box empties the
    // row, as "删除" does.
    void LoadTypedFile(int row, const std::string& text);
    // Decodes a chosen HEX file to preset the row's offset controls. False when
    // the file is refused (unreadable, or data outside the image): the offset
    // controls are then not set, and a box has said why.
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
