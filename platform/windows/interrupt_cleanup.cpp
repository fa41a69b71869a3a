#include "platform/interrupt_cleanup.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/windows/wide.h"

namespace torvane {
namespace {

// On Windows a console event (Ctrl+C, Ctrl+Break, closing the console window,
// logging off) runs the handler on a thread of its own while the program goes
// on; the process ends once the handler returns. A lock keeps the handler and
// the creation, renaming and removal of a temporary file apart, and once the
// handler has run no new temporary file is made.
constexpr int kPlaces = 16;

struct Place {
    bool active = false;
    std::wstring path;
};

Place g_places[kPlaces];
SRWLOCK g_lock = SRWLOCK_INIT;
bool g_ending = false;

class Locked {
public:
    Locked() { ::AcquireSRWLockExclusive(&g_lock); }
    ~Locked() { ::ReleaseSRWLockExclusive(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

BOOL WINAPI RemoveTempFilesOnEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            break;
        default:
            return FALSE;
    }
    Locked locked;
    g_ending = true;
    // A file still open for writing goes when its last handle closes, which
    // the end of the process does: it was opened for sharing its deletion.
    for (Place& place : g_places) {
        if (place.active) ::DeleteFileW(place.path.c_str());
        place.active = false;
    }
    // Not handled: the next handler, the system's, ends the program.
    return FALSE;
}

int RegisterLocked(const std::wstring& path) {
    for (int i = 0; i < kPlaces; ++i) {
        if (g_places[i].active) continue;
        try {
            g_places[i].path = path;
        } catch (...) {
            return -1;
        }
        g_places[i].active = true;
        return i;
    }
    return -1;
}

// Characters of the random part of a temporary name.
constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";

}  // namespace

void InstallInterruptCleanup() {
    // A program started with Ctrl+C ignored (a detached job) keeps ignoring
    // it: the system then calls no handler for that event.
    ::SetConsoleCtrlHandler(RemoveTempFilesOnEvent, TRUE);
}

int RegisterTempFile(const char* path) {
    const std::wstring wide = windows::SystemPath(path);
    Locked locked;
    return RegisterLocked(wide);
}

void ReleaseTempFile(int registration) {
    if (registration < 0 || registration >= kPlaces) return;
    Locked locked;
    g_places[registration].active = false;
}

int CreateTempFile(std::string& pattern, int& registration) {
    registration = -1;
    if (pattern.size() < 6 || pattern.compare(pattern.size() - 6, 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return -1;
    }
    const size_t at = pattern.size() - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        LARGE_INTEGER counter;
        ::QueryPerformanceCounter(&counter);
        uint64_t seed = static_cast<uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ull ^
                        (static_cast<uint64_t>(::GetCurrentProcessId()) << 32) ^ static_cast<uint64_t>(attempt);
        for (size_t i = 0; i < 6; ++i) {
            pattern[at + i] = kNameCharacters[seed % (sizeof kNameCharacters - 1)];
            seed /= sizeof kNameCharacters - 1;
        }
        const std::wstring wide = windows::SystemPath(pattern);
        Locked locked;
        if (g_ending) {
            errno = EINTR;
            return -1;
        }
        // Shared for deletion, so the handler can remove it while it is written.
        const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            errno = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? ENOENT
                    : error == ERROR_FILENAME_EXCED_RANGE                          ? ENAMETOOLONG
                    : error == ERROR_DISK_FULL                                     ? ENOSPC
                                                                                   : EACCES;
            return -1;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_RDWR);
        if (fd < 0) {
            ::CloseHandle(h);
            ::DeleteFileW(wide.c_str());
            errno = EMFILE;
            return -1;
        }
        registration = RegisterLocked(wide);
        return fd;
    }
    errno = EEXIST;
    return -1;
}

bool CommitTempFile(int registration, const std::string& temp, const std::string& target) {
    const std::wstring from = windows::SystemPath(temp);
    const std::wstring to = windows::SystemPath(target);
    Locked locked;
    if (g_ending) return false;
    // The rename over the old file is one step of the file system, written
    // through to disk before the call returns where writes are to last
    // (DurableWrites). (ReplaceFileW, which keeps more of the old file, may
    // leave neither name holding the old content when it fails half-way.)
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (DurableWrites() ? MOVEFILE_WRITE_THROUGH : 0);
    const bool moved = ::MoveFileExW(from.c_str(), to.c_str(), flags) != 0;
    if (!moved) return false;
    if (registration >= 0 && registration < kPlaces) g_places[registration].active = false;
    return true;
}

void DiscardTempFile(int registration, const std::string& temp) {
    const std::wstring wide = windows::SystemPath(temp);
    Locked locked;
    ::DeleteFileW(wide.c_str());
    if (registration >= 0 && registration < kPlaces) g_places[registration].active = false;
}

}  // namespace torvane
