#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/integrity_fields.h"

namespace torvane {

// The record of serialised images: a CSV file (RFC 4180, UTF-8, CRLF line
// ends) with one line per image, appended as the images are written. Its
// header names the columns: serial, mac, file, size, one per integrity field
// (the field as --field takes it), sha256.

inline constexpr const char* kManifestSerialColumn = "serial";
inline constexpr const char* kManifestMacColumn = "mac";

// One image as the manifest records it.
struct ManifestEntry {
    uint64_t serial = 0;
    std::optional<uint64_t> mac;      // the mac column is empty without one
    std::string file;                 // the path written, UTF-8
    uint64_t size = 0;                // bytes of the file
    std::vector<std::string> values;  // each field's value, as the check tool shows it
    std::string sha256;               // of the file, 64 lower-case hex digits
};

// The header's cells for a run that writes `fields`.
std::vector<std::string> ManifestHeader(std::span<const FieldSpec> fields);
// The cells of one entry, in the header's order.
std::vector<std::string> ManifestCells(const ManifestEntry& entry);

// One CSV line of the cells, ended by CRLF: a cell that holds a comma, a
// quote, a line break or blanks at its ends is quoted, its quotes doubled.
std::string CsvLine(std::span<const std::string> cells);

// What a manifest holds, as far as a run needs it.
struct ManifestRecord {
    uint64_t serial = 0;
    std::optional<uint64_t> mac;
    uint32_t line = 0;  // its line number in the file, from 1 for the header
};
struct ManifestContent {
    std::vector<std::string> header;  // empty for an empty file
    std::vector<ManifestRecord> records;
    // Where the last line starts when the file ends inside it: an append cut
    // short (a power cut, a full disk). The record it began is not in
    // `records`; the bytes from here on are dropped before the next append.
    std::optional<uint64_t> cutAt;
};

// Reads a manifest's bytes (a UTF-8 byte-order mark, LF or CRLF line ends
// and any quoting are read). Nothing, with the reason in English, for a
// header without serial and mac columns, a line of another number of cells,
// a serial that is no decimal number, a mac that is no MAC address.
std::optional<ManifestContent> ParseManifest(std::span<const uint8_t> bytes, std::string* why = nullptr);

}  // namespace torvane
