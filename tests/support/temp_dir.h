#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace torvane::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of `name` inside the folder.
    // A '/' in `name` is the system's separator.
    std::string File(const std::string& name) const {
        std::string path = path_ + kSeparator + name;
        for (size_t i = path_.size(); i < path.size(); ++i)
            if (path[i] == '/') path[i] = kSeparator;
        return path;
    }
    // Writes a file inside the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

#ifdef _WIN32
    static constexpr char kSeparator = '\\';
#else
    static constexpr char kSeparator = '/';
#endif

private:
    std::string path_;
};

// A UTF-8 path as a filesystem path, and back. (A plain std::string would be
// taken in the ANSI code page on Windows.)
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

// What was written to a temporary stream, read back from its start; the stream
// is closed.
std::string DrainStream(std::FILE* stream);

// The whole content of a file ("" when it cannot be read).
std::string ReadText(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// A target that takes no byte: /dev/full on POSIX. Windows has no such
// device; there it is a name the file system refuses.
#ifdef _WIN32
inline constexpr const char* kFullDevice = "C:\\full|device";
#else
inline constexpr const char* kFullDevice = "/dev/full";
#endif

// The system's text for a few conditions the tests provoke, as the failure
// reasons quote it (strerror on POSIX, the system's message on Windows).
enum class SystemError { NoSuchFile, NoSuchFolder, NoSpace };
std::string SystemText(SystemError error);

// Test set-up that each system does its own way.
// Takes away write access: the mode's write bits on POSIX, the read-only
// attribute on Windows.
bool MakeReadOnly(const std::string& path);
// Creates a folder.
bool MakeFolder(const std::string& path);
// Sets a file's length, extending it with a hole where the system allows.
bool SetFileLength(const std::string& path, uint64_t length);

#ifdef _WIN32
// Holds a file open without sharing it, as an editor or a flashing tool
// with the file open does: no other opening, renaming or replacing of it
// succeeds while the hold lasts.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::string& path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    bool held() const;

private:
    void* handle_;
};
#endif

}  // namespace torvane::test
