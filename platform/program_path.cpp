#include "platform/program_path.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/files.h"

namespace torvane {
namespace {

// A real user-dirs.dirs is well under 1 KiB; anything far larger is not one.
constexpr uint64_t kMaxUserDirsSize = 64 * 1024;

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == kPathSeparator; }

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    return path;
}

bool InGroup(gid_t gid) {
    if (gid == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<size_t>(i)] == gid) return true;
    }
    return false;
}

// Only absolute folders count: a relative one would move with the current folder.
bool IsWritableFolder(const std::string& path) {
    if (!IsAbsolute(path)) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return false;
    // access() lets root write anywhere; the bit of the user's own class is
    // what a folder made read-only takes away from everybody.
    mode_t bit = S_IWOTH;
    if (st.st_uid == ::geteuid()) {
        bit = S_IWUSR;
    } else if (InGroup(st.st_gid)) {
        bit = S_IWGRP;
    }
    return (st.st_mode & bit) != 0;
}

std::optional<std::string> ReadUserDirs(const std::string& path) {
    const std::optional<uint64_t> length = FileLength(path);
    if (!length || *length == 0 || *length > kMaxUserDirsSize) return std::nullopt;
    const std::optional<std::vector<uint8_t>> bytes = ReadFilePrefix(path, static_cast<size_t>(*length));
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::string_view SkipBlanks(std::string_view text) {
    const size_t start = text.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// The folder one line names for XDG_DOCUMENTS_DIR, or nothing.
std::optional<std::string> DocumentsFolderFromLine(std::string_view line, const std::string& home) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
    constexpr std::string_view kHome = "$HOME";
    line = SkipBlanks(line);
    if (line.substr(0, kKey.size()) != kKey) return std::nullopt;
    line = SkipBlanks(line.substr(kKey.size()));
    if (line.empty() || line[0] != '=') return std::nullopt;
    line = SkipBlanks(line.substr(1));
    if (line.empty() || line[0] != '"') return std::nullopt;
    line.remove_prefix(1);

    std::string path;
    if (line.substr(0, kHome.size()) == kHome && line.size() > kHome.size() &&
        (line[kHome.size()] == kPathSeparator || line[kHome.size()] == '"')) {
        if (!IsAbsolute(home)) return std::nullopt;
        path = home;
        line.remove_prefix(kHome.size());
    } else if (line.empty() || line[0] != kPathSeparator) {
        return std::nullopt;  // relative paths are not allowed in this file
    }
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            c = line[++i];
        } else if (c == '"') {
            if (path.find('\0') != std::string::npos) return std::nullopt;
            return WithoutTrailingSeparators(path);
        }
        path += c;
    }
    return std::nullopt;  // no closing quote: a cut or broken line
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return std::string();
}

}  // namespace

std::string ProgramPath() {
    static const std::string path = [] {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }();
    return path;
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::optional<std::string> DocumentsFolderFromUserDirs(std::string_view text, const std::string& home) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (std::optional<std::string> folder = DocumentsFolderFromLine(line, home)) found = std::move(folder);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return found;
}

std::string ChooseFilesFolder(const std::string& programFolder, const std::string& home,
                              const std::string& configHome) {
    if (IsWritableFolder(programFolder)) return programFolder;
    const std::string config = IsAbsolute(configHome) ? configHome
                               : IsAbsolute(home)     ? home + kPathSeparator + ".config"
                                                      : std::string();
    if (!config.empty()) {
        if (const std::optional<std::string> text = ReadUserDirs(config + kPathSeparator + "user-dirs.dirs")) {
            const std::optional<std::string> documents = DocumentsFolderFromUserDirs(*text, home);
            if (documents && IsWritableFolder(*documents)) return *documents;
        }
    }
    if (IsWritableFolder(home)) return WithoutTrailingSeparators(home);
    return programFolder;
}

std::string DefaultFilesFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    return ChooseFilesFolder(ProgramFolder(), HomeFolder(), configHome != nullptr ? configHome : "");
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace torvane
