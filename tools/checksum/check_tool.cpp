#include "tools/checksum/check_tool.h"

#include <cstdint>
#include <new>
#include <cstdio>
#include <vector>

#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "tools/checksum/check_value.h"
#include "core/hex_field_key.h"

namespace torvane {
namespace {

// File lengths are 32-bit values in this tool.
constexpr uint64_t kMaxCheckFileLength = 0xFFFFFFFFull;

std::string TooLongReason(uint64_t length) {
    return Format("the file is %llu bytes long, more than the %llu bytes that are checked",
                  static_cast<unsigned long long>(length), static_cast<unsigned long long>(kMaxCheckFileLength));
}

// Runs the method over the whole file, read in pieces. Nothing when the file
// cannot be opened or read, is not a regular file or is 4 GiB or larger; the
// reason is then in `problem`.
std::optional<std::string> CheckFile(const std::string& path, ChecksumMethod method, std::string& problem) {
    if (!CanOpenReadWrite(path)) {
        problem = FileProblem(path, FileUse::ReadWrite);
        return std::nullopt;
    }
    const std::optional<uint64_t> length = FileLength(path);
    if (!length) {
        problem = FileProblem(path, FileUse::ReadWrite);
        return std::nullopt;
    }
    if (*length > kMaxCheckFileLength) {
        problem = TooLongReason(*length);
        return std::nullopt;
    }
    std::FILE* f = OpenReadStream(path);
    if (!f) {
        problem = FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    CheckValueStream stream(method);
    // A multiple of 64 bytes, as the stream wants for every piece but the last;
    // large enough for few reads, and on huge pages, so that filling it costs
    // next to no page faults. The stream's own buffer of the C library stays out.
    ByteBuffer buffer(size_t{1} << 21, false);
    std::setvbuf(f, nullptr, _IONBF, 0);
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        total += got;
        if (total > kMaxCheckFileLength) ok = false;
        if (!ok) break;
        stream.Add(std::span<const uint8_t>(buffer.data(), got));
        if (got < buffer.size()) break;
    }
    if (!ok) problem = TooLongReason(total);
    if (ok && std::ferror(f) != 0) {
        problem = FileProblem(path, FileUse::Read);
        ok = false;
    }
    std::fclose(f);
    if (!ok) return std::nullopt;
    return stream.Finish();
}

}  // namespace

CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText, int selectedIndex,
                                 Prompts& prompts) {
    CheckOutcome outcome;
    if (pathText.empty() && dataText.empty()) {
        ShowWarning(prompts, kCheckNothingMessage);
        ExplainFailure(prompts, 0, "", "neither a file nor data was given");
        outcome.ClearSelection = true;
        return outcome;
    }

    const std::optional<ChecksumMethod> method = ChecksumMethodAt(selectedIndex);
    if (!pathText.empty()) {
        // The file is opened even when no method is chosen, so a bad path is
        // reported either way; it is read only for a method.
        if (!method) {
            if (!CanOpenReadWrite(pathText)) {
                const std::string problem = FileProblem(pathText, FileUse::ReadWrite);
                ShowStop(prompts, kCheckOpenFailedMessage);
                ExplainFailure(prompts, 0, pathText, problem);
            }
            return outcome;
        }
        std::string problem;
        std::optional<std::string> text = CheckFile(pathText, *method, problem);
        if (!text) {
            ShowStop(prompts, kCheckOpenFailedMessage);
            ExplainFailure(prompts, 0, pathText, problem);
            return outcome;
        }
        outcome.ResultText = std::move(text);
        return outcome;
    }

    std::optional<std::vector<uint8_t>> bytes;
    bool noMemory = false;
    try {
        bytes = ParseHexData(dataText);
    } catch (const std::bad_alloc&) {
        bytes.reset();
        noMemory = true;
    }
    if (!bytes) {
        ShowWarning(prompts, kCheckDataErrorMessage);
        ExplainFailure(prompts, 0, "", noMemory ? "out of memory" : "the data holds no pair of hex digits");
        return outcome;
    }
    if (method) outcome.ResultText = ComputeCheckValue(*method, *bytes);
    return outcome;
}

bool AcceptsCheckDataKey(char32_t ch) { return AcceptsHexFieldKey(ch); }

std::optional<std::string> BrowseCheckFile(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kCheckFileFilter;
    dialog.kind = FileKind::CheckFile;
    return prompts.OpenFile(dialog);
}

}  // namespace torvane
