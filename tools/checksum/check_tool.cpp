#include "tools/checksum/check_tool.h"

#include <cstdint>
#include <new>
#include <vector>

#include "platform/files.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "tools/checksum/check_value.h"
#include "tools/hex_field_key.h"

namespace torvane {
namespace {

// File lengths are 32-bit values in this tool.
constexpr uint64_t kMaxCheckFileLength = 0xFFFFFFFFull;

void ShowInformation(Prompts& prompts, const char* text) {
    prompts.Show(MessageBox{text, ApplicationName(), MessageIcon::Information, MessageButtons::Ok});
}

std::optional<std::vector<uint8_t>> ReadCheckFile(const std::string& path) {
    if (!CanOpenReadWrite(path)) return std::nullopt;
    const std::optional<uint64_t> length = FileLength(path);
    if (!length || *length > kMaxCheckFileLength) return std::nullopt;
    try {
        return ReadWholeFile(path);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace

CheckOutcome RunCheckComputation(const std::string& pathText, const std::string& dataText, int selectedIndex,
                                 Prompts& prompts) {
    CheckOutcome outcome;
    if (pathText.empty() && dataText.empty()) {
        ShowInformation(prompts, kCheckNothingMessage);
        outcome.ClearSelection = true;
        return outcome;
    }

    std::optional<std::vector<uint8_t>> bytes;
    if (!pathText.empty()) {
        bytes = ReadCheckFile(pathText);
        if (!bytes) {
            ShowInformation(prompts, kCheckOpenFailedMessage);
            return outcome;
        }
    } else {
        try {
            bytes = ParseHexData(dataText);
        } catch (const std::bad_alloc&) {
            bytes.reset();
        }
        if (!bytes) {
            ShowInformation(prompts, kCheckDataErrorMessage);
            return outcome;
        }
    }

    const std::optional<ChecksumMethod> method = ChecksumMethodAt(selectedIndex);
    if (!method) return outcome;
    outcome.ResultText = ComputeCheckValue(*method, *bytes);
    return outcome;
}

bool AcceptsCheckDataKey(char32_t ch) { return AcceptsHexFieldKey(ch); }

std::optional<std::string> BrowseCheckFile(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kCheckFileFilter;
    return prompts.OpenFile(dialog);
}

}  // namespace torvane
