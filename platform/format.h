#pragma once

#include <cstdarg>
#include <string>

// The printf format checking of the compiler, for a function whose format
// text is argument `format_index` and whose values start at `first_value` (0
// for a va_list). MinGW's own "printf" checks against the Microsoft C
// runtime's formats, which lack %zu and %llu; FormatV formats through
// MinGW-w64's C99 printf, so the checking follows that one.
#if defined(__MINGW32__)
#define TORVANE_PRINTF_FORMAT(format_index, first_value) \
    __attribute__((format(gnu_printf, format_index, first_value)))
#else
#define TORVANE_PRINTF_FORMAT(format_index, first_value) __attribute__((format(printf, format_index, first_value)))
#endif

namespace torvane {

// Formats a printf-style text. "%s" arguments are UTF-8 strings (const char*);
// the result is UTF-8. The compiler checks the arguments against the format.
std::string Format(const char* format, ...) TORVANE_PRINTF_FORMAT(1, 2);

// The same over a va_list.
std::string FormatV(const char* format, va_list args) TORVANE_PRINTF_FORMAT(1, 0);

}  // namespace torvane
