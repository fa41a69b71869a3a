#include "platform/profile.h"

#include <optional>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace torvane {
namespace {

constexpr const char* kBlanks = " \t";
constexpr const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return s.substr(0, 0);
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// Names compare without regard to the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE text as UTF-8. A surrogate without its partner, and an odd last
// byte, become U+FFFD.
std::string FromUtf16Le(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) { return static_cast<uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += kReplacement;
        } else {
            AppendUtf8(out, u);
        }
    }
    if (bytes.size() % 2 != 0) out += kReplacement;
    return out;
}

// The length of the valid UTF-8 sequence at the start of `s`, or 0.
size_t ValidSequence(std::string_view s) {
    const auto c = static_cast<unsigned char>(s[0]);
    if (c < 0x80) return 1;
    size_t len;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return 0;
    if (s.size() < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(s[k]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return len;
}

// UTF-8 text with every byte that belongs to no valid sequence as U+FFFD.
std::string RepairUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t len = ValidSequence(s.substr(i));
        if (len == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}

// The file's text in UTF-8, by its byte-order mark or else in the code page.
std::string DecodeText(std::span<const uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return FromUtf16Le(bytes.subspan(2));
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        const std::span<const uint8_t> rest = bytes.subspan(3);
        return RepairUtf8(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
    }
    return FromCodePage(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// What one line is: a header with its name, a key line with its key and value,
// or neither (nothing is set then).
struct LineParts {
    bool header = false;
    bool keyLine = false;
    std::string_view name;
    std::string_view value;
};

LineParts ParseLine(std::string_view line) {
    LineParts parts;
    const std::string_view t = Trim(line);
    if (t.size() >= 2 && t[0] == '[') {
        const size_t close = t.find(']');
        if (close != std::string_view::npos) {
            parts.header = true;
            parts.name = Trim(t.substr(1, close - 1));
            return parts;
        }
    }
    if (!t.empty() && t[0] == ';') return parts;  // a comment
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return parts;
    parts.keyLine = true;
    parts.name = Trim(line.substr(0, eq));
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    parts.value = value;
    return parts;
}

// Walks the lines of a text: `line` without its line end, `next` where the
// following line starts.
struct LineWalk {
    explicit LineWalk(std::string_view t) : text(t) {}

    std::string_view text;
    size_t pos = 0;
    std::string_view line;
    size_t next = 0;

    bool Step() {
        if (next >= text.size()) return false;
        pos = next;
        size_t end = text.find('\n', pos);
        next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        if (end > pos && text[end - 1] == '\r') --end;
        line = text.substr(pos, end - pos);
        return true;
    }
};

}  // namespace

ProfileDocument ProfileDocument::Parse(std::span<const uint8_t> bytes) {
    const std::string text = DecodeText(bytes);
    ProfileDocument doc;
    doc.text_.reserve(text.size() + text.size() / 16 + 2);
    LineWalk walk(text);
    while (walk.Step()) {
        doc.text_ += walk.line;
        doc.text_ += "\r\n";
    }
    doc.Reindex();
    return doc;
}

void ProfileDocument::Reindex() {
    entries_.clear();
    LineWalk walk(text_);
    while (walk.Step()) {
        const LineParts parts = ParseLine(walk.line);
        if (!parts.header && !parts.keyLine) continue;
        const auto at = [this](std::string_view part) { return static_cast<size_t>(part.data() - text_.data()); };
        Entry e{parts.header, at(parts.name), parts.name.size(), 0, 0};
        if (parts.keyLine) {
            e.valueStart = at(parts.value);
            e.valueLength = parts.value.size();
        }
        entries_.push_back(e);
    }
}

bool ProfileDocument::Load(const std::string& path, ReadFailure* why) {
    if (!FileExists(path)) {
        *this = ProfileDocument();
        return true;
    }
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kProfileSizeLimit, why);
    if (!bytes) return false;
    *this = Parse(*bytes);
    return true;
}

const ProfileDocument::Entry* ProfileDocument::Find(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (const Entry& e : entries_) {
        if (e.header) {
            if (inSection) return nullptr;  // only the first section of that name counts
            inSection = SameName(Name(e), section);
            continue;
        }
        if (inSection && SameName(Name(e), key)) return &e;
    }
    return nullptr;
}

SectionNameList ProfileDocument::SectionNames(uint32_t room) const {
    SectionNameList list;
    if (room < 2) return list;
    std::vector<std::string_view> all;
    size_t needed = 0;  // characters of the names and their terminators
    for (const Entry& e : entries_) {
        if (!e.header) continue;
        all.push_back(Name(e));
        needed += Utf8CharCount(all.back()) + 1;
    }
    if (needed + 1 <= room) {
        list.result = static_cast<uint32_t>(needed);
        list.names.assign(all.begin(), all.end());
        return list;
    }
    // Cut: room - 2 characters, then the two terminators.
    size_t left = room - 2;
    for (const std::string_view name : all) {
        if (left == 0) break;
        const size_t chars = Utf8CharCount(name);
        if (chars + 1 <= left) {
            list.names.emplace_back(name);
            left -= chars + 1;
        } else {
            list.names.push_back(Utf8FirstChars(name, left));
            left = 0;
        }
    }
    list.result = room - 2;
    return list;
}

std::string ProfileDocument::GetString(std::string_view section, std::string_view key, const std::string& fallback,
                                       uint32_t room) const {
    const Entry* e = Find(section, key);
    const std::string_view text = e ? Value(*e) : std::string_view(fallback);
    return room == 0 ? std::string() : Utf8FirstChars(text, room - 1);
}

std::optional<std::string> ProfileDocument::Value(std::string_view section, std::string_view key) const {
    const Entry* e = Find(section, key);
    if (!e) return std::nullopt;
    return std::string(Value(*e));
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    bool inSection = false;
    for (const Entry& e : entries_) {
        if (e.header) {
            if (inSection) break;  // only the first section of that name counts
            inSection = SameName(Name(e), section);
        } else if (inSection) {
            names.emplace_back(Name(e));
        }
    }
    return names;
}

int32_t ProfileDocument::GetInt(std::string_view section, std::string_view key, int32_t fallback) const {
    const Entry* e = Find(section, key);
    if (!e || e->valueLength == 0) return fallback;
    const std::string_view s = Value(*e);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // Read into 32 bits the way the C library's conversion to a machine word
    // does: a longer number keeps its low 32 bits.
    uint32_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) n = n * 10u + static_cast<uint32_t>(s[i] - '0');
    return static_cast<int32_t>(negative ? 0u - n : n);
}

void ProfileDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
    const std::string newLine = key + "=" + value;
    // In the first section of that name: the key's line, or else the place
    // after the section's last line that is not blank.
    bool inSection = false;
    size_t insertAt = 0;
    LineWalk walk(text_);
    while (walk.Step()) {
        const LineParts parts = ParseLine(walk.line);
        if (parts.header) {
            if (inSection) break;
            inSection = SameName(parts.name, section);
            insertAt = walk.next;
            continue;
        }
        if (!inSection) continue;
        if (parts.keyLine && SameName(parts.name, key)) {
            text_.replace(walk.pos, walk.line.size(), newLine);
            Reindex();
            return;
        }
        if (!Trim(walk.line).empty()) insertAt = walk.next;
    }
    if (inSection) {
        text_.insert(insertAt, newLine + "\r\n");
    } else {
        text_ += "[" + section + "]\r\n" + newLine + "\r\n";
    }
    Reindex();
}

bool ProfileDocument::Save(const std::string& path) const {
    const std::string bytes = ToCodePage(text_);
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
    ProfileDocument doc;
    doc.Load(path);
    return doc.SectionNames(room);
}

std::string GetProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                             uint32_t room, const std::string& path) {
    ProfileDocument doc;
    doc.Load(path);
    return doc.GetString(section, key, fallback, room);
}

int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t fallback,
                      const std::string& path) {
    ProfileDocument doc;
    doc.Load(path);
    return doc.GetInt(section, key, fallback);
}

}  // namespace torvane
