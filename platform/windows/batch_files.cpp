#include "platform/batch_files.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/interrupt_cleanup.h"
#include "platform/windows/wide.h"

namespace torvane {
namespace {

using windows::SystemPath;

size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const unsigned piece = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        const int n = ::_write(fd, p, piece);
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND: return ENOENT;
        default: return EACCES;
    }
}

}  // namespace

FileBatch::~FileBatch() { Discard(); }

bool FileBatch::Add(const std::string& path, const void* data, size_t size) {
    const size_t separator = LastSeparator(path);
    const std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    Staged s;
    s.path = path;
    s.temp = folder + "." + name + ".XXXXXX";
    s.fd = CreateTempFile(s.temp, s.registration);
    if (s.fd < 0 && errno == ENAMETOOLONG) {
        s.temp = folder + ".tv-XXXXXX";
        s.fd = CreateTempFile(s.temp, s.registration);
    }
    if (s.fd < 0) return false;
    if (!WriteAll(s.fd, data, size)) {
        const int error = errno;
        ::_close(s.fd);
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
    // Windows syncs a volume only for an administrator: each file is synced.
    for (Staged& s : staged_) {
        if (ok && sync && ::_commit(s.fd) != 0) {
            ok = false;
            error = errno;
        }
        if (::_close(s.fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        s.fd = -1;
    }
    for (Staged& s : staged_) {
        if (!ok) break;
        bool renamed = false;
        if (replace) {
            renamed = CommitTempFile(s.registration, s.temp, s.path);
            if (!renamed) error = EACCES;
        } else {
            // Without MOVEFILE_REPLACE_EXISTING the move fails on a taken name.
            renamed = ::MoveFileExW(SystemPath(s.temp).c_str(), SystemPath(s.path).c_str(),
                                    sync ? MOVEFILE_WRITE_THROUGH : 0) != 0;
            if (renamed)
                ReleaseTempFile(s.registration);
            else
                error = ErrnoOf(::GetLastError());
        }
        if (!renamed) {
            ok = false;
            break;
        }
        s.registration = -1;
        ++named;
    }
    for (size_t i = named; i < staged_.size(); ++i) DiscardTempFile(staged_[i].registration, staged_[i].temp);
    staged_.clear();
    if (!ok) errno = error;
    return ok;
}

void FileBatch::Discard() {
    for (Staged& s : staged_) {
        if (s.fd >= 0) ::_close(s.fd);
        DiscardTempFile(s.registration, s.temp);
    }
    staged_.clear();
}

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const std::string& path) {
    Close();
    path_ = path;
    fd_ = ::_wopen(SystemPath(path).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
    return fd_ >= 0;
}

uint64_t AppendFile::Length() const {
    if (fd_ < 0) return UINT64_MAX;
    const __int64 length = ::_filelengthi64(fd_);
    return length < 0 ? UINT64_MAX : static_cast<uint64_t>(length);
}

bool AppendFile::CutTo(uint64_t length, bool sync) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (::_chsize_s(fd_, static_cast<__int64>(length)) != 0) return false;
    return !sync || ::_commit(fd_) == 0;
}

bool AppendFile::Append(const std::string& bytes, bool sync) {
    const uint64_t before = Length();
    if (before == UINT64_MAX) return false;
    if (!WriteAll(fd_, bytes.data(), bytes.size())) {
        const int error = errno;
        (void)::_chsize_s(fd_, static_cast<__int64>(before));
        errno = error;
        return false;
    }
    return !sync || ::_commit(fd_) == 0;
}

void AppendFile::Close() {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = -1;
}

}  // namespace torvane
