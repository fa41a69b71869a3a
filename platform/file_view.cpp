#include "platform/file_view.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/code_page.h"

namespace torvane {
namespace {

// The mappings a bus error may come from: a page of a mapped file that lies
// past the file's end, after another program cut the file short. A fixed
// table, so the handler touches nothing but static memory and calls nothing
// but mmap() and sigaction(). More views at once than places are read whole.
constexpr int kGuardPlaces = 8;

enum : int { kFree = 0, kTaken = 1 };

struct GuardPlace {
    std::atomic<int> state{kFree};
    std::atomic<uintptr_t> begin{0};  // the mapping's pages, [begin, end)
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> hit{false};     // a page of it was gone and read as zeros
};

GuardPlace g_guard[kGuardPlaces];
struct sigaction g_previousBusAction;
uintptr_t g_pageSize = 4096;

static_assert(std::atomic<uintptr_t>::is_always_lock_free, "the handler reads the places without locks");

extern "C" void OnBusError(int signal, siginfo_t* info, void* context) {
    (void)context;
    const int savedErrno = errno;
    const uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
    if (info->si_code > 0) {  // raised by a fault, not sent by someone
        for (GuardPlace& place : g_guard) {
            if (at < place.begin.load(std::memory_order_acquire) || at >= place.end.load(std::memory_order_acquire))
                continue;
            // A page of zeros where the file's page is gone: the reader goes
            // on to its end, and CutShort tells its caller.
            void* page = reinterpret_cast<void*>(at & ~(g_pageSize - 1));
            if (::mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
                place.hit.store(true, std::memory_order_release);
                errno = savedErrno;
                return;
            }
        }
    }
    // Not one of ours: the action before ours takes it. A fault comes again
    // as soon as the handler returns; a signal sent is sent on.
    ::sigaction(signal, &g_previousBusAction, nullptr);
    if (info->si_code <= 0) ::raise(signal);
    errno = savedErrno;
}

// Installed once, by the first view (thread-safe as a static's first use):
// the action it replaces is the one a foreign fault goes back to.
bool InstallGuard() {
    static const bool installed = [] {
        g_pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction act;
        std::memset(&act, 0, sizeof act);
        act.sa_sigaction = OnBusError;
        // On the alternate stack where the program has one (InstallInterruptCleanup).
        act.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&act.sa_mask);
        return ::sigaction(SIGBUS, &act, &g_previousBusAction) == 0;
    }();
    return installed;
}

int TakeGuardPlace() {
    if (!InstallGuard()) return -1;
    for (int i = 0; i < kGuardPlaces; ++i) {
        int expected = kFree;
        if (g_guard[i].state.compare_exchange_strong(expected, kTaken, std::memory_order_acquire)) return i;
    }
    return -1;
}

void FreeGuardPlace(int i) {
    g_guard[i].begin.store(0, std::memory_order_release);
    g_guard[i].end.store(0, std::memory_order_release);
    g_guard[i].hit.store(false, std::memory_order_release);
    g_guard[i].state.store(kFree, std::memory_order_release);
}

std::optional<FileView> Refuse(ReadFailure reason, ReadFailure* why) {
    if (why) *why = reason;
    return std::nullopt;
}

}  // namespace

std::optional<FileView> FileView::Open(const std::string& path, uint64_t maxSize, ReadFailure* why) {
    // The same checks as ReadWholeFile's: without O_NONBLOCK a pipe would
    // hang the open, and only a regular file is read.
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Refuse(ReadFailure::Unreadable, why);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Refuse(ReadFailure::Unreadable, why);
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > maxSize) {
        ::close(fd);
        return Refuse(ReadFailure::TooLarge, why);
    }
    FileView view;
    // An empty length may still hold bytes (a file of /proc): read, not mapped.
    const int place = size > 0 && size <= SIZE_MAX ? TakeGuardPlace() : -1;
    if (place >= 0) {
        void* map = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            ::madvise(map, static_cast<size_t>(size), MADV_SEQUENTIAL);  // advice only
            const uintptr_t begin = reinterpret_cast<uintptr_t>(map);
            g_guard[place].end.store(begin + (size + g_pageSize - 1) / g_pageSize * g_pageSize,
                                     std::memory_order_release);
            g_guard[place].begin.store(begin, std::memory_order_release);
            view.map_ = map;
            view.data_ = static_cast<const uint8_t*>(map);
            view.size_ = static_cast<size_t>(size);
            view.fd_ = fd;
            view.guard_ = place;
            return view;
        }
        FreeGuardPlace(place);
    }
    ::close(fd);
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, maxSize, why);
    if (!bytes) return std::nullopt;
    view.copy_ = std::move(*bytes);
    view.data_ = view.copy_.data();
    view.size_ = view.copy_.size();
    return view;
}

void FileView::Release(uint64_t offset) {
    if (!map_) return;
    if (offset < releasedUpTo_) releasedUpTo_ = 0;
    const uint64_t to = std::min<uint64_t>(offset, size_) / g_pageSize * g_pageSize;
    if (to <= releasedUpTo_) return;
    // The pages of a private mapping that was never written: dropped here,
    // read again from the file's cache if touched.
    ::madvise(static_cast<uint8_t*>(map_) + releasedUpTo_, static_cast<size_t>(to - releasedUpTo_), MADV_DONTNEED);
    releasedUpTo_ = to;
}

bool FileView::CutShort() const {
    if (!map_) return false;
    if (g_guard[guard_].hit.load(std::memory_order_acquire)) return true;
    // Cut inside its last page: no page was gone, but the tail read as zeros.
    struct stat st;
    return ::fstat(fd_, &st) != 0 || static_cast<uint64_t>(st.st_size) < size_;
}

void FileView::Close() {
    if (map_) {
        // Out of the guard first: the addresses may be handed out again.
        FreeGuardPlace(guard_);
        ::munmap(map_, size_);
        ::close(fd_);
    }
    map_ = nullptr;
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
    guard_ = -1;
    releasedUpTo_ = 0;
    copy_.clear();
}

}  // namespace torvane
