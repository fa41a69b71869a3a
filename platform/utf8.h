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

}  // namespace torvane
