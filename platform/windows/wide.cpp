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

std::string ErrorText(unsigned long code) {
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
