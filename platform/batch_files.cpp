#include "platform/batch_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/code_page.h"
#include "platform/interrupt_cleanup.h"

namespace torvane {
namespace {

std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

// Syncs a folder, so the names made in it last. A file system that cannot
// sync a folder (EINVAL) has nothing to make lasting; a folder this process
// may write but not read is left as it is.
bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

// Gives the temporary file its name without replacing what the name holds.
bool RenameNoReplace(const std::string& temp, const std::string& target) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // A second name that fails when the name is taken, then the temporary
    // one removed: the file is whole under one of its names all along.
    if (::link(temp.c_str(), target.c_str()) != 0) return false;
    ::unlink(temp.c_str());
    return true;
}

}  // namespace

FileBatch::~FileBatch() { Discard(); }

bool FileBatch::Add(const std::string& utf8Path, const void* data, size_t size) {
    const std::string path = NativePath(utf8Path);
    const std::string folder = FolderPart(path);
    const std::string name = NamePart(path);
    // ".<name>.XXXXXX" tells whose it is; a name too long for that gets a short one.
    const std::string base = (folder == "/" ? "" : folder) + "/.";
    Staged s;
    s.path = path;
    s.temp = name.size() + 8 <= NAME_MAX ? base + name + ".XXXXXX" : base + "tv-XXXXXX";
    s.fd = CreateTempFile(s.temp, s.registration);
    if (s.fd < 0 && errno == ENAMETOOLONG) {
        s.temp = base + "tv-XXXXXX";
        s.fd = CreateTempFile(s.temp, s.registration);
    }
    if (s.fd < 0) return false;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(s.fd, 0666 & ~mask) != 0 || !WriteAll(s.fd, data, size)) {
        const int error = errno;
        ::close(s.fd);
        DiscardTempFile(s.registration, s.temp);
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
    std::vector<std::string> folders;
    for (const Staged& s : staged_) {
        const std::string folder = FolderPart(s.path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    if (sync) {
#ifdef __linux__
        // One sync of the file system writes every file of the batch: far
        // cheaper than a sync per file, which waits for the disk each time.
        std::vector<dev_t> synced;
        for (const Staged& s : staged_) {
            struct stat st;
            if (::fstat(s.fd, &st) != 0) {
                ok = false;
                error = errno;
                break;
            }
            if (std::find(synced.begin(), synced.end(), st.st_dev) != synced.end()) continue;
            if (::syncfs(s.fd) != 0) {
                ok = false;
                error = errno;
                break;
            }
            synced.push_back(st.st_dev);
        }
#else
        for (const Staged& s : staged_) {
            if (::fsync(s.fd) != 0) {
                ok = false;
                error = errno;
                break;
            }
        }
#endif
    }
    for (Staged& s : staged_) {
        if (::close(s.fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        s.fd = -1;
    }
    for (Staged& s : staged_) {
        if (!ok) break;
        const bool renamed = replace ? CommitTempFile(s.registration, s.temp, s.path) : RenameNoReplace(s.temp, s.path);
        if (!renamed) {
            ok = false;
            error = errno;
            break;
        }
        if (!replace) ReleaseTempFile(s.registration);
        s.registration = -1;
        ++named;
    }
    if (sync && named > 0) {
        for (const std::string& folder : folders) {
            if (!SyncFolder(folder) && ok) {
                ok = false;
                error = errno;
            }
        }
    }
    // What did not take its name goes.
    for (size_t i = named; i < staged_.size(); ++i) DiscardTempFile(staged_[i].registration, staged_[i].temp);
    staged_.clear();
    if (!ok) errno = error;
    return ok;
}

void FileBatch::Discard() {
    for (Staged& s : staged_) {
        if (s.fd >= 0) ::close(s.fd);
        DiscardTempFile(s.registration, s.temp);
    }
    staged_.clear();
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const std::string& utf8Path) {
    Close();
    path_ = NativePath(utf8Path);
    struct stat st;
    created_ = ::lstat(path_.c_str(), &st) != 0;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
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
        if (!SyncFolder(FolderPart(path_))) return false;
        created_ = false;
    }
    return true;
}

void AppendFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace torvane
