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
// given streams. Returns the exit status.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

int Main(int argc, char** argv);

}  // namespace torvane::cli
