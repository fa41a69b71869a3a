#include "platform/profile.h"

#include <optional>
#include <strings.h>

#include "platform/code_page.h"
#include "platform/files.h"

namespace torvane {
namespace {

constexpr const char* kBlanks = " \t";

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// The file's lines in UTF-8, without their line ends; nothing when the file
// exists but cannot be read or is too long. A missing file has no lines.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    if (!FileExists(path)) return lines;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kProfileSizeLimit);
    if (!bytes) return std::nullopt;
    const std::string text =
        FromCodePage(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

// The section name of a header line, or nothing when the line is no header.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return std::nullopt;
    const size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

bool IsComment(const std::string& line) {
    const std::string t = Trim(line);
    return !t.empty() && t[0] == ';';
}

// Splits a "key=value" line; nothing for a line without '='.
std::optional<std::pair<std::string, std::string>> KeyValueOf(const std::string& line) {
    if (IsComment(line)) return std::nullopt;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    std::string key = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::make_pair(std::move(key), std::move(value));
}

// The value of the key, or nothing when the section or the key is missing.
std::optional<std::string> FindValue(const std::vector<std::string>& lines, const std::string& section,
                                     const std::string& key) {
    bool inSection = false;
    bool seenSection = false;
    for (const std::string& line : lines) {
        if (const auto name = SectionOf(line)) {
            if (seenSection && inSection) return std::nullopt;  // only the first section of that name counts
            inSection = SameName(*name, section);
            seenSection = seenSection || inSection;
            continue;
        }
        if (!inSection) continue;
        const auto kv = KeyValueOf(line);
        if (kv && SameName(kv->first, key)) return kv->second;
    }
    return std::nullopt;
}

size_t CharCount(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// The first `chars` characters of UTF-8 text.
std::string FirstChars(const std::string& s, size_t chars) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == chars) return s.substr(0, i);
            ++n;
        }
    }
    return s;
}

}  // namespace

bool ProfileDocument::Load(const std::string& path) {
    std::optional<std::vector<std::string>> read = ReadLines(path);
    if (!read) return false;
    lines_ = std::move(*read);
    return true;
}

void ProfileDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string newLine = key + "=" + value;
    // Find the first section of that name and, in it, the key.
    size_t sectionLine = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionOf(lines_[i]);
        if (name && SameName(*name, section)) {
            sectionLine = i;
            break;
        }
    }
    if (sectionLine == lines_.size()) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(newLine);
        return;
    }
    size_t lastEntry = sectionLine;  // the last line of the section that is not blank
    for (size_t i = sectionLine + 1; i < lines_.size() && !SectionOf(lines_[i]); ++i) {
        const auto kv = KeyValueOf(lines_[i]);
        if (kv && SameName(kv->first, key)) {
            lines_[i] = newLine;
            return;
        }
        if (!Trim(lines_[i]).empty()) lastEntry = i;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), newLine);
}

std::string ProfileDocument::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool ProfileDocument::Save(const std::string& path) const {
    const std::string bytes = ToCodePage(Text());
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

bool WriteProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path) {
    ProfileDocument doc;
    if (!doc.Load(path)) return false;
    doc.Set(section, key, value);
    return doc.Save(path);
}

SectionNameList GetProfileSectionNames(const std::string& path, uint32_t room) {
    SectionNameList list;
    const std::optional<std::vector<std::string>> lines = ReadLines(path);
    if (!lines || room < 2) return list;
    std::vector<std::string> all;
    size_t needed = 0;  // characters of the names and their terminators
    for (const std::string& line : *lines) {
        if (const auto name = SectionOf(line)) {
            all.push_back(*name);
            needed += CharCount(*name) + 1;
        }
    }
    if (needed + 1 <= room) {
        list.result = static_cast<uint32_t>(needed);
        list.names = std::move(all);
        return list;
    }
    // Cut: room - 2 characters, then the two terminators.
    size_t left = room - 2;
    for (const std::string& name : all) {
        if (left == 0) break;
        const size_t chars = CharCount(name);
        if (chars + 1 <= left) {
            list.names.push_back(name);
            left -= chars + 1;
        } else {
            list.names.push_back(FirstChars(name, left));
            left = 0;
        }
    }
    list.result = room - 2;
    return list;
}

std::string GetProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                             uint32_t room, const std::string& path) {
    const std::optional<std::vector<std::string>> lines = ReadLines(path);
    std::optional<std::string> value;
    if (lines) value = FindValue(*lines, section, key);
    const std::string& text = value ? *value : fallback;
    return room == 0 ? std::string() : FirstChars(text, room - 1);
}

int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t fallback,
                      const std::string& path) {
    const std::optional<std::vector<std::string>> lines = ReadLines(path);
    if (!lines) return fallback;
    const std::optional<std::string> value = FindValue(*lines, section, key);
    if (!value || value->empty()) return fallback;
    const std::string& s = *value;
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Read into 32 bits the way the C library's conversion to a machine word
    // does: a longer number keeps its low 32 bits.
    uint32_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) n = n * 10u + static_cast<uint32_t>(s[i] - '0');
    return static_cast<int32_t>(negative ? 0u - n : n);
}

}  // namespace torvane
