#include "platform/code_page.h"
#include "platform/utf8.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace torvane {
namespace {

// The code page in use: the system's ANSI code page (GetACP) unless a test
// set one by name.
struct CodePageState {
    UINT codePage = 0;
    bool explicitlySet = false;
};

CodePageState& State() {
    static CodePageState state;
    return state;
}

UINT Current() {
    const CodePageState& s = State();
    return s.explicitlySet ? s.codePage : ::GetACP();
}

// The names the rest of the program and its tests use, as iconv spells them,
// and the code page numbers they stand for. Any "CPnnnn", "WINDOWS-nnnn" or
// plain number names code page nnnn.
struct NamedCodePage {
    const char* name;
    UINT codePage;
};

constexpr NamedCodePage kNames[] = {
    {"UTF-8", CP_UTF8},     {"UTF8", CP_UTF8},          {"GBK", 936},         {"GB2312", 936},
    {"CP936", 936},         {"GB18030", 54936},         {"BIG5", 950},        {"SHIFT_JIS", 932},
    {"SJIS", 932},          {"EUC-KR", 949},            {"ISO-8859-1", 28591}, {"LATIN1", 28591},
    {"ASCII", 20127},       {"US-ASCII", 20127},        {"KOI8-R", 20866},
};

bool SameAscii(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == '\0';
}

// The number of a code page name, or 0.
UINT CodePageOf(const std::string& name) {
    for (const NamedCodePage& entry : kNames)
        if (SameAscii(name, entry.name)) return entry.codePage;
    std::string digits = name;
    for (const char* prefix : {"CP", "WINDOWS-", "IBM"}) {
        const size_t length = std::char_traits<char>::length(prefix);
        if (digits.size() > length && SameAscii(digits.substr(0, length), prefix)) {
            digits = digits.substr(length);
            break;
        }
    }
    if (digits.empty() || digits.size() > 5) return 0;
    UINT number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<UINT>(c - '0');
    }
    return number;
}

// The bytes of the character that starts at `p`: for UTF-8 its sequence, cut
// at the first byte that does not belong to it (so a broken sequence loses
// only its own bytes); for a double-byte code page a lead byte and the next.
size_t CharacterLength(UINT codePage, const char* p, size_t left) {
    if (codePage == CP_UTF8) {
        size_t length = Utf8SequenceLength(static_cast<unsigned char>(p[0]));
        if (length > left) length = left;
        for (size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(p[i]) & 0xC0) != 0x80) return i;
        return length;
    }
    if (left >= 2 && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(p[0]))) return 2;
    return 1;
}

// Code-page bytes as UTF-16, strictly: nothing when a byte is not valid.
bool ToWideStrict(UINT codePage, std::string_view bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    const int length = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (units <= 0) return false;
    out.resize(static_cast<size_t>(units));
    return ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, out.data(), units) == units;
}

// Code-page bytes as UTF-16; a character that is not valid becomes
// `replacement`, one for each broken character.
std::wstring ToWide(UINT codePage, std::string_view bytes, wchar_t replacement) {
    std::wstring out;
    if (ToWideStrict(codePage, bytes, out)) return out;
    out.clear();
    std::wstring piece;
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t length = CharacterLength(codePage, bytes.data() + i, bytes.size() - i);
        if (ToWideStrict(codePage, bytes.substr(i, length), piece)) {
            out += piece;
            i += length;
            continue;
        }
        out += replacement;
        // A double-byte lead whose partner is no trail byte loses only itself:
        // the partner (a line end, say) is read again as a character of its own.
        i += codePage == CP_UTF8 ? length : 1;
    }
    return out;
}

// UTF-16 as code-page bytes; a character the code page cannot represent
// becomes its default character '?'.
std::string FromWide(UINT codePage, std::wstring wide) {
    if (wide.empty() || wide.size() > INT_MAX) return std::string();
    if (codePage != CP_UTF8 && codePage != 54936) {
        // A character beyond U+FFFF is one '?', not one for each of its two
        // UTF-16 units: only UTF-8 and GB18030 have such characters.
        size_t to = 0;
        for (size_t from = 0; from < wide.size(); ++from, ++to) {
            const bool pair = wide[from] >= 0xD800 && wide[from] <= 0xDBFF && from + 1 < wide.size() &&
                              wide[from + 1] >= 0xDC00 && wide[from + 1] <= 0xDFFF;
            wide[to] = pair ? L'?' : wide[from];
            if (pair) ++from;
        }
        wide.resize(to);
    }
    const int length = static_cast<int>(wide.size());
    // Some code pages (UTF-8, GB18030 ...) take no default character; they
    // need none, as they represent every character. For the others the
    // default is a string, read as far as a double-byte character reaches.
    // No "best fit" either: it would write a fullwidth letter or slash as
    // its ASCII look-alike, another name than the one meant.
    const char defaultChar[] = "?";
    const char* useDefault = defaultChar;
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int bytes = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, useDefault, nullptr);
    if (bytes <= 0 && (::GetLastError() == ERROR_INVALID_PARAMETER || ::GetLastError() == ERROR_INVALID_FLAGS)) {
        useDefault = nullptr;
        flags = 0;
        bytes = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), bytes, useDefault, nullptr);
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::wstring ignored;
    return ToWideStrict(CP_UTF8, text, ignored);
}

}  // namespace

std::string CodePageName() {
    const UINT codePage = Current();
    if (codePage == CP_UTF8) return "UTF-8";
    if (codePage == 936) return "GBK";
    return "CP" + std::to_string(codePage);
}

bool CodePageIsUtf8() { return Current() == CP_UTF8; }

bool SetCodePage(const std::string& iconvName) {
    CodePageState& s = State();
    if (iconvName.empty()) {
        s.explicitlySet = false;
        s.codePage = 0;
        return true;
    }
    const UINT codePage = CodePageOf(iconvName);
    if (codePage == 0 || !::IsValidCodePage(codePage)) return false;
    s.codePage = codePage;
    s.explicitlySet = true;
    return true;
}

std::string ToCodePage(std::string_view utf8) {
    const UINT codePage = Current();
    // Identity for valid text; a broken sequence still becomes '?'.
    if (codePage == CP_UTF8 && IsValidUtf8(utf8)) return std::string(utf8);
    return FromWide(codePage, ToWide(CP_UTF8, utf8, L'?'));
}

std::string FromCodePage(std::string_view bytes) {
    const UINT codePage = Current();
    if (codePage == CP_UTF8 && IsValidUtf8(bytes)) return std::string(bytes);
    return FromWide(CP_UTF8, ToWide(codePage, bytes, L'\xFFFD'));
}

std::string ToConsole(std::string_view utf8) { return std::string(utf8); }

}  // namespace torvane
