#pragma once

#include <string>
#include <string_view>

namespace torvane {

// The system's multibyte code page. Inside the program all text is UTF-8; the
// code page appears only where bytes meet the disk (the log file, the INI file)
// and in the rules that look at a file name's bytes (the "hex" test, the "BIN"
// renaming). On POSIX it is the character set of the locale named by the
// environment (LC_ALL, LC_CTYPE, LANG); the "C" and "POSIX" locales count as UTF-8.
// On Windows it is the system's ANSI code page (GetACP).

// Converts UTF-8 text to the code page. Characters the code page cannot
// represent become its default character '?'. Invalid UTF-8 input bytes are
// also written as '?'.
std::string ToCodePage(std::string_view utf8);

// Converts code-page bytes to UTF-8. Bytes that are not valid in the code page
// become U+FFFD.
std::string FromCodePage(std::string_view bytes);

// The iconv name of the code page in use ("UTF-8", "GBK", ...).
std::string CodePageName();

// True when the code page is UTF-8, so that both conversions keep valid text as is.
bool CodePageIsUtf8();

// Sets the code page by its iconv name; an empty name returns to the locale's.
// Returns false, and changes nothing, when the name is unknown to iconv. On
// Windows the same names are taken ("GBK" is 936, "UTF-8" 65001), and also
// "CPnnnn" and "windows-nnnn" for code page nnnn.
bool SetCodePage(const std::string& iconvName);

// Text for the console (standard output and error): on POSIX in the code page
// of the locale, as the terminal shows it; on Windows UTF-8, which the console
// is switched to.
std::string ToConsole(std::string_view utf8);

#ifndef _WIN32
// A UTF-8 path as the system's file functions take it: the bytes of the
// locale's code page (the same bytes in a UTF-8 locale). Text that is not
// UTF-8, or that the code page cannot represent, passes as it is, so a name
// taken as raw bytes still opens.
std::string NativePath(std::string_view utf8);
// A path or argument from the system in UTF-8: the other way; bytes the code
// page does not read back alike pass as they are.
std::string PathFromNative(std::string_view bytes);
#endif

}  // namespace torvane
