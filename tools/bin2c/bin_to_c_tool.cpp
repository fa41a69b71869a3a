#include "tools/bin2c/bin_to_c_tool.h"

#include <cstdint>
#include <new>
#include <vector>

#include "platform/files.h"
#include "platform/prompts.h"
#include "tools/bin2c/bin_to_c_array.h"

namespace torvane {
namespace {

bool Fail(Prompts& prompts, const char* text, MessageIcon icon = MessageIcon::Exclamation) {
    prompts.Show(MessageBox{text, kBinToCErrorCaption, icon, MessageButtons::Ok});
    return false;
}

}  // namespace

std::optional<BinToCPaths> BrowseBinToCSource(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kBinToCSourceFilter;
    dialog.kind = FileKind::BinToCSource;
    std::optional<std::string> source = prompts.OpenFile(dialog);
    if (!source) return std::nullopt;
    return BinToCPaths{*source, ProposedTargetPath(*source)};
}

std::optional<std::string> BrowseBinToCTarget(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kBinToCTargetFilter;
    dialog.kind = FileKind::BinToCTarget;
    dialog.overwritePrompt = true;
    return prompts.SaveFile(dialog);
}

bool ConvertBinToC(const std::string& sourcePath, const std::string& targetPath, Prompts& prompts) {
    // Every source check comes before the target is opened, so a refused
    // conversion leaves an existing target as it was.
    if (!FileExists(sourcePath)) return Fail(prompts, kBinToCMissingMessage);
    const std::optional<uint64_t> length = FileLength(sourcePath);
    if (!length) return Fail(prompts, kBinToCOpenFailedMessage);
    if (*length == 0) return Fail(prompts, kBinToCEmptyMessage);
    if (!FitsBinToCLimit(*length)) return Fail(prompts, kBinToCTooLargeMessage);
    // Opened for reading and writing as the tool always has, but never created.
    if (!CanOpenReadWrite(sourcePath)) return Fail(prompts, kBinToCOpenFailedMessage);
    // Replacing the source by its own text would lose the data it holds.
    if (SameFile(sourcePath, targetPath)) return Fail(prompts, kBinToCSameFileMessage);

    std::optional<std::vector<uint8_t>> bytes;
    try {
        bytes = ReadWholeFile(sourcePath, kMaxBinToCLength);
    } catch (const std::bad_alloc&) {
        bytes.reset();
    }
    if (!bytes) return Fail(prompts, kBinToCReadFailedMessage);
    // The file may have changed since its length was taken.
    if (bytes->empty()) return Fail(prompts, kBinToCEmptyMessage);
    if (!FitsBinToCLimit(bytes->size())) return Fail(prompts, kBinToCTooLargeMessage);

    std::string text;
    try {
        text = BinToCArray(*bytes);
    } catch (const std::bad_alloc&) {
        return Fail(prompts, kBinToCWriteFailedMessage, MessageIcon::Error);
    }
    if (!WriteWholeFile(targetPath, text.data(), text.size()))
        return Fail(prompts, kBinToCWriteFailedMessage, MessageIcon::Error);

    prompts.Show(MessageBox{kBinToCDoneMessage, kBinToCTipCaption, MessageIcon::Information, MessageButtons::Ok});
    return true;
}

}  // namespace torvane
