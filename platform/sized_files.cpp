#include "platform/sized_files.h"

#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/code_page.h"
#include "platform/path_walk.h"

namespace torvane {
namespace {

bool HasWriteBits(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

}  // namespace

SizedRead ReadExpectedSize(const std::string& path, uint64_t expected) {
    SizedRead result;
    UniqueFd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return result;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return result;
    // One byte more than expected tells a longer file from an exact one.
    ByteBuffer bytes(static_cast<size_t>(expected) + 1, false);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return result;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    if (got != expected) {
        result.status = SizedReadStatus::SizeChanged;
        // A longer file was read only one byte past the expected end; its
        // length comes from the file itself.
        result.actualLength = got;
        if (got > expected && ::fstat(fd.get(), &st) == 0 && static_cast<uint64_t>(st.st_size) > got)
            result.actualLength = static_cast<uint64_t>(st.st_size);
        return result;
    }
    bytes.Shrink(got);
    result.status = SizedReadStatus::Ok;
    result.bytes = std::move(bytes);
    result.actualLength = got;
    return result;
}

PadResult PadFileEnd(const std::string& path, uint32_t alignment, uint8_t fill) {
    PadResult result;
    if (alignment == 0) return result;
    // One lookup, the folder held: the file is then opened by its name in
    // that folder, never through a link, and only when it is still the
    // regular file the walk found, so a name swapped for a link meanwhile
    // pads nothing.
    WalkFailure failure;
    const std::optional<WalkedPath> target = WalkPath(NativePath(path), failure);
    if (!target) {
        errno = failure.error;
        return result;
    }
    if (!target->exists()) {
        errno = ENOENT;
        return result;
    }
    struct stat st = target->fileStat;
    if (!S_ISREG(st.st_mode) || !HasWriteBits(st.st_mode)) return result;
    UniqueFd fd(::openat(target->folder.get(), target->name.c_str(),
                         O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return result;
    if (::fstat(fd.get(), &st) != 0 || st.st_dev != target->fileStat.st_dev || st.st_ino != target->fileStat.st_ino) {
        errno = EAGAIN;  // the name changed since it was walked
        return result;
    }
    // Measured and padded under one lock: a second program waits, then sees
    // the padded length and finds nothing to do.
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return result;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return result;
    const uint64_t length = static_cast<uint64_t>(st.st_size);
    result.oldLength = length;
    result.newLength = length;
    const uint32_t remainder = static_cast<uint32_t>(length % alignment);
    if (remainder == 0) {
        result.status = PadStatus::NotNeeded;
        return result;
    }
    const uint32_t count = alignment - remainder;
    uint8_t padding[8];
    for (uint8_t& b : padding) b = fill;
    uint32_t done = 0;
    bool ok = count <= sizeof padding;
    while (ok && done < count) {
        const ssize_t n = ::pwrite(fd.get(), padding, count - done, static_cast<off_t>(length + done));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<uint32_t>(n);
    }
    // A short append is taken back, so the file is either padded or as it was.
    if (!ok && ::ftruncate(fd.get(), static_cast<off_t>(length)) != 0) {
        // Nothing more can be done; the failure is reported either way.
    }
    ok = fd.Close() && ok;
    if (!ok) {
        result.status = PadStatus::WriteFailed;
        return result;
    }
    result.status = PadStatus::Padded;
    result.newLength = length + count;
    return result;
}

}  // namespace torvane
