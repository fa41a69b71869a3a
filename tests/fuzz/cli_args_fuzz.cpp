// torvane-cli's argument parser on any argument vector: the bytes are split at
// NUL into arguments.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "core/integrity_fields.h"
#include "core/merge_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (!current.empty() || args.empty()) args.push_back(current);
    std::string error;
    const auto cmd = torvane::cli::ParseBatchCommand(args, error);
    if (!cmd && error.empty()) std::abort();
    if (!cmd) return 0;
    if (cmd->files.size() > 6) std::abort();
    // A value the option takes is one its field can hold, and no file is an empty path.
    for (const auto& file : cmd->files) {
        if (file.path.empty()) std::abort();
        if (file.offset && !torvane::cli::IsHexFieldValue(*file.offset, 8)) std::abort();
    }
    using torvane::cli::BatchVerb;
    if (cmd->verb == BatchVerb::Run && !cmd->files.empty()) std::abort();
    // Every command but export and map runs an operation, only merge writes to
    // -o, and only merge writes a map to a file.
    const bool runsNone = cmd->verb == BatchVerb::Export || cmd->verb == BatchVerb::Map;
    if (runsNone == cmd->operation.has_value()) std::abort();
    if (cmd->output && cmd->operation != torvane::Operation::Merge) std::abort();
    if (cmd->mapFile && cmd->operation != torvane::Operation::Merge) std::abort();
    // Fields that parse are fields that can be written into a merged image.
    if (torvane::FieldsProblem(cmd->fields, 0, torvane::kMergedImageSize)) std::abort();
    for (const torvane::FieldSpec& field : cmd->fields) {
        const auto again = torvane::ParseFieldSpec(torvane::FieldSpecText(field));
        if (!again || torvane::FieldSpecText(*again) != torvane::FieldSpecText(field)) std::abort();
    }
    return 0;
}
