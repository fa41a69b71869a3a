#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/batch_selection.h"
#include "core/file_list.h"
#include "core/integrity_fields.h"
#include "core/memory_map.h"
#include "core/operation_log.h"
#include "formats/image_formats.h"

namespace torvane {

class Prompts;

enum class WorkMode { HexToBinMode, MergeMode, AlignMode };

// The three batch operations; the mode decides which one is enabled.
enum class Operation { HexToBin, Merge, Align };

// ListLayout values: which column the rows show in their fourth place.
inline constexpr int32_t kAlignLayout = 1;   // the alignment list (HEX to BIN, align)
inline constexpr int32_t kOffsetLayout = 2;  // the BIN-offset edit (merge)

// What fills the gaps between the records of a HEX, S-record or ELF row (the
// file's own gaps, inside the bytes it converts to) in HEX-to-BIN, align and
// the merge: 0x00, as the program has always left them and stored projects
// expect, or the row's fill byte (PolishData).
enum class GapFill { Zero, RowFill };

// The addresses of the merge's fields: image offsets (projects saved before
// fields took the map's addresses), or the addresses the map shows: the
// image offset plus the base of a HEX or S-record output, or the base given.
enum class FieldAddresses { ImageOffsets, Map };

inline constexpr const char* kClearListQuestion = "确认要清空文件列表吗？";

// A batch whose conversion output is another selected row's file would
// replace that file before it is read (row of the HEX file, the output path,
// the other row twice).
inline constexpr const char* kOutputIsInputFormat =
    "文件%d转换生成的%s与文件%d是同一个文件，继续操作将覆盖文件%d，操作已取消！";
// The end of a HEX-to-BIN or align batch in which a row did not succeed.
inline constexpr const char* kFilesFailedFormat = "以下文件未能完成操作：%s\r\n详细原因请查看操作记录。";
inline constexpr const char* kClearListCaption = "温馨提示";

// Everything the main window owns that is not a widget. The window shows this
// state and passes input on; torvane-cli drives the same object.
class Workspace {
public:
    // Starts in HexToBinMode with the header check box checked, as the window opens.
    explicit Workspace(Prompts& prompts);

    Prompts& prompts() { return prompts_; }
    FileList& rows() { return rows_; }
    const FileList& rows() const { return rows_; }
    BatchSelection& selection() { return selection_; }
    OperationLog& log() { return log_; }
    const OperationLog& log() const { return log_; }

    // The output-file edit.
    std::string OutputFileText;
    // The merge's base address edit: the address of the image's first byte in
    // a HEX or S-record output; empty = chosen by the files (MergeBaseFor).
    std::string MergeBaseText;
    // The format the merge writes, which its output file's name asks for: kept
    // when the mode changes (the merge mode proposes Merge.Bin, Merge.hex or
    // Merge.srec by it) and in the project.
    ImageFormat MergeFormat = ImageFormat::Binary;
    // The header check box "序号".
    bool HeaderChecked = false;
    int32_t ListLayout = kAlignLayout;
    // The titles above the fourth and fifth columns.
    std::string AlignTitle;
    std::string FillTitle;
    // DefaultFilesFolder() and "Merge.Bin": the output file the merge mode shows.
    std::string DefaultOutputPath;
    // The map of the last merge that ran (also of one that stopped, up to there).
    std::optional<MergeMap> LastMergeMap;
    // Integrity fields the merge writes into its image, in order, after placing
    // the files, in the addresses MergeFieldAddresses names.
    std::vector<FieldSpec> MergeFields;
    FieldAddresses MergeFieldAddresses = FieldAddresses::Map;
    // The gaps between a HEX row's records.
    GapFill HexGapFill = GapFill::Zero;

    WorkMode Mode() const { return mode_; }
    // The three WorkMode flags: exactly one is 1.
    int32_t HexToBinFlag() const { return mode_ == WorkMode::HexToBinMode ? 1 : 0; }
    int32_t MergeFlag() const { return mode_ == WorkMode::MergeMode ? 1 : 0; }
    int32_t AlignFlag() const { return mode_ == WorkMode::AlignMode ? 1 : 0; }

    // Switches the mode: titles, output file, the rows' column, the flags and
    // ListLayout. Selecting the mode in force runs the whole switch again.
    void SelectMode(WorkMode mode);

    // A new merge format: in the merge mode the output file's name follows it.
    void SetMergeFormat(ImageFormat format);
    // The output file as the user names it; in the merge mode its name sets
    // the merge format.
    void SetOutputFile(const std::string& path);

    // Whether a batch operation is enabled in the current mode: exactly one is.
    bool IsEnabled(Operation operation) const;

    // The header check box was clicked; HeaderChecked holds its new state.
    void OnHeaderClicked() { rows_.SelectAll(HeaderChecked); }

    // The start of every batch operation: resets the BatchSelection (with its
    // converted files) and gathers the selected rows. False, after showing
    // `tooFewMessage`, when fewer than `atLeast` files are selected, or after
    // showing kOutputIsInputFormat when a HEX row's BIN file is the file of a
    // selected row: nothing has been written then. A batch that writes no BIN
    // files (the merge) passes `writesBinFiles` false and skips that check.
    bool GatherBatch(int atLeast, const char* tooFewMessage, bool writesBinFiles = true);

    // Ends a HEX-to-BIN or align batch: a warning naming every row (by FileNo)
    // whose file did not succeed, nothing when all did. True when all did.
    bool ReportFailedFiles(const std::vector<int32_t>& fileNos);

    // "清空文件列表信息": asks, then clears every row.
    void ClearList();

private:
    bool OutputsAreNotInputs();

    Prompts& prompts_;
    WorkMode mode_ = WorkMode::HexToBinMode;
    FileList rows_;
    BatchSelection selection_;
    OperationLog log_;
};

// "文件1、文件3": rows named by FileNo, as the messages name them.
std::string FileNoList(const std::vector<int32_t>& fileNos);

}  // namespace torvane
