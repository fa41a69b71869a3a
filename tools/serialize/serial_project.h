#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/serialize/serialize_tool.h"

namespace torvane {

class ProfileDocument;

// The serialiser's keys in a project file, in the first section beside the
// rows' keys (see kSerialKeyPrefix): each written only when it has a value
// of its own, every value at most kProjectValueLimit characters and never cut.
inline constexpr const char* kSerialTemplateKey = "SerialTemplate";    // the template's path
inline constexpr const char* kSerialBaseKey = "SerialBase";            // a BIN template's first address, hex
inline constexpr const char* kSerialFillKey = "SerialFill";            // the fill byte, hex (FF when missing)
inline constexpr const char* kSerialAtKey = "SerialAt";                // AT:KIND, as --serial takes it
inline constexpr const char* kSerialStepKey = "SerialStep";            // decimal (1 when missing)
inline constexpr const char* kSerialNextKey = "SerialNext";            // the next number to issue, decimal
inline constexpr const char* kSerialMacAtKey = "SerialMacAt";          // the MAC's address, hex
inline constexpr const char* kSerialMacStepKey = "SerialMacStep";      // decimal (1 when missing)
inline constexpr const char* kSerialMacNextKey = "SerialMacNext";      // the next MAC, 00:11:22:AA:BB:CC
inline constexpr const char* kSerialOutputKey = "SerialOutput";        // the name pattern
inline constexpr const char* kSerialManifestKey = "SerialManifest";    // the manifest's path
inline constexpr const char* kSerialFieldKeyFormat = "SerialField%d";  // 1, 2, ...: a field as --field takes it
inline constexpr int kMaxSerialFields = 64;

// What a project keeps for the serialiser.
struct SerialProject {
    SerializeSettings settings;
    uint64_t next = 0;     // the first number the next run issues
    uint64_t macNext = 0;  // and its MAC, with settings.macAt
};

// The project's serialiser settings. Nothing, with `why` left empty, when it
// has none; nothing, with the reason in English, when a key cannot be read
// (a value too long, a number or field that is not one, the keys in two
// sections, a field key out of its row). Relative paths are taken against
// `folder`, the project's own.
std::optional<SerialProject> ReadSerialProject(const ProfileDocument& doc, const std::string& folder, std::string& why);

// Puts the settings into the document: in the section that holds serialiser
// keys, else in its first section, else in a new [FileInfo1]; every older
// serialiser key there is replaced. Paths are stored absolute. The reason,
// in English, and the document unchanged, when a value cannot be stored so
// that it reads back as it is.
std::optional<std::string> PutSerialProject(ProfileDocument& doc, const SerialProject& project);

// Only the next numbers, where the settings already stand.
void PutSerialNext(ProfileDocument& doc, uint64_t next, std::optional<uint64_t> macNext);

}  // namespace torvane
