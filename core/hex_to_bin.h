#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

class Workspace;

// The BIN file written for a HEX file: the name's last three bytes, in the
// system code page, replaced by "BIN" (/fw/app.hex becomes /fw/app.BIN).
std::string BinFileNameFor(const std::string& hexFileName);

// Converts the k-th selected file of the workspace's BatchSelection into its BIN
// file and logs each step. True when the BIN file was written; ConvertedName[k]
// and ConvertedSize[k] then name it, and StepNo[k] is one past the last step.
bool ConvertHexFile(Workspace& ws, int k);

// "HEX转BIN": converts every selected HEX file and pads it to its alignment.
// The output-file text shows the BIN file converted last. True when at least one
// file was selected and every one of them was converted (and padded, where its
// alignment asks for it).
bool HexToBinBatch(Workspace& ws);

// Reads the size recorded for a source file into a zero-filled buffer of that
// size (at most kSourceReadLimit bytes): a shorter file leaves the rest zero, and
// nothing is read past its end. Nothing when the file cannot be read.
inline constexpr int64_t kSourceReadLimit = 0x600000;
std::optional<std::vector<uint8_t>> ReadRecordedSize(const std::string& path, int32_t size);

inline constexpr const char* kSelectOneFileMessage = "请选择至少一个目标文件！";

}  // namespace torvane
