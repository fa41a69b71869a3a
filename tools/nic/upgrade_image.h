#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/nic/nic_config.h"

namespace torvane {

class OperationLog;
class Prompts;

// Where an upgrade image carries the adapter's settings body.
inline constexpr size_t kNicSettingsOffset = 0x4000;
// The shortest image that holds the whole body: 0x4108 = 16648 bytes.
inline constexpr size_t kUpgradeImageMinSize = kNicSettingsOffset + kNicConfigBodySize;
// The longest image taken, far above any real one: an image is held in memory
// whole while its output is built.
inline constexpr uint64_t kUpgradeImageMaxSize = uint64_t{64} << 20;
// Production images carry no per-unit identity: the module MAC address and the
// first 26 bytes of the serial number descriptor (length, type and 12 code
// units) are zeroed; its last 4 bytes stay.
inline constexpr size_t kProductionSerialBlankSize = 26;

inline constexpr const char* kChooseUpgradeFileMessage = "请至少选择一个升级文件";

// The body as a production image carries it.
NicConfigBody BlankForProduction(NicConfigBody body);

// Puts the body (blanked first when `production`) into `image` at
// kNicSettingsOffset; every other byte and the length stay. False, and the
// image unchanged, when it is shorter than kUpgradeImageMinSize.
bool PlaceUpgradeSettings(std::span<uint8_t> image, const NicConfigBody& body, bool production);

// A copy of `image` with the body placed as above; nothing when it is too short.
std::optional<std::vector<uint8_t>> BuildUpgradeImage(std::span<const uint8_t> image, const NicConfigBody& body,
                                                      bool production);

// The output file for an input image, in the input's folder: "_new." (or
// "_newforproduction.") replaces the last '.' of the file name, so
// /fw/net_v1.2.bin gives /fw/net_v1.2_new.bin. A file name without a '.' gets
// "_new" (or "_newforproduction") appended.
std::string UpgradeOutputPath(const std::string& input, bool production);

// The dialog's two commands, "生成合并后的文件" and "生成生产使用文件". They take
// the texts of the fields "升级文件+CDROM" (image A), "升级文件" (image B) and
// "网卡配置文件", read the configuration into `list` first, then write the
// output of A and then of B, each given one, and append a line for each. The
// first failure ends the command. A command in which an output would replace
// the configuration, either image or the other output is refused with one line
// before anything is written. True when every given image was written.
bool GenerateMergedFiles(const std::string& cdromImagePath, const std::string& imagePath,
                         const std::string& configPath, OperationLog& list, Prompts& prompts);
bool GenerateProductionFiles(const std::string& cdromImagePath, const std::string& imagePath,
                             const std::string& configPath, OperationLog& list, Prompts& prompts);

}  // namespace torvane
