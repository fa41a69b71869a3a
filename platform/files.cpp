#include "platform/files.h"

#include <atomic>
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
#include "platform/path_walk.h"
#include "platform/piece_buffer.h"

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

std::atomic<bool> g_durableWrites{true};

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

// Hands `produce` a sink that gathers its pieces for the descriptor. True
// when it returned true and every byte went out; errno says why not.
bool Produce(int fd, const std::function<bool(const ByteSink&)>& produce) {
    PieceBuffer buffer([fd](const uint8_t* data, size_t size) { return WriteAll(fd, data, size); });
    const ByteSink sink = [&buffer](const void* data, size_t size) { return buffer.Put(data, size); };
    const bool finished = produce(sink);
    const bool flushed = buffer.Flush();
    if (!finished && flushed) errno = ECANCELED;
    return finished && flushed;
}

// Opens for writing the very object the walk found: through the process's
// own link to its handle, else (no /proc) by its name in the held folder,
// never through a link, and only when it is still that object.
UniqueFd OpenFoundForWriting(const WalkedPath& target) {
    constexpr int kFlags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    const std::string own = "/proc/self/fd/" + std::to_string(target.file.get());
    UniqueFd fd(::open(own.c_str(), kFlags));
    if (!fd.valid() && errno == ENOENT)
        fd = UniqueFd(::openat(target.folder.get(), target.name.c_str(), kFlags | O_NOFOLLOW));
    return fd;
}

// Writes a target that is not a regular file (a device, a pipe) in place.
bool WriteInPlace(const WalkedPath& target, const std::function<bool(const ByteSink&)>& produce) {
    UniqueFd fd = OpenFoundForWriting(target);
    if (!fd.valid()) return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return false;
    if (st.st_dev != target.fileStat.st_dev || st.st_ino != target.fileStat.st_ino) {
        errno = EAGAIN;  // the name changed since it was walked
        return false;
    }
    if (!Produce(fd.get(), produce)) {
        const int error = errno;
        fd.Reset();
        errno = error;
        return false;
    }
    return fd.Close();
}

// The name of a temporary file beside `name`: ".<name>.XXXXXX" tells whose it
// is; a name too long for that gets a short one.
std::string TempPattern(const std::string& name, bool shortForm) {
    return shortForm || name.size() + 8 > NAME_MAX ? ".tv-XXXXXX" : "." + name + ".XXXXXX";
}

// The new content goes to a temporary file beside the target and replaces it
// only once it is complete, so a failed write leaves the old file as it was.
bool ReplaceThroughTempFile(const WalkedPath& target, const std::function<bool(const ByteSink&)>& produce) {
    const int folder = target.folder.get();
    struct stat folderStat;
    if (::fstat(folder, &folderStat) != 0) return false;
    if (!HasWriteBits(folderStat.st_mode)) {  // also for root
        errno = EACCES;
        return false;
    }
    std::string temp = TempPattern(target.name, false);
    int registration = -1;
    UniqueFd fd(CreateTempFileAt(folder, temp, registration));
    // A file system with names shorter than NAME_MAX.
    if (!fd.valid() && errno == ENAMETOOLONG && temp != TempPattern(target.name, true)) {
        temp = TempPattern(target.name, true);
        fd = UniqueFd(CreateTempFileAt(folder, temp, registration));
    }
    if (!fd.valid()) return false;
    mode_t mode;
    if (target.exists()) {
        const struct stat& old = target.fileStat;
        // The owner and group first: a change of owner clears the set-user
        // and set-group bits, which the mode then puts back. Another user's
        // file keeps its owner where this process may give it away (root),
        // else at least its group where the user belongs to it.
        struct stat made;
        if (::fstat(fd.get(), &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid)) {
            if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
                (void)!::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid);
        }
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool durable = DurableWrites();
    bool ok = ::fchmod(fd.get(), mode) == 0;
    try {
        ok = ok && Produce(fd.get(), produce);
    } catch (...) {
        fd.Reset();
        DiscardTempFileAt(registration, folder, temp);
        throw;
    }
    // On disk before it takes the old file's place: after a power cut the
    // folder then names the old file or the complete new one.
    ok = ok && (!durable || ::fsync(fd.get()) == 0);
    ok = fd.Close() && ok;
    // The rename replaces whatever the name holds now, in the held folder:
    // a link put there meanwhile is replaced itself, never followed.
    ok = ok && CommitTempFileAt(registration, folder, temp, target.name);
    if (!ok) {
        DiscardTempFileAt(registration, folder, temp);
        return false;
    }
    if (!durable) return true;
    // The rename itself is made lasting by the folder's own sync. A file
    // system that cannot sync a folder (EINVAL) has nothing to make lasting;
    // a folder this process may write but not read is left as it is.
    UniqueFd readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return !readable.valid() || ::fsync(readable.get()) == 0 || errno == EINVAL;
}

}  // namespace

void SetDurableWrites(bool durable) { g_durableWrites.store(durable, std::memory_order_relaxed); }

bool DurableWrites() { return g_durableWrites.load(std::memory_order_relaxed); }

bool EndsInSeparator(const std::string& path) { return !path.empty() && path.back() == '/'; }

bool RefusesLinkInFolder(uint32_t linkOwner, uint32_t folderOwner, uint32_t folderMode, uint32_t user) {
    const bool shared = (folderMode & S_ISVTX) != 0 && (folderMode & S_IWOTH) != 0;
    return shared && linkOwner != folderOwner && linkOwner != user;
}

std::optional<std::string> ForeignLinkInSharedFolder(const std::string& path) {
    WalkFailure failure;
    if (WalkPath(NativePath(path), failure) || failure.foreignLink.empty()) return std::nullopt;
    return PathFromNative(failure.foreignLink);
}

bool WriteFileInPieces(const std::string& path, const std::function<bool(const ByteSink&)>& produce) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    WalkFailure failure;
    const std::optional<WalkedPath> target = WalkPath(NativePath(path), failure);
    if (!target) {
        errno = failure.error;
        return false;
    }
    if (target->exists()) {
        const mode_t mode = target->fileStat.st_mode;
        if (S_ISDIR(mode)) {
            errno = EISDIR;
            return false;
        }
        if (!S_ISREG(mode)) return WriteInPlace(*target, produce);
        if (!HasWriteBits(mode)) {  // read-only, also for root
            errno = EACCES;
            return false;
        }
    }
    return ReplaceThroughTempFile(*target, produce);
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
    return WriteFileInPieces(path, [data, size](const ByteSink& sink) { return sink(data, size); });
}

}  // namespace torvane
