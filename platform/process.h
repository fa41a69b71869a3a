#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvane {

// The running program as the system starts it.

// The program's arguments in UTF-8, its own name first. On POSIX they are
// argv as given; on Windows they are read from the UTF-16 command line, so a
// name the ANSI code page cannot spell arrives whole.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Prepares the console for the program's UTF-8 output: on Windows the console
// is switched to the UTF-8 code page; on POSIX nothing is needed.
void UseUtf8Console();

// The user's locale as the system names it where no environment variable
// does ("zh-CN" on Windows); empty on POSIX, whose locale is the environment's.
std::string SystemLocaleName();

// The most memory the process has held at once, in KiB (resident set on
// POSIX, working set on Windows); 0 when the system does not say.
uint64_t PeakMemoryKiB();

}  // namespace torvane
