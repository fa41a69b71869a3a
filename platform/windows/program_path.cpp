#include "platform/program_path.h"

#include <windows.h>

#include <shlobj.h>

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

namespace {

// Whether a new file can be made in the folder: a file is made there and goes
// again when its handle closes. Windows has no permission bits to read off,
// and "Program Files" refuses users this way.
bool CanCreateIn(const std::string& folder) {
    if (folder.empty()) return false;
    const std::wstring probe = windows::SystemPath(folder + "\\.torvane-write-probe");
    const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = windows::Narrow(path);
    ::CoTaskMemFree(path);
    return result;
}

}  // namespace

std::string ChooseFilesFolder(const std::string& programFolder, const std::string& home, const std::string&) {
    // The program's folder when a portable copy may write there; otherwise the
    // user's documents, then the profile folder.
    if (CanCreateIn(programFolder)) return programFolder;
    const std::string documents = KnownFolder(FOLDERID_Documents);
    if (CanCreateIn(documents)) return documents;
    if (CanCreateIn(home)) return home;
    return programFolder;
}

std::string DefaultFilesFolder() {
    static const std::string folder = [] {
        const std::string profile = KnownFolder(FOLDERID_Profile);
        return ChooseFilesFolder(ProgramFolder(), profile, std::string());
    }();
    return folder;
}

std::string FileNamePart(const std::string& path) {
    const size_t separator = LastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace torvane
