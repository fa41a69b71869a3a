#include "platform/batch_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/interrupt_cleanup.h"
#include "platform/path_walk.h"

namespace torvane {
namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Syncs a folder held open, so the names made in it last. A file system that
// cannot sync a folder (EINVAL) has nothing to make lasting; a folder this
// process may write but not read is left as it is.
bool SyncFolder(int folder) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

// Gives the temporary file its name without replacing what the name holds.
bool RenameNoReplace(int folder, const std::string& temp, const std::string& target) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(folder, temp.c_str(), folder, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // A second name that fails when the name is taken, then the temporary
    // one removed: the file is whole under one of its names all along.
    if (::linkat(folder, temp.c_str(), folder, target.c_str(), 0) != 0) return false;
    ::unlinkat(folder, temp.c_str(), 0);
    return true;
}

bool SameFolder(int a, int b) {
    struct stat sa;
    struct stat sb;
    return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

FileBatch::~FileBatch() { Discard(); }

bool FileBatch::Add(const std::string& utf8Path, const void* data, size_t size) {
    // The one lookup of the path: the folder is held from here to the rename.
    WalkFailure failure;
    std::optional<WalkedPath> walked = WalkPath(NativePath(utf8Path), failure);
    if (!walked) {
        errno = failure.error;
        return false;
    }
    if (walked->exists() && S_ISDIR(walked->fileStat.st_mode)) {
        errno = EISDIR;
        return false;
    }
    Staged s;
    s.path = walked->name;
    s.folder = ::fcntl(walked->folder.get(), F_DUPFD_CLOEXEC, 0);
    if (s.folder < 0) return false;
    // ".<name>.XXXXXX" tells whose it is; a name too long for that gets a short one.
    s.temp = s.path.size() + 8 <= NAME_MAX ? "." + s.path + ".XXXXXX" : ".tv-XXXXXX";
    s.fd = CreateTempFileAt(s.folder, s.temp, s.registration);
    if (s.fd < 0 && errno == ENAMETOOLONG) {
        s.temp = ".tv-XXXXXX";
        s.fd = CreateTempFileAt(s.folder, s.temp, s.registration);
    }
    if (s.fd < 0) {
        const int error = errno;
        ::close(s.folder);
        errno = error;
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(s.fd, 0666 & ~mask) != 0 || !WriteAll(s.fd, data, size)) {
        const int error = errno;
        ::close(s.fd);
        DiscardTempFileAt(s.registration, s.folder, s.temp);
        ::close(s.folder);
        errno = error;
        return false;
    }
    staged_.push_back(std::move(s));
    return true;
}

bool FileBatch::Commit(bool replace, bool sync, size_t& named) {
    named = 0;
    bool ok = true;
    int error = 0;
    auto failed = [&ok, &error] {
        if (ok) error = errno;
        ok = false;
    };
    if (sync) {
#ifdef __linux__
        // One sync of the file system writes every file of the batch: far
        // cheaper than a sync per file, which waits for the disk each time.
        std::vector<dev_t> synced;
        for (const Staged& s : staged_) {
            struct stat st;
            if (::fstat(s.fd, &st) != 0) {
                failed();
                break;
            }
            if (std::find(synced.begin(), synced.end(), st.st_dev) != synced.end()) continue;
            if (::syncfs(s.fd) != 0) {
                failed();
                break;
            }
            synced.push_back(st.st_dev);
        }
#else
        for (const Staged& s : staged_) {
            if (::fsync(s.fd) != 0) {
                failed();
                break;
            }
        }
#endif
    }
    for (Staged& s : staged_) {
        if (::close(s.fd) != 0) failed();
        s.fd = -1;
    }
    for (Staged& s : staged_) {
        if (!ok) break;
        if (replace) {
            if (!CommitTempFileAt(s.registration, s.folder, s.temp, s.path)) {
                failed();
                break;
            }
        } else {
            if (!RenameNoReplace(s.folder, s.temp, s.path)) {
                failed();
                break;
            }
            ReleaseTempFile(s.registration);
        }
        s.registration = -1;
        ++named;
    }
    // Each folder that took a name, synced once.
    if (sync) {
        for (size_t i = 0; i < named; ++i) {
            const bool seen = std::any_of(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i),
                                          [&](const Staged& e) { return SameFolder(e.folder, staged_[i].folder); });
            if (!seen && !SyncFolder(staged_[i].folder)) failed();
        }
    }
    // What did not take its name goes.
    for (size_t i = 0; i < staged_.size(); ++i) {
        Staged& s = staged_[i];
        if (i >= named) DiscardTempFileAt(s.registration, s.folder, s.temp);
        ::close(s.folder);
    }
    staged_.clear();
    if (!ok) errno = error;
    return ok;
}

void FileBatch::Discard() {
    for (Staged& s : staged_) {
        if (s.fd >= 0) ::close(s.fd);
        DiscardTempFileAt(s.registration, s.folder, s.temp);
        ::close(s.folder);
    }
    staged_.clear();
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const std::string& utf8Path) {
    Close();
    path_ = NativePath(utf8Path);
    // A link another user put in a shared folder is not followed, as no
    // write of this program follows one.
    if (ForeignLinkInSharedFolder(utf8Path)) {
        errno = EACCES;
        return false;
    }
    struct stat st;
    created_ = ::lstat(path_.c_str(), &st) != 0;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        Close();
        errno = EINVAL;
    }
    return fd_ >= 0;
}

uint64_t AppendFile::Length() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return UINT64_MAX;
    return static_cast<uint64_t>(st.st_size);
}

bool AppendFile::CutTo(uint64_t length, bool sync) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) return false;
    return !sync || ::fsync(fd_) == 0;
}

bool AppendFile::Append(const std::string& bytes, bool sync) {
    const uint64_t before = Length();
    if (before == UINT64_MAX) return false;
    if (!WriteAll(fd_, bytes.data(), bytes.size())) {
        // A part of a line would read as a cut record: the file goes back to
        // what it held.
        const int error = errno;
        (void)!::ftruncate(fd_, static_cast<off_t>(before));
        errno = error;
        return false;
    }
    if (!sync) return true;
    if (::fsync(fd_) != 0) return false;
    if (created_) {
        // The new file's name lasts with its folder's sync.
        const size_t slash = path_.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            const bool synced = ::fsync(dir) == 0 || errno == EINVAL;
            ::close(dir);
            if (!synced) return false;
        }
        created_ = false;
    }
    return true;
}

void AppendFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace torvane
