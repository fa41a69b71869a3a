#pragma once

#include <cstdint>
#include <string>

namespace torvane {

class Workspace;

enum class AlignOutcome {
    Padded,     // padding was appended
    NotNeeded,  // the length already was a multiple of the alignment
    Failed,     // "1字节", no alignment chosen, the file could not be opened or padded
};

// Pads the file of the k-th selected file at its end to a multiple of its
// alignment, with its fill byte, computed from the known length `size`. Logs its
// steps, continuing StepNo[k] for a HEX entry and restarting it for a BIN entry.
// A padded BIN entry's row is reloaded, which reports its changed size.
AlignOutcome AlignFileOutcome(Workspace& ws, const std::string& path, int32_t size, int k);

// "对齐BIN文件": pads every selected file (a HEX file's BIN file after converting
// it). The output-file text shows the file padded last. True when at least one
// file was selected and each was padded or needed no padding.
bool AlignBatch(Workspace& ws);

// The same, true when padding was written.
inline bool AlignFile(Workspace& ws, const std::string& path, int32_t size, int k) {
    return AlignFileOutcome(ws, path, size, k) == AlignOutcome::Padded;
}

}  // namespace torvane
