#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/windows/wide.h"
#else
#include <cerrno>
#include <cstring>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace torvane::test {

std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
#ifdef _WIN32
    // No mkdtemp: a random name, taken only when the folder could be created.
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
        if (attempt == 100) std::abort();
        char name[32];
        std::snprintf(name, sizeof name, "torvane-test-%08x", static_cast<unsigned>(random()));
        std::error_code ec;
        if (!std::filesystem::create_directory(base / name, ec)) continue;
        // The long form, so paths match what the program's own functions give.
        path_ = Utf8Path(std::filesystem::canonical(base / name));
        break;
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "torvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
    // Files a test made read-only still go: the folder is ours.
    std::filesystem::permissions(FsPath(path_), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
#ifdef _WIN32
    // Read-only files block their removal on Windows.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FsPath(path_), ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
#endif
    std::filesystem::remove_all(FsPath(path_), ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string p = File(name);
    std::ofstream(FsPath(p), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::string ReadText(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string s = ReadText(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

bool Exists(const std::string& path) { return std::filesystem::exists(FsPath(path)); }

bool MakeReadOnly(const std::string& path) {
    std::error_code ec;
    std::filesystem::permissions(FsPath(path),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove, ec);
    return !ec;
}

bool MakeFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::create_directory(FsPath(path), ec);
}

bool SetFileLength(const std::string& path, uint64_t length) {
    std::error_code ec;
    if (!std::filesystem::exists(FsPath(path), ec)) std::ofstream(FsPath(path), std::ios::binary);
    std::filesystem::resize_file(FsPath(path), length, ec);
    return !ec;
}

#ifdef _WIN32
ExclusiveHold::ExclusiveHold(const std::string& path)
    : handle_(::CreateFileW(FsPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)) {}

ExclusiveHold::~ExclusiveHold() {
    if (held()) ::CloseHandle(handle_);
}

bool ExclusiveHold::held() const { return handle_ != INVALID_HANDLE_VALUE; }
#endif

std::string SystemText(SystemError error) {
#ifdef _WIN32
    switch (error) {
        case SystemError::NoSuchFile: return windows::ErrorText(ERROR_FILE_NOT_FOUND);
        case SystemError::NoSuchFolder: return windows::ErrorText(ERROR_PATH_NOT_FOUND);
        case SystemError::NoSpace: return windows::ErrorText(ERROR_DISK_FULL);
    }
    return std::string();
#else
    // POSIX says "no such file or directory" for a missing folder too.
    return std::strerror(error == SystemError::NoSpace ? ENOSPC : ENOENT);
#endif
}

std::string DrainStream(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, n);
    std::fclose(stream);
    return text;
}

}  // namespace torvane::test
