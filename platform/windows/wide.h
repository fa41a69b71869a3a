#pragma once

#include <string>
#include <string_view>

namespace torvane::windows {

// Text inside the program is UTF-8; the system's functions take UTF-16. These
// convert at that border. A UTF-8 sequence that is not valid becomes U+FFFD,
// as does a UTF-16 surrogate without its partner.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A path as the system's wide functions take it: UTF-16, and a path too long
// for the classic limit in its "\\?\" form (absolute, backslashes only), which
// the functions accept up to the file system's own limit.
std::wstring SystemPath(const std::string& utf8Path);

// The system's text for an error code (GetLastError), in UTF-8, without the
// line end the system adds.
std::string ErrorText(unsigned long code);

}  // namespace torvane::windows
