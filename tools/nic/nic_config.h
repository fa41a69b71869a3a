#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace torvane {

class OperationLog;
class Prompts;

// The network-adapter configuration file, written by an outside configuration
// tool: a 30-byte header that starts with a zero-terminated tag, then the
// 264-byte settings body. Anything after the body is ignored.
inline constexpr size_t kNicConfigHeaderSize = 30;
inline constexpr size_t kNicConfigBodySize = 264;
inline constexpr size_t kNicConfigReadSize = kNicConfigHeaderSize + kNicConfigBodySize;
// The tag's 23 characters; the byte after them must be 0x00.
inline constexpr char kNicConfigTag[] = "Kavrun_PortSetupApp.exe";
inline constexpr size_t kNicConfigTagLength = sizeof kNicConfigTag - 1;

// The settings body, kept verbatim. Multi-byte numbers in it are little-endian.
using NicConfigBody = std::array<uint8_t, kNicConfigBodySize>;

// Body fields that the upgrade tool touches besides listing them.
inline constexpr size_t kNicModuleMacOffset = 8;  // 6 bytes
inline constexpr size_t kNicModuleMacSize = 6;
inline constexpr size_t kNicProductDescriptorOffset = 102;       // 38 bytes
inline constexpr size_t kNicManufacturerDescriptorOffset = 140;  // 32 bytes
inline constexpr size_t kNicSerialDescriptorOffset = 172;        // 30 bytes
// The descriptor text is held in a 50-byte area: at most 49 characters.
inline constexpr size_t kNicDescriptorMaxChars = 49;

// Texts of the configuration reader.
inline constexpr const char* kNicChooseConfigMessage = "请选择网卡配置文件";

// The settings body of a configuration file's bytes, or nothing when the tag or
// the zero byte after it is wrong (a file shorter than 24 bytes has no complete
// tag). Bytes 24..29 are not looked at. A file shorter than 294 bytes leaves the
// rest of the body zero.
std::optional<NicConfigBody> ParseNicConfig(std::span<const uint8_t> file);

// The text of the USB string descriptor at `offset` in the body: the low byte of
// each UTF-16LE code unit, read as a character of the system code page, and
// returned as UTF-8. The count of code units is (bLength - 2) / 2 with bLength
// taken as a signed byte; it is bounded to kNicDescriptorMaxChars and to the
// units that lie wholly inside the body. The text ends early at a zero byte.
std::string NicDescriptorText(const NicConfigBody& body, size_t offset);

// Appends the 32 setting lines of the body to `list`, one new last line each,
// in their fixed order.
void AppendNicSettingLines(const NicConfigBody& body, OperationLog& list);

// Reads the configuration file at `path` and lists it in `list`. An empty path
// shows the notice kNicChooseConfigMessage and leaves `body` as it was. Otherwise
// `body` is cleared first; a missing, unreadable or invalid file appends one
// line and leaves it zero. On success `body` holds the file's settings and the
// success line and the 32 setting lines were appended. True on success.
bool LoadNicConfig(const std::string& path, NicConfigBody& body, OperationLog& list, Prompts& prompts);

}  // namespace torvane
