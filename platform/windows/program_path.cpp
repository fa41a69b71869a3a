#include "platform/program_path.h"

#include <windows.h>

#include "platform/windows/wide.h"

namespace torvane {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

}  // namespace

std::string ProgramPath() {
    static const std::string path = [] {
        // The buffer grows until the whole path fits (paths may pass MAX_PATH).
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) return std::string();
            if (n < buffer.size()) {
                buffer.resize(n);
                break;
            }
            if (buffer.size() >= 32768) return std::string();
            buffer.resize(buffer.size() * 2);
        }
        std::string utf8 = windows::Narrow(buffer);
        // A long path comes back in its "\\?\" form; the program shows the usual one.
        if (utf8.starts_with("\\\\?\\UNC\\")) utf8 = "\\\\" + utf8.substr(8);
        else if (utf8.starts_with("\\\\?\\")) utf8 = utf8.substr(4);
        return utf8;
    }();
    return path;
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    const size_t separator = LastSeparator(path);
    if (separator == std::string::npos) return ".";
    // "C:\torvane.exe" lies in the root, which keeps its separator.
    if (separator == 2 && path[1] == ':') return path.substr(0, 3);
    if (separator == 0 && IsSeparator(path[0])) return path.substr(0, 1);
    return path.substr(0, separator);
}

std::string FileNamePart(const std::string& path) {
    const size_t separator = LastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string ApplicationName() {
    std::string name = FileNamePart(ProgramPath());
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? std::string("torvane") : name;
}

}  // namespace torvane
