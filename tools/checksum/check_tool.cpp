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
std::optional<std::string> CheckFile(const std::string& path, CheckValueStream stream, std::string& problem) {
    // Reading is all a check value needs.
    if (!CanOpenRead(path)) {
        problem = FileProblem(path, FileUse::Read);
        return std::nullopt;
    }
    const std::optional<uint64_t> length = FileLength(path);
    if (!length) {
        problem = FileProblem(path, FileUse::Read);
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
    const std::optional<ChecksumMethod> method = ChecksumMethodAt(selectedIndex);
    return RunCheckComputation(pathText, dataText,
                               method ? std::optional<CheckValueStream>(std::in_place, *method) : std::nullopt, prompts);
}

CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText,
                                 const std::optional<CheckValueStream>& method, Prompts& prompts) {
    CheckOutcome outcome;
    if (pathText.empty() && dataText.empty()) {
        ShowWarning(prompts, kCheckNothingMessage);
        ExplainFailure(prompts, 0, "", "neither a file nor data was given");
        outcome.ClearSelection = true;
        outcome.ResultText = std::string();
        outcome.Failed = true;
        return outcome;
    }

    if (!pathText.empty()) {
        // The file is opened even when no method is chosen, so a bad path is
        // reported either way; it is read only for a method.
        if (!method) {
            if (!CanOpenRead(pathText)) {
                const std::string problem = FileProblem(pathText, FileUse::Read);
                ShowStop(prompts, kCheckOpenFailedMessage);
                ExplainFailure(prompts, 0, pathText, problem);
                outcome.ResultText = std::string();
                outcome.Failed = true;
            }
            return outcome;
        }
        std::string problem;
        std::optional<std::string> text = CheckFile(pathText, *method, problem);
        if (!text) {
            ShowStop(prompts, kCheckOpenFailedMessage);
            ExplainFailure(prompts, 0, pathText, problem);
            outcome.ResultText = std::string();
            outcome.Failed = true;
            return outcome;
        }
        outcome.ResultText = std::move(text);
        return outcome;
    }

    std::optional<std::vector<uint8_t>> bytes;
    std::string why;
    try {
        bytes = ParseHexData(dataText, &why);
    } catch (const std::bad_alloc&) {
        bytes.reset();
        why = "out of memory";
    }
    if (!bytes) {
        ShowWarning(prompts, kCheckDataErrorMessage);
        ExplainFailure(prompts, 0, "", why);
        outcome.ResultText = std::string();
        outcome.Failed = true;
        return outcome;
    }
    if (method) {
        CheckValueStream stream = *method;
        stream.Add(*bytes);
        outcome.ResultText = stream.Finish();
    }
    return outcome;
}

bool AcceptsCheckDataKey(char32_t ch) {
    // The "0x" of the usual notation can be typed too.
    return AcceptsHexFieldKey(ch) || ch == U'x' || ch == U'X';
}

std::optional<std::string> BrowseCheckFile(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kCheckFileFilter;
    dialog.kind = FileKind::CheckFile;
    return prompts.OpenFile(dialog);
}

}  // namespace torvane
