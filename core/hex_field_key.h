#pragma once

namespace torvane {

// Backspace as a typed character.
inline constexpr char32_t kBackspaceKey = 8;

// The typed characters a hex-only edit lets through: 0-9, A-F,
// a-f and Backspace. Text pasted into such an edit is not filtered.
inline bool AcceptsHexFieldKey(char32_t ch) {
    return (ch >= U'0' && ch <= U'9') || (ch >= U'A' && ch <= U'F') || (ch >= U'a' && ch <= U'f') ||
           ch == kBackspaceKey;
}

}  // namespace torvane
