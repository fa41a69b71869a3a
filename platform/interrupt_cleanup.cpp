#include "platform/interrupt_cleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include "platform/files.h"

namespace torvane {
namespace {

// A fixed table, so the handler touches nothing but static memory and calls
// nothing but unlinkat(), sigaction() and raise(), which are safe in a handler.
// Writes run one or two at a time; more at once than places only go without
// the clean-up.
constexpr int kPlaces = 16;

enum : int { kFree = 0, kFilling = 1, kActive = 2 };

struct Place {
    std::atomic<int> state{kFree};
    int folder = AT_FDCWD;  // the held folder the name is in
    char name[PATH_MAX];
};

Place g_places[kPlaces];

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the states without locks");

// Every signal whose default action ends the program and that a handler can
// catch. The first group arrives from outside (a user, a shell, a timer, a
// pipe); the second is raised by the program's own fault, and is only taken
// over where nothing else (a sanitizer, a debugger's helper) handles it.
constexpr int kSignals[] = {
    SIGINT, SIGTERM, SIGHUP, SIGXFSZ, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE, SIGVTALRM, SIGPROF, SIGXCPU,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};

// Room for the handler when the fault is a stack overflow.
alignas(16) char g_handlerStack[65536];

extern "C" void RemoveTempFilesAndEnd(int signal) {
    const int savedErrno = errno;
    for (Place& place : g_places) {
        if (place.state.load(std::memory_order_acquire) == kActive) ::unlinkat(place.folder, place.name, 0);
    }
    // The default action ends the program once the handler returns, since the
    // signal stays blocked until then; the parent sees the real signal.
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(signal, &dfl, nullptr);
    ::raise(signal);
    errno = savedErrno;
}

// Blocks the signals from outside in this thread for its lifetime.
class BlockedSignals {
public:
    BlockedSignals() {
        sigset_t block;
        sigemptyset(&block);
        for (int s : kSignals) sigaddset(&block, s);
        ::pthread_sigmask(SIG_BLOCK, &block, &saved_);
    }
    ~BlockedSignals() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

private:
    sigset_t saved_;
};

}  // namespace

void InstallInterruptCleanup() {
    stack_t alternate;
    std::memset(&alternate, 0, sizeof alternate);
    alternate.ss_sp = g_handlerStack;
    alternate.ss_size = sizeof g_handlerStack;
    const bool haveStack = ::sigaltstack(&alternate, nullptr) == 0;
    auto install = [haveStack](int s, bool onlyDefault) {
        struct sigaction old;
        if (::sigaction(s, nullptr, &old) != 0) return;
        if (old.sa_handler == SIG_IGN) return;  // ignored from the start: stays so
        if (onlyDefault && ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL)) return;
        struct sigaction act;
        std::memset(&act, 0, sizeof act);
        act.sa_handler = RemoveTempFilesAndEnd;
        act.sa_flags = haveStack ? SA_ONSTACK : 0;
        sigemptyset(&act.sa_mask);
        // Every one of them waits while the handler runs.
        for (int other : kSignals) sigaddset(&act.sa_mask, other);
        ::sigaction(s, &act, nullptr);
    };
    for (int s : kSignals) install(s, false);
    for (int s : kFaultSignals) install(s, true);
}

int RegisterTempFileAt(int folder, const char* name) {
    const size_t length = std::strlen(name);
    if (length >= PATH_MAX) return -1;
    for (int i = 0; i < kPlaces; ++i) {
        int expected = kFree;
        if (!g_places[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
        g_places[i].folder = folder;
        std::memcpy(g_places[i].name, name, length + 1);
        g_places[i].state.store(kActive, std::memory_order_release);
        return i;
    }
    return -1;
}

int RegisterTempFile(const char* path) { return RegisterTempFileAt(AT_FDCWD, path); }

void ReleaseTempFile(int registration) {
    if (registration < 0 || registration >= kPlaces) return;
    g_places[registration].state.store(kFree, std::memory_order_release);
}

namespace {

// Letters of the random part of a temporary name.
constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomLetters = 6;

// Replaces the pattern's trailing "XXXXXX" by random letters: from the
// system's generator, else from the clock and the process, which the
// O_EXCL creation makes safe either way.
void FillRandomLetters(std::string& pattern, unsigned attempt) {
    uint8_t random[kRandomLetters];
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        struct timespec now;
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        uint64_t seed = (static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(::getpid()) << 32) ^ attempt) *
                        0x9E3779B97F4A7C15ull;
        for (uint8_t& b : random) {
            b = static_cast<uint8_t>(seed >> 56);
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        }
    }
    const size_t at = pattern.size() - kRandomLetters;
    for (size_t i = 0; i < kRandomLetters; ++i) pattern[at + i] = kNameLetters[random[i] % (sizeof kNameLetters - 1)];
}

}  // namespace

int CreateTempFileAt(int folder, std::string& pattern, int& registration) {
    registration = -1;
    if (pattern.size() < kRandomLetters ||
        pattern.compare(pattern.size() - kRandomLetters, kRandomLetters, "XXXXXX") != 0) {
        errno = EINVAL;
        return -1;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        FillRandomLetters(pattern, attempt);
        BlockedSignals blocked;
        // Private until complete (0600); the writer gives it its mode.
        const int fd = ::openat(folder, pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            registration = RegisterTempFileAt(folder, pattern.c_str());
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

bool CommitTempFileAt(int registration, int folder, const std::string& temp, const std::string& target) {
    BlockedSignals blocked;
    // Where writes need not last, the new file is exchanged with the old one,
    // which then goes under the temporary name: ext4 starts writing a file
    // renamed over another at once (its guard for programs that replace
    // without a sync), which costs the rename and the later removal of that
    // file milliseconds each; the exchange is as atomic for a reader. A
    // target that is gone, or a file system without exchanges, gets the rename.
    if (!DurableWrites() && ::renameat2(folder, temp.c_str(), folder, target.c_str(), RENAME_EXCHANGE) == 0) {
        ::unlinkat(folder, temp.c_str(), 0);
    } else if (::renameat(folder, temp.c_str(), folder, target.c_str()) != 0) {
        return false;
    }
    ReleaseTempFile(registration);
    return true;
}

void DiscardTempFileAt(int registration, int folder, const std::string& temp) {
    BlockedSignals blocked;
    const int saved = errno;  // the failure that led here, for its report
    ::unlinkat(folder, temp.c_str(), 0);
    ReleaseTempFile(registration);
    errno = saved;
}

}  // namespace torvane
