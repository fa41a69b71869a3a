#pragma once

#include <cstdarg>
#include <string>

// MinGW's C++ library formats with its own ANSI printf (%zu, %llu), not the
// system's; its checks are gnu_printf's, where plain printf would be the
// system's and warn about %zu.
#if defined(__MINGW32__)
#define TORVANE_PRINTF_FORMAT gnu_printf
#else
#define TORVANE_PRINTF_FORMAT printf
#endif

namespace torvane {

// Formats a printf-style text. "%s" arguments are UTF-8 strings (const char*);
// the result is UTF-8. The compiler checks the arguments against the format.
std::string Format(const char* format, ...) __attribute__((format(TORVANE_PRINTF_FORMAT, 1, 2)));

// The same over a va_list.
std::string FormatV(const char* format, va_list args) __attribute__((format(TORVANE_PRINTF_FORMAT, 1, 0)));

}  // namespace torvane
