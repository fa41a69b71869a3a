#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// Many new files made lasting together: each is written to a temporary file
// beside its name (removed when a signal ends the program, see
// InstallInterruptCleanup), then Commit syncs them all at once and only then
// gives each its name. A name therefore never holds a file that is not whole
// on disk, after a failure, an interruption or a power cut alike, while a
// thousand small files cost one sync rather than a thousand.
class FileBatch {
public:
    FileBatch() = default;
    ~FileBatch();  // discards what was not committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes `size` bytes for the file `path` under a temporary name in its
    // folder, with the mode a new file gets (0666 less the umask). False,
    // with errno set, when it cannot; nothing then stays behind.
    bool Add(const std::string& path, const void* data, size_t size);
    // Files added and not yet committed or discarded.
    size_t size() const { return staged_.size(); }

    // With `sync`, syncs every added file (one sync of each file system where
    // the system has one, else one per file); then renames each onto its
    // name in the order added, and with `sync` syncs their folders. Without
    // `replace` a name that holds anything is left alone and the commit
    // fails there (EEXIST). False, with errno set, when a step failed:
    // `named` tells how many of the files took their names (those stay), and
    // the others are removed. The batch is empty afterwards.
    bool Commit(bool replace, bool sync, size_t& named);
    // Removes every added file; the batch is empty afterwards.
    void Discard();

    struct Staged {
        std::string path;  // the name it is to take (Windows: the whole path)
        std::string temp;  // where it is now (POSIX: a name in `folder`)
        int fd = -1;       // open until the commit, for its sync
        int folder = -1;   // POSIX: its folder, held open from the one lookup of its path
        int registration = -1;
    };

private:
    std::vector<Staged> staged_;
};

// A file that grows only at its end, a record of lines: what is appended is
// written whole or not at all (a short write, on a full disk, is cut back).
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens the file for appending, creating it when it is missing. False,
    // with errno set, when it cannot.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Its length in bytes, or UINT64_MAX when it cannot be had.
    uint64_t Length() const;
    // Cuts the file to `length` bytes (dropping a line an earlier append
    // left cut short). With `sync`, made lasting before it returns.
    bool CutTo(uint64_t length, bool sync);
    // Appends the bytes; with `sync` they (and a new file's name) are on
    // disk before it returns. False, with errno set and the file as it was,
    // when they could not be written.
    bool Append(const std::string& bytes, bool sync);
    void Close();

private:
    int fd_ = -1;
    bool created_ = false;  // its name still needs its folder's sync
    std::string path_;
};

}  // namespace torvane
