#pragma once

#include <cstdarg>
#include <string>

namespace torvane {

// Formats a printf-style text. "%s" arguments are UTF-8 strings (const char*);
// the result is UTF-8. The compiler checks the arguments against the format.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same over a va_list.
std::string FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

}  // namespace torvane
