#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/code_page.h"
#include "platform/interrupt_cleanup.h"

namespace torvane {
namespace {

bool StatRegular(const std::string& path, struct stat& st) {
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0;
}

std::optional<uint64_t> FileLength(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    FileStamp stamp;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    return stamp;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool CanOpenReadWrite(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    std::FILE* f = std::fopen(NativePath(path).c_str(), "r+b");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool CanOpenRead(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return false;
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

namespace {

// The one spelling of the file a path names: absolute, with ".", ".." and
// repeated separators resolved and the links of its existing part followed.
std::string NormalPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::path(NativePath(AbsolutePath(path)));
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ec);
    std::string normal = (ec ? absolute : resolved).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return PathFromNative(normal);
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    struct stat sa;
    struct stat sb;
    const bool aExists = ::stat(NativePath(a).c_str(), &sa) == 0;
    const bool bExists = ::stat(NativePath(b).c_str(), &sb) == 0;
    if (aExists && bExists) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (aExists != bExists) return false;
    // Neither exists yet: two spellings of one future file. Made absolute
    // first, so "new.bin" and "./new.bin" resolve the same folder's links.
    return NormalPath(a) == NormalPath(b);
}


std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::string joined = path;
    if (path.front() != '/') {
        // The current folder comes in the locale's code page.
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
        joined = PathFromNative(cwd) + "/" + path;
    }
    std::string normal = std::filesystem::path(joined).lexically_normal().string();
    // "/fw/" names the folder; only the root keeps its separator.
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

namespace {

// Reads until `size` bytes are in or the file ends; the count read, or -1 on an error.
ssize_t ReadUpTo(int fd, uint8_t* into, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, into + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

std::optional<std::vector<uint8_t>> Refuse(ReadFailure reason, ReadFailure* why) {
    if (why) *why = reason;
    return std::nullopt;
}

}  // namespace

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string ResolveAgainst(const std::string& folder, const std::string& path) {
    if (path.empty() || IsAbsolutePath(path)) return AbsolutePath(path);
    return AbsolutePath(folder + "/" + path);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxSize, ReadFailure* why) {
    // Without O_NONBLOCK a pipe would hang the open; a regular file reads the same either way.
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Refuse(ReadFailure::Unreadable, why);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Refuse(ReadFailure::Unreadable, why);
    }
    if (static_cast<uint64_t>(st.st_size) > maxSize) {
        ::close(fd);
        return Refuse(ReadFailure::TooLarge, why);
    }
    std::optional<ReadFailure> failure;
    std::vector<uint8_t> bytes;
    try {
        // One read into a buffer of the file's size; the file may still have
        // changed since its length was taken.
        bytes.resize(static_cast<size_t>(st.st_size));
        const ssize_t got = ReadUpTo(fd, bytes.data(), bytes.size());
        if (got < 0) {
            failure = ReadFailure::Unreadable;
        } else if (static_cast<size_t>(got) < bytes.size()) {
            bytes.resize(static_cast<size_t>(got));
        } else {
            uint8_t more[65536];
            for (;;) {
                const ssize_t extra = ReadUpTo(fd, more, sizeof more);
                if (extra < 0) failure = ReadFailure::Unreadable;
                if (extra <= 0) break;
                if (bytes.size() + static_cast<uint64_t>(extra) > maxSize) {
                    failure = ReadFailure::TooLarge;
                    break;
                }
                bytes.insert(bytes.end(), more, more + extra);
            }
        }
    } catch (const std::bad_alloc&) {
        failure = ReadFailure::NoMemory;
    }
    ::close(fd);
    if (failure) return Refuse(*failure, why);
    return bytes;
}

std::FILE* OpenReadStream(const std::string& path) {
    struct stat st;
    if (!StatRegular(path, st)) return nullptr;
    return std::fopen(NativePath(path).c_str(), "rb");
}

std::optional<std::vector<uint8_t>> ReadFilePrefix(const std::string& path, size_t count) {
    struct stat st;
    if (!StatRegular(path, st)) return std::nullopt;
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<uint8_t> bytes(count, 0);
    const size_t got = count ? std::fread(bytes.data(), 1, count, f) : 0;
    const bool failed = got < count && std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return bytes;
}

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool HasWriteBits(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// Writes a target that is not a regular file (a device, a pipe) in place.
bool WriteInPlace(const std::string& path, const void* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data, size);
    ok = ::close(fd) == 0 && ok;
    return ok;
}

}  // namespace

bool RefusesLinkInFolder(uint32_t linkOwner, uint32_t folderOwner, uint32_t folderMode, uint32_t user) {
    const bool shared = (folderMode & S_ISVTX) != 0 && (folderMode & S_IWOTH) != 0;
    return shared && linkOwner != folderOwner && linkOwner != user;
}

std::optional<std::string> ForeignLinkInSharedFolder(const std::string& utf8Path) {
    if (utf8Path.empty()) return std::nullopt;
    const std::string path = NativePath(utf8Path);
    // The path is walked as the kernel walks it, one name at a time, each
    // link replaced by its target, so a link met anywhere on the way counts.
    std::vector<std::string> pending;
    auto push = [&pending](const std::string& text) {
        std::vector<std::string> names;
        size_t start = 0;
        while (start <= text.size()) {
            const size_t slash = text.find('/', start);
            const size_t end = slash == std::string::npos ? text.size() : slash;
            if (end > start) names.push_back(text.substr(start, end - start));
            if (slash == std::string::npos) break;
            start = slash + 1;
        }
        pending.insert(pending.end(), names.rbegin(), names.rend());
    };
    std::string done;  // the folders resolved so far; empty for the root
    if (path.front() != '/') {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return std::nullopt;
        push(cwd);
        std::vector<std::string> rest;
        rest.swap(pending);
        push(path);
        pending.insert(pending.end(), rest.begin(), rest.end());
    } else {
        push(path);
    }
    int links = 0;
    const uid_t user = ::geteuid();
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            const size_t slash = done.rfind('/');
            done = slash == std::string::npos ? std::string() : done.substr(0, slash);
            continue;
        }
        const std::string next = done + "/" + name;
        struct stat st;
        if (::lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            done = next;
            continue;
        }
        struct stat folder;
        const std::string folderPath = done.empty() ? "/" : done;
        if (::stat(folderPath.c_str(), &folder) == 0 &&
            RefusesLinkInFolder(st.st_uid, folder.st_uid, folder.st_mode, user))
            return PathFromNative(next);
        // Past the kernel's own limit the write fails by itself.
        if (++links > 40) return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(next.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) return std::nullopt;
        target.resize(static_cast<size_t>(n));
        if (target.front() == '/') done.clear();
        push(target);
    }
    return std::nullopt;
}

bool WriteWholeFile(const std::string& utf8Path, const void* data, size_t size) {
    if (utf8Path.empty()) return false;
    if (ForeignLinkInSharedFolder(utf8Path)) {
        errno = EACCES;
        return false;
    }
    const std::string path = NativePath(utf8Path);
    std::string target = path;
    struct stat st;
    bool exists = ::lstat(target.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        // Replace the file the link points to, not the link.
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) != nullptr) {
            target = resolved;
            exists = ::stat(target.c_str(), &st) == 0;
        } else {
            exists = false;
        }
    }
    if (exists && S_ISDIR(st.st_mode)) return false;
    if (exists && !S_ISREG(st.st_mode)) return WriteInPlace(target, data, size);
    if (exists && !HasWriteBits(st.st_mode)) return false;  // read-only, also for root

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    struct stat dirStat;
    if (::stat(folder.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode) || !HasWriteBits(dirStat.st_mode))
        return false;

    // The new content goes to a temporary file beside the target and replaces
    // it only once it is complete, so a failed write leaves the old file as it
    // was. ".<name>.XXXXXX" tells whose it is; a name too long for that (or a
    // file system with shorter names) gets a short one.
    const std::string base = (folder == "/" ? "" : folder) + "/.";
    const std::string shortPattern = base + "tv-XXXXXX";
    const bool longFits = name.size() + 8 <= NAME_MAX;
    std::string temp = longFits ? base + name + ".XXXXXX" : shortPattern;
    int registration = -1;
    int fd = CreateTempFile(temp, registration);
    if (fd < 0 && errno == ENAMETOOLONG && longFits) {
        temp = shortPattern;
        fd = CreateTempFile(temp, registration);
    }
    if (fd < 0) return false;
    mode_t mode;
    if (exists) {
        // The owner and group first: a change of owner clears the set-user
        // and set-group bits, which the mode then puts back. Another user's
        // file keeps its owner where this process may give it away (root),
        // else at least its group where the user belongs to it.
        struct stat made;
        if (::fstat(fd, &made) == 0 && (made.st_uid != st.st_uid || made.st_gid != st.st_gid)) {
            if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    ok = ok && WriteAll(fd, data, size);
    // On disk before it takes the old file's place: after a power cut the
    // folder then names the old file or the complete new one.
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && CommitTempFile(registration, temp, target);
    if (!ok) {
        DiscardTempFile(registration, temp);
        return false;
    }
    // The rename itself is made lasting by the folder's own sync. A file
    // system that cannot sync a folder (EINVAL) has nothing to make lasting;
    // a folder this process may write but not read is left as it is.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        const bool synced = ::fsync(dirFd) == 0 || errno == EINVAL;
        ::close(dirFd);
        if (!synced) return false;
    }
    return true;
}


}  // namespace torvane
