#include "platform/windows/wide.h"

#include <windows.h>

#include <climits>

namespace torvane::windows {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return std::wstring();
    const int length = static_cast<int>(utf8.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), units);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return std::string();
    const int length = static_cast<int>(utf16.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring SystemPath(const std::string& utf8Path) {
    std::wstring path = Widen(utf8Path);
    // Below this length every function takes the path as it is (folders are
    // created only up to MAX_PATH - 12). A path that already has a "\\?\" or
    // "\\.\" prefix is left alone.
    constexpr size_t kClassicLimit = MAX_PATH - 12;
    if (path.size() < kClassicLimit || path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

namespace {

// The failures a file operation meets every day, in the words the C library
// gives them on every other system: the reasons read alike whatever language
// Windows itself speaks, and the window's reason table knows every one.
const char* CommonErrorText(unsigned long code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
        case ERROR_NETWORK_ACCESS_DENIED:
            return "Permission denied";
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return "No space left on device";
        case ERROR_WRITE_PROTECT:
            return "Read-only file system";
        case ERROR_DIRECTORY:
            return "Not a directory";
        case ERROR_FILENAME_EXCED_RANGE:
            return "File name too long";
        case ERROR_FILE_TOO_LARGE:
            return "File too large";
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
            return "Input/output error";
        case ERROR_CANT_RESOLVE_FILENAME:
            return "Too many levels of symbolic links";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_BUSY:
            return "Device or resource busy";
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return "Invalid argument";
        case ERROR_OPERATION_ABORTED:
            return "Operation canceled";
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return "File exists";
        default:
            return nullptr;
    }
}

}  // namespace

std::string ErrorText(unsigned long code) {
    if (const char* common = CommonErrorText(code)) return common;
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer ? Narrow(std::wstring_view(buffer, length)) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (text.empty()) text = "error " + std::to_string(code);
    return text;
}

}  // namespace torvane::windows
