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
// alignment, with its fill byte, computed from the file's length when it is
// opened (not from a length recorded earlier, which may be stale). Logs its
// steps, continuing StepNo[k] for a HEX entry and restarting it for a BIN entry.
// The new length goes to ConvertedSize[k] (HEX entry) or to the working copy's
// FileSize, and a padded BIN entry's row is reloaded, which reports its change.
AlignOutcome AlignFileOutcome(Workspace& ws, const std::string& path, int k);

// "对齐BIN文件": pads every selected file (a HEX file's BIN file after converting
// it). The output-file text shows the file padded last. True when at least one
// file was selected and each was padded or needed no padding; otherwise a
// warning names the rows that failed.
bool AlignBatch(Workspace& ws);

// The same, true when padding was written.
inline bool AlignFile(Workspace& ws, const std::string& path, int k) {
    return AlignFileOutcome(ws, path, k) == AlignOutcome::Padded;
}

}  // namespace torvane
