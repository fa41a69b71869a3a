#include "core/workspace.h"

#include "core/messages.h"

#include "core/hex_to_bin.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"

namespace torvane {

Workspace::Workspace(Prompts& prompts) : prompts_(prompts), rows_(prompts) {
    SelectMode(WorkMode::HexToBinMode);
    HeaderChecked = true;  // only the box: no row becomes selected
    DefaultOutputPath = DefaultFilesFolder() + kPathSeparator + "Merge.Bin";
}

void Workspace::SelectMode(WorkMode mode) {
    mode_ = mode;
    const bool merge = mode == WorkMode::MergeMode;
    AlignTitle = merge ? Localized("偏移地址(0x)") : Localized("对齐长度");
    FillTitle = merge ? Localized("填充数据") : Localized("补充数据");
    OutputFileText = merge ? WithFormatExtension(DefaultOutputPath, MergeFormat) : std::string();
    for (int row = 0; row < kRowCount; ++row) {
        if (merge) {
            rows_.ShowOffsetColumn(row);
        } else {
            rows_.ShowAlignColumn(row);
        }
    }
    ListLayout = merge ? kOffsetLayout : kAlignLayout;
}

void Workspace::SetMergeFormat(ImageFormat format) {
    MergeFormat = format == ImageFormat::Elf ? ImageFormat::Binary : format;
    if (mode_ == WorkMode::MergeMode && !OutputFileText.empty())
        OutputFileText = WithFormatExtension(OutputFileText, MergeFormat);
}

void Workspace::SetOutputFile(const std::string& path) {
    OutputFileText = path;
    if (mode_ != WorkMode::MergeMode || path.empty()) return;
    const ImageFormat format = FormatOfName(path);
    // An ELF name gets the merged bytes as they are.
    MergeFormat = format == ImageFormat::Elf ? ImageFormat::Binary : format;
}

bool Workspace::IsEnabled(Operation operation) const {
    switch (operation) {
        case Operation::HexToBin: return mode_ == WorkMode::HexToBinMode;
        case Operation::Merge: return mode_ == WorkMode::MergeMode;
        case Operation::Align: return mode_ == WorkMode::AlignMode;
    }
    return false;
}

bool Workspace::GatherBatch(int atLeast, const char* tooFewMessage, bool writesBinFiles) {
    ResetSelection(selection_);
    ResetConverted(selection_);
    GatherSelection(selection_, rows_);
    if (selection_.Count < atLeast) {
        ShowNotice(prompts_, tooFewMessage);
        ExplainFailure(prompts_, 0, "",
                       Format("%d file%s selected; the operation needs at least %d", selection_.Count,
                              selection_.Count == 1 ? " is" : "s are", atLeast));
        return false;
    }
    return !writesBinFiles || OutputsAreNotInputs();
}

bool Workspace::OutputsAreNotInputs() {
    // Compared as files, not as texts: "./x", links and other spellings of one
    // file count as the same.
    for (int k = 0; k < selection_.Count; ++k) {
        const FileEntry& hex = selection_.Entry(k);
        if (hex.FileType != kHexFile) continue;
        const std::string output = BinFileNameFor(hex.FileName);
        for (int j = 0; j < selection_.Count; ++j) {
            const FileEntry& other = selection_.Entry(j);
            if (!SameFile(output, other.FileName)) continue;
            ShowNotice(prompts_, Format(Localized(kOutputIsInputFormat), hex.FileNo, output.c_str(), other.FileNo, other.FileNo));
            ExplainFailure(prompts_, hex.FileNo, hex.FileName,
                           Format("its BIN file %s would replace %s, the file of row %d", output.c_str(),
                                  other.FileName.c_str(), other.FileNo));
            return false;
        }
    }
    return true;
}

bool Workspace::ReportFailedFiles(const std::vector<int32_t>& fileNos) {
    if (fileNos.empty()) return true;
    ShowWarning(prompts_, Format(Localized(kFilesFailedFormat), FileNoList(fileNos).c_str()));
    return false;
}

std::string FileNoList(const std::vector<int32_t>& fileNos) {
    std::string list;
    for (const int32_t no : fileNos) {
        if (!list.empty()) list += Localized("、");
        list += Format(Localized("文件%d"), no);
    }
    return list;
}

void Workspace::ClearList() {
    const Answer answer =
        prompts_.Show(MessageBox{kClearListQuestion, kClearListCaption, MessageIcon::Question, MessageButtons::YesNo,
                                 MessageKind::ClearList});
    if (answer != Answer::Yes) return;
    for (int row = 0; row < kRowCount; ++row) {
        selection_.WorkingCopies[static_cast<size_t>(row)] = FileEntry{};
        rows_.ClearEntry(row);
    }
    HeaderChecked = false;
    if (ListLayout == kAlignLayout) OutputFileText.clear();
}

}  // namespace torvane
