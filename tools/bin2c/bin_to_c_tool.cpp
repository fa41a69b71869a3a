#include "tools/bin2c/bin_to_c_tool.h"

#include <cstdint>
#include <new>
#include <vector>

#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "tools/bin2c/bin_to_c_array.h"

namespace torvane {
namespace {

// The box, then the reason about `path`.
bool Fail(Prompts& prompts, const char* text, const std::string& path, const std::string& reason,
          MessageIcon icon = MessageIcon::Exclamation) {
    prompts.Show(MessageBox{text, kBinToCErrorCaption, icon, MessageButtons::Ok});
    ExplainFailure(prompts, 0, path, reason);
    return false;
}

std::string TooLongReason(uint64_t length) {
    return Format("the file is %llu bytes long, more than the %llu bytes that are converted",
                  static_cast<unsigned long long>(length), static_cast<unsigned long long>(kMaxBinToCLength));
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

bool ConvertBinToC(const std::string& sourcePath, const std::string& targetPath, Prompts& prompts, CArrayType type) {
    // Every source check comes before the target is opened, so a refused
    // conversion leaves an existing target as it was.
    const std::string& source = sourcePath;
    if (!FileExists(source)) return Fail(prompts, kBinToCMissingMessage, source, FileProblem(source, FileUse::Read));
    const std::optional<uint64_t> length = FileLength(source);
    if (!length) return Fail(prompts, kBinToCOpenFailedMessage, source, FileProblem(source, FileUse::Read));
    if (*length == 0) return Fail(prompts, kBinToCEmptyMessage, source, "the file is empty");
    if (!FitsBinToCLimit(*length)) return Fail(prompts, kBinToCTooLargeMessage, source, TooLongReason(*length));
    // Reading is all the conversion needs: a read-only source is converted.
    if (!CanOpenRead(source))
        return Fail(prompts, kBinToCOpenFailedMessage, source, FileProblem(source, FileUse::Read));
    // Replacing the source by its own text would lose the data it holds.
    if (SameFile(source, targetPath))
        return Fail(prompts, kBinToCSameFileMessage, targetPath, "the target would replace the source " + source);

    std::optional<std::vector<uint8_t>> bytes;
    ReadFailure why = ReadFailure::Unreadable;
    try {
        bytes = ReadWholeFile(source, kMaxBinToCLength, &why);
    } catch (const std::bad_alloc&) {
        bytes.reset();
        why = ReadFailure::NoMemory;
    }
    if (!bytes) {
        const std::string problem = why == ReadFailure::NoMemory ? std::string("out of memory")
                                    : why == ReadFailure::TooLarge
                                        ? TooLongReason(FileLength(source).value_or(kMaxBinToCLength + 1))
                                        : FileProblem(source, FileUse::Read);
        return Fail(prompts, kBinToCReadFailedMessage, source, problem);
    }
    // The file may have changed since its length was taken.
    if (bytes->empty()) return Fail(prompts, kBinToCEmptyMessage, source, "the file is empty");
    if (!FitsBinToCLimit(bytes->size())) return Fail(prompts, kBinToCTooLargeMessage, source, TooLongReason(bytes->size()));

    std::string text;
    try {
        text = BinToCArray(*bytes, type);
    } catch (const std::bad_alloc&) {
        return Fail(prompts, kBinToCWriteFailedMessage, targetPath, "out of memory", MessageIcon::Error);
    }
    if (!WriteWholeFile(targetPath, text.data(), text.size())) {
        const std::string problem = FileProblem(targetPath, FileUse::Write);
        return Fail(prompts, kBinToCWriteFailedMessage, targetPath, problem, MessageIcon::Error);
    }

    prompts.Show(MessageBox{kBinToCDoneMessage, kBinToCTipCaption, MessageIcon::Information, MessageButtons::Ok});
    return true;
}

}  // namespace torvane
