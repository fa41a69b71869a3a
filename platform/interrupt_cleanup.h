#pragma once

#include <string>

namespace torvane {

// Temporary files in flight, removed when a signal ends the program, so an
// interrupted replacement leaves no half-written temporary file beside its
// target (and the target as it was). On Windows the console's events stand
// for the signals: Ctrl+C, Ctrl+Break, closing the console, logging off.

// Installs the removing handler for every signal that ends the program by
// default and can be caught: SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1,
// SIGUSR2, SIGALRM, SIGPIPE, SIGXFSZ, SIGXCPU, SIGVTALRM, SIGPROF and the
// like, and the program's own faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT, SIGTRAP, SIGSYS) where no other handler has them. It removes the
// registered files, then ends the program with the signal's default action. A
// signal ignored when the program started (nohup, a background job, a SIGPIPE
// the parent ignores) stays ignored. Each program's main calls it once, before
// any work, and then ignores SIGXFSZ, so that a write past the file size limit
// fails (EFBIG) and is reported like any other failed write.
void InstallInterruptCleanup();

// Registers a file for removal by the handler; the path is copied. Returns the
// registration, or -1 when the path is too long or every place is taken (the
// file then stays where an interruption leaves it).
int RegisterTempFile(const char* path);
// Ends a registration; -1 is ignored.
void ReleaseTempFile(int registration);

#ifdef _WIN32
// Creates and opens a new file from a pattern (its trailing "XXXXXX" is
// replaced) and registers it, with the handler kept out in between.
// Returns the descriptor, or -1 with errno set.
int CreateTempFile(std::string& pattern, int& registration);
// Renames the temporary file onto `target` and ends its registration, again
// with no interruption in between. On failure the file stays registered.
bool CommitTempFile(int registration, const std::string& temp, const std::string& target);
// Removes the temporary file and ends its registration.
void DiscardTempFile(int registration, const std::string& temp);
#else
// The same for a name in a folder held open (`folder`, a descriptor that
// stays open until the registration ends): the handler removes it with
// unlinkat() relative to that folder, wherever the folder's path now leads.
// AT_FDCWD takes `name` as a path, as RegisterTempFile does.
int RegisterTempFileAt(int folder, const char* name);

// Creates and opens a new file in `folder` from a pattern of a name (its
// trailing "XXXXXX" is replaced by random letters), never through a link, and
// registers it, with the signals from outside blocked in between. Returns the
// descriptor, or -1 with errno set.
int CreateTempFileAt(int folder, std::string& pattern, int& registration);
// Renames the temporary file onto `target` in the same folder and ends its
// registration, again with no interruption in between; where writes need
// not last (DurableWrites off) an existing target is exchanged with it and
// then removed under the temporary name instead. On failure the file stays
// registered.
bool CommitTempFileAt(int registration, int folder, const std::string& temp, const std::string& target);
// Removes the temporary file and ends its registration.
void DiscardTempFileAt(int registration, int folder, const std::string& temp);
#endif

}  // namespace torvane
