#include "platform/code_page.h"
#include "platform/utf8.h"

#include <cerrno>
#include <cstdint>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <optional>
#include <string_view>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

namespace torvane {
namespace {

bool IsUtf8Name(const std::string& name) {
    return strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0;
}

// The locale's code set where its name alone says it: UTF-8 for a name whose
// code set part is UTF-8, and for C and POSIX (below). Nothing otherwise. It
// spares every start of a program the locale files newlocale reads.
std::optional<std::string> CodeSetOfName() {
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        name = std::getenv(variable);
        if (name && *name) break;
    }
    if (!name || !*name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0) return "UTF-8";
    std::string_view set(name);
    const size_t dot = set.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    set = set.substr(dot + 1);
    set = set.substr(0, set.find('@'));
    if (IsUtf8Name(std::string(set))) return "UTF-8";
    return std::nullopt;
}

std::string LocaleCodeSet() {
    if (std::optional<std::string> set = CodeSetOfName()) return *set;
    // newlocale with "" reads the environment without touching the process locale.
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return "UTF-8";
    std::string set = nl_langinfo_l(CODESET, loc);
    freelocale(loc);
    // The C/POSIX locale reports ASCII; file names on this platform are UTF-8 then.
    if (set.empty() || set == "ANSI_X3.4-1968" || set == "ASCII" || set == "US-ASCII") return "UTF-8";
    return set;
}

struct CodePageState {
    std::string name;
    bool explicitlySet = false;
};

CodePageState& State() {
    static CodePageState state;
    return state;
}

const std::string& CurrentName() {
    CodePageState& s = State();
    if (!s.explicitlySet && s.name.empty()) s.name = LocaleCodeSet();
    return s.name;
}

// Runs iconv over the whole input; where a sequence cannot be converted, writes
// `replacement` and skips one input character (of `skipLength` bytes).
std::string Convert(const std::string& from, const std::string& to, std::string_view input,
                    std::string_view replacement, size_t (*skipLength)(const char*, size_t)) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);

    std::string out;
    out.reserve(input.size() * 2 + 8);
    char buffer[1024];
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a truncated sequence at the end): replace one character.
        const size_t skip = skipLength(in, inLeft);
        out.append(replacement);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    iconv_close(cd);
    return out;
}

size_t SkipUtf8(const char* p, size_t left) {
    size_t len = Utf8SequenceLength(static_cast<unsigned char>(p[0]));
    if (len > left) len = left;
    // Skip only the bytes that belong to the sequence, so a broken one loses one byte.
    for (size_t i = 1; i < len; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return i;
    }
    return len;
}

size_t SkipOneByte(const char*, size_t) { return 1; }

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += len;
    }
    return true;
}

}  // namespace

std::string CodePageName() { return CurrentName(); }

bool CodePageIsUtf8() { return IsUtf8Name(CurrentName()); }

bool SetCodePage(const std::string& iconvName) {
    CodePageState& s = State();
    if (iconvName.empty()) {
        s.explicitlySet = false;
        s.name.clear();
        return true;
    }
    iconv_t cd = iconv_open(iconvName.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    s.name = iconvName;
    s.explicitlySet = true;
    return true;
}

std::string ToCodePage(std::string_view utf8) {
    const std::string& name = CurrentName();
    if (IsUtf8Name(name)) {
        // Identity for valid text; a broken sequence still becomes '?'.
        if (IsValidUtf8(utf8)) return std::string(utf8);
        return Convert("UTF-8", "UTF-8", utf8, "?", SkipUtf8);
    }
    return Convert("UTF-8", name, utf8, "?", SkipUtf8);
}

std::string FromCodePage(std::string_view bytes) {
    const std::string& name = CurrentName();
    if (IsUtf8Name(name) && IsValidUtf8(bytes)) return std::string(bytes);
    return Convert(name, "UTF-8", bytes, "\xEF\xBF\xBD", IsUtf8Name(name) ? SkipUtf8 : SkipOneByte);
}

std::string ToConsole(std::string_view utf8) {
    if (CodePageIsUtf8()) return std::string(utf8);
    return ToCodePage(utf8);
}

std::string NativePath(std::string_view utf8) {
    if (CodePageIsUtf8() || !IsValidUtf8(utf8)) return std::string(utf8);
    std::string bytes = ToCodePage(utf8);
    if (FromCodePage(bytes) != utf8) return std::string(utf8);
    return bytes;
}

std::string PathFromNative(std::string_view bytes) {
    if (CodePageIsUtf8()) return std::string(bytes);
    std::string utf8 = FromCodePage(bytes);
    if (ToCodePage(utf8) != bytes) return std::string(bytes);
    return utf8;
}

}  // namespace torvane
