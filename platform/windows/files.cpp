#include "platform/files.h"

#include <windows.h>

#include <io.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/interrupt_cleanup.h"
#include "platform/piece_buffer.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

namespace torvane {

using windows::Handle;
using windows::SystemPath;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of the part of an absolute path that names its root: "C:\" (3),
// "\\server\share" (up to the separator after the share), or 0.
size_t RootLength(const std::string& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return 3;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t at = 2;
        for (int part = 0; part < 2; ++part) {
            while (at < path.size() && !IsSeparator(path[at])) ++at;
            if (part == 0 && at < path.size()) ++at;
        }
        return at;
    }
    return 0;
}

// Attributes and identity of what the path names, links followed.
struct Examined {
    bool exists = false;
    bool regular = false;   // a file on disk, not a folder, a device or a pipe
    bool readOnly = false;  // FILE_ATTRIBUTE_READONLY
    BY_HANDLE_FILE_INFORMATION info{};
};

Examined Examine(const std::string& path) {
    Examined e;
    if (path.empty()) return e;
    // Attribute access only: works on files others hold open, and on folders
    // (with FILE_FLAG_BACKUP_SEMANTICS).
    Handle h(::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) {
        // A file whose handle cannot be had may still be there.
        e.exists = ::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        return e;
    }
    e.exists = true;
    if (::GetFileType(h.get()) != FILE_TYPE_DISK) return e;
    if (!::GetFileInformationByHandle(h.get(), &e.info)) return e;
    e.regular = (e.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    e.readOnly = (e.info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return e;
}

// Opens an existing regular file; an invalid handle otherwise. Others may go
// on reading, writing and renaming it meanwhile, as with an open() on POSIX.
Handle OpenRegular(const std::string& path, DWORD access) {
    Handle h(::CreateFileW(SystemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return h;
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Handle();
    return h;
}

std::optional<uint64_t> HandleLength(HANDLE h) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(h, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

// Reads until `size` bytes are in or the file ends; the count read, or nothing on an error.
std::optional<size_t> ReadUpTo(HANDLE h, uint8_t* into, size_t size) {
    size_t done = 0;
    while (done < size) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(h, into + done, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    return done;
}

bool WriteAll(HANDLE h, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD put = 0;
        if (!::WriteFile(h, p + done, want, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

std::optional<std::vector<uint8_t>> Refuse(ReadFailure reason, ReadFailure* why) {
    if (why) *why = reason;
    return std::nullopt;
}

// The path in its full form, as the system spells it: drive letter or UNC
// root, backslashes, "." and ".." resolved; links are not resolved.
std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return std::wstring();
    full.resize(got);
    return full;
}

// The name the file system gives an open file, links resolved.
std::wstring FinalPath(HANDLE h) {
    const DWORD needed = ::GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0) return std::wstring();
    std::wstring path(needed, L'\0');
    const DWORD got = ::GetFinalPathNameByHandleW(h, path.data(), needed, FILE_NAME_NORMALIZED);
    if (got == 0 || got >= needed) return std::wstring();
    path.resize(got);
    return path;
}

}  // namespace

bool FileExists(const std::string& path) { return Examine(path).exists; }

std::optional<uint64_t> FileLength(const std::string& path) {
    const Examined e = Examine(path);
    if (!e.regular) return std::nullopt;
    return (static_cast<uint64_t>(e.info.nFileSizeHigh) << 32) | e.info.nFileSizeLow;
}

std::optional<FileStamp> StampOf(const std::string& path) {
    const Examined e = Examine(path);
    if (!e.regular) return std::nullopt;
    FileStamp stamp;
    stamp.size = (static_cast<uint64_t>(e.info.nFileSizeHigh) << 32) | e.info.nFileSizeLow;
    // FILETIME counts 100 ns steps.
    stamp.modifiedNs = static_cast<int64_t>((static_cast<uint64_t>(e.info.ftLastWriteTime.dwHighDateTime) << 32) |
                                            e.info.ftLastWriteTime.dwLowDateTime) *
                       100;
    stamp.device = e.info.dwVolumeSerialNumber;
    stamp.inode = (static_cast<uint64_t>(e.info.nFileIndexHigh) << 32) | e.info.nFileIndexLow;
    return stamp;
}

bool IsReadOnlyFile(const std::string& path) {
    const Examined e = Examine(path);
    return e.regular && e.readOnly;
}

bool CanOpenReadWrite(const std::string& path) {
    const Examined e = Examine(path);
    if (!e.regular || e.readOnly) return false;
    return OpenRegular(path, GENERIC_READ | GENERIC_WRITE).valid();
}

bool CanOpenRead(const std::string& path) { return OpenRegular(path, GENERIC_READ).valid(); }

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const Examined ea = Examine(a);
    const Examined eb = Examine(b);
    if (ea.exists && eb.exists) {
        // A folder or device without a file index falls back to its spelling.
        const bool indexed = (ea.info.nFileIndexHigh | ea.info.nFileIndexLow) != 0;
        if (indexed)
            return ea.info.dwVolumeSerialNumber == eb.info.dwVolumeSerialNumber &&
                   ea.info.nFileIndexHigh == eb.info.nFileIndexHigh && ea.info.nFileIndexLow == eb.info.nFileIndexLow;
    } else if (ea.exists != eb.exists) {
        return false;
    }
    // Neither exists yet: two spellings of one future file. Names on Windows
    // file systems match without regard to case.
    const std::wstring fa = FullPath(windows::Widen(a));
    const std::wstring fb = FullPath(windows::Widen(b));
    if (fa.empty() || fb.empty() || fa.size() > INT_MAX || fb.size() > INT_MAX) return false;
    return ::CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(), static_cast<int>(fb.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring full = FullPath(windows::Widen(path));
    if (full.empty()) return path;
    std::string normal = windows::Narrow(full);
    // "C:\fw\" names the folder; only a root keeps its separator.
    const size_t root = RootLength(normal);
    while (normal.size() > root && normal.size() > 1 && IsSeparator(normal.back())) normal.pop_back();
    return normal;
}

bool IsAbsolutePath(const std::string& path) { return RootLength(path) != 0; }

std::string ResolveAgainst(const std::string& folder, const std::string& path) {
    if (path.empty() || IsAbsolutePath(path)) return AbsolutePath(path);
    const std::string base = AbsolutePath(folder);
    if (IsSeparator(path[0])) {
        // "\fw\a.bin": the root of the folder's drive or share.
        const size_t root = RootLength(base);
        std::string rootText = base.substr(0, root);
        if (!rootText.empty() && !IsSeparator(rootText.back())) rootText += '\\';
        return AbsolutePath(rootText + path.substr(1));
    }
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        // "D:a.bin" is relative to the current folder of drive D: the given
        // folder when it is on that drive.
        const bool sameDrive = base.size() >= 2 && base[1] == ':' &&
                               (base[0] | 0x20) == (path[0] | 0x20);
        if (!sameDrive) return AbsolutePath(path);
        return AbsolutePath(base + "\\" + path.substr(2));
    }
    return AbsolutePath(base + "\\" + path);
}

std::string FolderOf(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    const size_t root = RootLength(path);
    if (separator == std::string::npos) {
        // "C:a.bin" lies in drive C's current folder.
        if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') return path.substr(0, 2);
        return ".";
    }
    if (root != 0 && separator < root) return path.substr(0, root);
    if (separator == 0) return path.substr(0, 1);
    return path.substr(0, separator);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxSize, ReadFailure* why) {
    // A pipe or a device is refused by its type before anything is read.
    const Handle h = OpenRegular(path, GENERIC_READ);
    if (!h.valid()) return Refuse(ReadFailure::Unreadable, why);
    const std::optional<uint64_t> length = HandleLength(h.get());
    if (!length) return Refuse(ReadFailure::Unreadable, why);
    if (*length > maxSize) return Refuse(ReadFailure::TooLarge, why);
    std::optional<ReadFailure> failure;
    std::vector<uint8_t> bytes;
    try {
        // One read into a buffer of the file's size; the file may still have
        // changed since its length was taken.
        bytes.resize(static_cast<size_t>(*length));
        const std::optional<size_t> got = ReadUpTo(h.get(), bytes.data(), bytes.size());
        if (!got) {
            failure = ReadFailure::Unreadable;
        } else if (*got < bytes.size()) {
            bytes.resize(*got);
        } else {
            uint8_t more[65536];
            for (;;) {
                const std::optional<size_t> extra = ReadUpTo(h.get(), more, sizeof more);
                if (!extra) failure = ReadFailure::Unreadable;
                if (!extra || *extra == 0) break;
                if (bytes.size() + static_cast<uint64_t>(*extra) > maxSize) {
                    failure = ReadFailure::TooLarge;
                    break;
                }
                bytes.insert(bytes.end(), more, more + *extra);
            }
        }
    } catch (const std::bad_alloc&) {
        failure = ReadFailure::NoMemory;
    }
    if (failure) return Refuse(*failure, why);
    return bytes;
}

std::optional<std::vector<uint8_t>> ReadFilePrefix(const std::string& path, size_t count) {
    const Handle h = OpenRegular(path, GENERIC_READ);
    if (!h.valid()) return std::nullopt;
    std::vector<uint8_t> bytes(count, 0);
    if (!ReadUpTo(h.get(), bytes.data(), count)) return std::nullopt;
    return bytes;
}

std::FILE* OpenReadStream(const std::string& path) {
    if (!OpenRegular(path, GENERIC_READ).valid()) return nullptr;
    return ::_wfopen(SystemPath(path).c_str(), L"rb");
}

namespace {

std::atomic<bool> g_durableWrites{true};

// Hands `produce` a sink that gathers its pieces for the handle. True when it
// returned true and every byte went out; errno says why not.
bool Produce(HANDLE h, const std::function<bool(const ByteSink&)>& produce) {
    PieceBuffer buffer([h](const uint8_t* data, size_t size) {
        if (WriteAll(h, data, size)) return true;
        errno = ::GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
        return false;
    });
    const ByteSink sink = [&buffer](const void* data, size_t size) { return buffer.Put(data, size); };
    const bool finished = produce(sink);
    const bool flushed = buffer.Flush();
    if (!finished && flushed) errno = ECANCELED;
    return finished && flushed;
}

// Writes a target that is not a file on disk (a device such as NUL or a
// serial port) in place.
bool WriteInPlace(const std::wstring& target, const std::function<bool(const ByteSink&)>& produce) {
    Handle h(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return false;
    bool ok = Produce(h.get(), produce);
    ok = h.Close() && ok;
    return ok;
}

}  // namespace

void SetDurableWrites(bool durable) { g_durableWrites.store(durable, std::memory_order_relaxed); }

bool DurableWrites() { return g_durableWrites.load(std::memory_order_relaxed); }

bool EndsInSeparator(const std::string& path) { return !path.empty() && IsSeparator(path.back()); }

// Windows folders have no sticky bit: no link is refused for being in one.
std::optional<std::string> ForeignLinkInSharedFolder(const std::string&) { return std::nullopt; }

bool WriteFileInPieces(const std::string& path, const std::function<bool(const ByteSink&)>& produce) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    if (EndsInSeparator(path)) {
        errno = EISDIR;
        return false;
    }
    std::string target = path;
    DWORD keptAttributes = 0;  // what the new file takes over from the old one
    {
        Handle h(::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (h.valid()) {
            if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
                h.Close();
                return WriteInPlace(SystemPath(path), produce);
            }
            BY_HANDLE_FILE_INFORMATION info;
            if (!::GetFileInformationByHandle(h.get(), &info)) return false;
            if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                errno = EISDIR;
                return false;
            }
            if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {  // read-only, also for admins
                errno = EACCES;
                return false;
            }
            keptAttributes = info.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
            const DWORD linkAttributes = ::GetFileAttributesW(SystemPath(path).c_str());
            if (linkAttributes != INVALID_FILE_ATTRIBUTES && (linkAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                // Replace the file the link points to, not the link.
                std::wstring resolved = FinalPath(h.get());
                if (resolved.empty()) return false;
                if (resolved.starts_with(L"\\\\?\\UNC\\")) resolved = L"\\\\" + resolved.substr(8);
                else if (resolved.starts_with(L"\\\\?\\")) resolved = resolved.substr(4);
                target = windows::Narrow(resolved);
            }
        } else if (::GetLastError() != ERROR_FILE_NOT_FOUND) {
            // Present but not to be examined (a file locked for every access),
            // or a folder of the path is missing: nothing can be written.
            if (::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
        }
    }

    // The new content goes to a temporary file beside the target and replaces
    // it only once it is complete (and on disk, see DurableWrites), so a
    // failed write or a power cut leaves the old file or the new one.
    // ".<name>.XXXXXX" tells whose it is; a name too long for that gets a
    // short one.
    const size_t separator = target.find_last_of("\\/");
    const size_t root = RootLength(target);
    std::string folder;
    std::string name;
    if (separator == std::string::npos) {
        name = target;
    } else {
        folder = target.substr(0, separator + 1);
        name = target.substr(separator + 1);
    }
    if (root != 0 && separator != std::string::npos && separator < root) folder = target.substr(0, root);
    // NTFS names hold 255 UTF-16 units.
    const bool longFits = windows::Widen(name).size() + 8 <= 255;
    std::string temp = folder + (longFits ? "." + name + ".XXXXXX" : ".tv-XXXXXX");
    int registration = -1;
    const int fd = CreateTempFile(temp, registration);
    if (fd < 0) return false;
    const HANDLE h = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    bool ok = h != INVALID_HANDLE_VALUE;
    try {
        ok = ok && Produce(h, produce);
    } catch (...) {
        ::_close(fd);
        DiscardTempFile(registration, temp);
        throw;
    }
    // On disk before it takes the old file's place.
    ok = ok && (!DurableWrites() || ::FlushFileBuffers(h));
    ok = ::_close(fd) == 0 && ok;
    if (ok && keptAttributes != 0) ::SetFileAttributesW(SystemPath(temp).c_str(), keptAttributes);
    ok = ok && CommitTempFile(registration, temp, target);
    if (!ok) {
        const int error = errno;
        DiscardTempFile(registration, temp);
        errno = error;
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
    return WriteFileInPieces(path, [data, size](const ByteSink& sink) { return sink(data, size); });
}

}  // namespace torvane
