#pragma once

// POSIX only: the one lookup of a path that a write or a change in place
// makes, with the folder it leads to held open, so that every later step
// (the checks, the temporary file, the rename, the opening of the file
// itself) works relative to that folder and never looks a name up again.

#include <optional>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace torvane {

// A file descriptor closed when it goes out of scope.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_ = -1;
};

// Where a path led when it was walked.
struct WalkedPath {
    UniqueFd folder;   // the folder that holds the last name, held open (O_PATH)
    std::string name;  // the last name in that folder: never empty, "." or ".."
    // What the name held when it was walked, not followed (O_PATH): a file,
    // a folder, a device or a pipe; invalid when the name held nothing.
    UniqueFd file;
    struct stat fileStat {};  // of `file`
    bool exists() const { return file.valid(); }
};

// Why a walk stopped.
struct WalkFailure {
    int error = 0;            // an errno value: EACCES for a refused link
    std::string foreignLink;  // the refused link as the walk spelled it (native path), else empty
};

// Walks a native path as the kernel does, one name at a time, each folder
// opened relative to the one before with O_NOFOLLOW, each link read through
// the handle that found it and its target walked in turn. A link in a sticky
// folder every user may write that neither that folder's owner nor this user
// owns is not followed (EACCES, see RefusesLinkInFolder), wherever on the path
// it stands. A last name that is a link is followed too; a missing last name
// is a file yet to be made. A last link of /proc/<pid>/fd to an open pipe or
// socket (/dev/stdout of a program whose output is piped) leads to that
// object: `file` then holds it, while `name` is still the link. Refused: a path ending in a separator, ".", ".."
// or the root as the last name (EISDIR), a folder of the path missing or not
// a folder (ENOENT, ENOTDIR), more than 40 links (ELOOP).
std::optional<WalkedPath> WalkPath(const std::string& nativePath, WalkFailure& failure);

}  // namespace torvane
