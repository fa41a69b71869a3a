#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace torvane {

// Initialization (profile) files: "[section]" header lines and "key=value"
// lines. Files are read and written in the system code page, written with CRLF
// line ends and no byte-order mark. Reading follows what users who edit these
// files by hand expect: section and key names match without regard to case,
// blanks around names and values are trimmed, a value in matching quotes loses
// them, lines beginning with ';' are comments, CRLF and LF line ends both read,
// and a missing file reads as empty. When a name occurs twice, the first wins.
// A file saved by a Windows editor is read as the editor meant it: after a
// UTF-16LE byte-order mark (FF FE) as UTF-16LE text, after a UTF-8 one
// (EF BB BF) as UTF-8 text.

// The longest profile file read; a longer one is unreadable. Project files are
// a few hundred bytes.
inline constexpr uint64_t kProfileSizeLimit = uint64_t{4} << 20;

// The section names in file order, as they fit a list of `room` characters in
// which every name is followed by a terminator and the list by one more.
struct SectionNameList {
    // Characters copied without the final terminator; room - 2 when the list
    // did not fit and was cut.
    uint32_t result = 0;
    // The names the (possibly cut) list holds; a cut name is kept as cut.
    std::vector<std::string> names;
};

// A profile file in memory, parsed once: for reading many keys from one read
// of the file, and for writing many keys with one write of it.
class ProfileDocument {
public:
    // The document of a file's bytes (any bytes: what is no header or key line
    // is kept as text and otherwise ignored).
    static ProfileDocument Parse(std::span<const uint8_t> bytes);
    // Reads the file (a missing one is empty); false, with the reason in `why`
    // when given, and the document unchanged when it cannot be read or is
    // longer than kProfileSizeLimit.
    bool Load(const std::string& path, ReadFailure* why = nullptr);

    // GetProfileSectionNames, GetProfileString and GetProfileInt (below) on
    // this document.
    SectionNameList SectionNames(uint32_t room) const;
    std::string GetString(std::string_view section, std::string_view key, const std::string& fallback,
                          uint32_t room) const;
    int32_t GetInt(std::string_view section, std::string_view key, int32_t fallback) const;
    // The key's whole value, as GetString reads it but never cut, or nothing
    // when the key or the section is missing: a caller that must not take a
    // cut value measures it first.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The key names of the first section of that name, in file order (a name
    // given twice is listed twice); none when the section is missing.
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Sets the key's value, as WriteProfileString does.
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // The file's text in UTF-8, every line ended by CRLF.
    std::string Text() const { return text_; }
    // Writes the file in the system code page; false on any failure.
    bool Save(const std::string& path) const;

private:
    // A header or key line of text_, by byte positions.
    struct Entry {
        bool header;
        size_t nameStart, nameLength;
        size_t valueStart, valueLength;  // key lines only
    };

    void Reindex();
    std::string_view Name(const Entry& e) const { return std::string_view(text_).substr(e.nameStart, e.nameLength); }
    std::string_view Value(const Entry& e) const {
        return std::string_view(text_).substr(e.valueStart, e.valueLength);
    }
    // The key's line in the first section of that name, or nothing.
    const Entry* Find(std::string_view section, std::string_view key) const;

    std::string text_;             // every line ended by CRLF
    std::vector<Entry> entries_;   // the header and key lines, in file order
};

// Sets the key's value: a missing section is added at the end of the file and a
// missing key at the end of its section. False when the file cannot be read or
// written.
bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path);

// The file's section names (see SectionNameList); none when it cannot be read.
SectionNameList GetProfileSectionNames(const std::string& path, uint32_t room);

// The key's value cut to room - 1 characters, or `fallback` when the key or the
// section is missing.
std::string GetProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                             uint32_t room, const std::string& path);

// The key's value read as a decimal integer (leading blanks, a sign, the digits
// up to the first other character; no digits give 0), or `fallback` when the
// key or the section is missing or the value is empty.
int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t fallback,
                      const std::string& path);

}  // namespace torvane
