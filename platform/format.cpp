#include "platform/format.h"

#include <cstdio>

namespace torvane {
namespace {

// The C99 printf of MinGW-w64 on Windows (%zu, %llu, %lld as the format
// checking takes them, whatever __USE_MINGW_ANSI_STDIO says); the C
// library's own elsewhere.
int FormatInto(char* buffer, size_t size, const char* format, va_list args) {
#if defined(__MINGW32__)
    return __mingw_vsnprintf(buffer, size, format, args);
#else
    return std::vsnprintf(buffer, size, format, args);
#endif
}

}  // namespace

std::string FormatV(const char* format, va_list args) {
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int needed = FormatInto(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return std::string();
    if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));

    std::string out(static_cast<size_t>(needed) + 1, '\0');
    FormatInto(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(needed));
    return out;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string out = FormatV(format, args);
    va_end(args);
    return out;
}

}  // namespace torvane
