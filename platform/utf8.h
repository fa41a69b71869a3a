#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

// Counting and cutting UTF-8 text by characters: every byte that is not a
// continuation byte starts one.

inline size_t Utf8CharCount(std::string_view s) {
    size_t n = 0;
    for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `chars` characters of the text.
inline std::string Utf8FirstChars(std::string_view s, size_t chars) {
    if (s.size() <= chars) return std::string(s);  // never more characters than bytes
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == chars) return std::string(s.substr(0, i));
            ++n;
        }
    }
    return std::string(s);
}

// The length of the sequence a lead byte announces; 1 for a byte that is none.
inline size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

// The length of the well-formed UTF-8 sequence that starts at s[i], with its
// code point in `cp`; 0 when none does: a stray or missing continuation byte,
// an overlong form, a surrogate (U+D800..U+DFFF), a value past U+10FFFF.
inline size_t Utf8ValidLength(std::string_view s, size_t i, char32_t* cp = nullptr) {
    if (i >= s.size()) return 0;
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    const size_t len = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    char32_t value = len == 1 ? lead : len == 2 ? (lead & 0x1Fu) : len == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
    for (size_t k = 1; k < len; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        value = (value << 6) | (t & 0x3Fu);
    }
    if ((len == 3 && value < 0x800) || (len == 4 && value < 0x10000) || (value >= 0xD800 && value <= 0xDFFF) ||
        value > 0x10FFFF)
        return 0;
    if (cp) *cp = value;
    return len;
}

}  // namespace torvane
