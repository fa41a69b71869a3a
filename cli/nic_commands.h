#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace torvane::cli {

// Printed after a wrong command line and for "torvane-cli COMMAND --help".
inline constexpr const char* kNicInfoUsage = "Usage: torvane-cli nic-info CONFIG\n";
inline constexpr const char* kNicUpgradeUsage =
    "Usage: torvane-cli nic-upgrade --config CONFIG [--cdrom IMAGE] [--image IMAGE] [--production] [--no-sync]\n"
    "  --cdrom IMAGE   the upgrade image that includes the CDROM image\n"
    "  --image IMAGE   the plain upgrade image\n"
    "  --production    blank the MAC address and serial number (files for production use)\n";

// torvane-cli nic-info CONFIG: reads a network-adapter configuration file and
// prints the lines the upgrade dialog lists for it. `args` excludes the command
// word. Returns the exit status: 0 when the file was read, 1 when it was
// refused, 2 for a wrong command line.
int RunNicInfoCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// torvane-cli nic-upgrade --config CONFIG [--cdrom IMAGE] [--image IMAGE]
// [--production]: the upgrade dialog's "生成合并后的文件" command, or with
// --production its "生成生产使用文件" command, with --cdrom as the field
// "升级文件+CDROM" and --image as the field "升级文件". Prints the dialog's
// lines. Returns 0 when every given image was written, 1 when the command
// reported an error, 2 for a wrong command line.
int RunNicUpgradeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace torvane::cli
