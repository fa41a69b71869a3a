#include "platform/sized_files.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

namespace torvane {

using windows::Handle;

namespace {

// An existing file on disk (not a folder, device or pipe), opened so that
// others may go on using it; invalid otherwise. `attributes` receives its
// attributes.
Handle OpenRegular(const std::string& path, DWORD access, DWORD& attributes) {
    Handle h(::CreateFileW(windows::SystemPath(path).c_str(), access,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Handle();
    attributes = info.dwFileAttributes;
    return h;
}

std::optional<uint64_t> Length(HANDLE h) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(h, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

// The whole file locked for this handle while it lives.
class ExclusiveLock {
public:
    explicit ExclusiveLock(HANDLE h) : h_(h) {
        OVERLAPPED at{};
        locked_ = ::LockFileEx(h_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &at) != 0;
    }
    ~ExclusiveLock() {
        if (!locked_) return;
        OVERLAPPED at{};
        ::UnlockFileEx(h_, 0, MAXDWORD, MAXDWORD, &at);
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool locked() const { return locked_; }

private:
    HANDLE h_;
    bool locked_ = false;
};

}  // namespace

SizedRead ReadExpectedSize(const std::string& path, uint64_t expected) {
    SizedRead result;
    DWORD attributes = 0;
    const Handle h = OpenRegular(path, GENERIC_READ, attributes);
    if (!h.valid()) return result;
    // One byte more than expected tells a longer file from an exact one.
    ByteBuffer bytes(static_cast<size_t>(expected) + 1, false);
    size_t got = 0;
    while (got < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 30));
        DWORD n = 0;
        if (!::ReadFile(h.get(), bytes.data() + got, want, &n, nullptr)) return result;
        if (n == 0) break;
        got += n;
    }
    if (got != expected) {
        result.status = SizedReadStatus::SizeChanged;
        // A longer file was read only one byte past the expected end; its
        // length comes from the file itself.
        result.actualLength = got;
        const std::optional<uint64_t> length = Length(h.get());
        if (got > expected && length && *length > got) result.actualLength = *length;
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
    DWORD attributes = 0;
    Handle h = OpenRegular(path, GENERIC_READ | GENERIC_WRITE, attributes);
    if (!h.valid() || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return result;
    bool ok = true;
    {
        // Measured and padded under one lock: a second program waits, then
        // sees the padded length and finds nothing to do.
        const ExclusiveLock lock(h.get());
        if (!lock.locked()) return result;
        const std::optional<uint64_t> length = Length(h.get());
        if (!length) return result;
        result.oldLength = *length;
        result.newLength = *length;
        const uint32_t remainder = static_cast<uint32_t>(*length % alignment);
        if (remainder == 0) {
            result.status = PadStatus::NotNeeded;
            return result;
        }
        const uint32_t count = alignment - remainder;
        uint8_t padding[8];
        for (uint8_t& b : padding) b = fill;
        ok = count <= sizeof padding;
        uint32_t done = 0;
        while (ok && done < count) {
            OVERLAPPED at{};
            const uint64_t offset = *length + done;
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD n = 0;
            ok = ::WriteFile(h.get(), padding, count - done, &n, &at) != 0 && n > 0;
            if (ok) done += n;
        }
        if (!ok) {
            // A short append is taken back, so the file is either padded or as it was.
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(*length);
            if (::SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN)) ::SetEndOfFile(h.get());
        }
        if (ok) result.newLength = *length + count;
    }
    ok = h.Close() && ok;
    if (!ok) {
        result.status = PadStatus::WriteFailed;
        result.newLength = result.oldLength;
        return result;
    }
    result.status = PadStatus::Padded;
    return result;
}

}  // namespace torvane
