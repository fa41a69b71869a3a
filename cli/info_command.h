#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

// Printed after a wrong command line and for "torvane-cli info --help".
inline constexpr const char* kInfoUsage = "Usage: torvane-cli info FILE [--format text|json]\n";

// "info FILE [--format text|json]": the data segments of one HEX file, its
// lowest address, image end and whether an end record was reached. Exit 0 when
// the whole file decodes, 1 when the decoding stopped early (the output says
// where and why, and a reason line follows on `err`) or the file cannot be read.
int RunInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
