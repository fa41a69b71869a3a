#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

// Exit statuses of torvane-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs torvane-cli with its arguments (without the program name); writes to the
// given streams. Returns the exit status. An exception that escapes a command
// is one line on `err` and kExitFailed.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// The process: a closed pipe on stdout is a failed write, not the end of the
// process, so every command finishes its files first. Returns the exit status.
int Main(int argc, char** argv);

// For tests: called inside the guard of Run as a command starts its work (a
// batch command: once its command line was read and its rows were loaded).
// A hook that throws stands for a failure deep inside the command. Null, the
// default, calls nothing.
using WorkHook = void (*)(const std::string& command);
void SetWorkHookForTesting(WorkHook hook);

}  // namespace torvane::cli
