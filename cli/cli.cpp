#include "cli/cli.h"

#include <cstdio>

namespace torvane::cli {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  torvane-cli hex2bin [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli align   [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli merge   [-o OUT] [PROMPT-ANSWERS] [FILE-OPTIONS] FILE ...\n"
    "  torvane-cli --help | --version\n"
    "\n"
    "Up to six files go into rows 1..6 in the order given.\n"
    "FILE-OPTIONS stand before the file they apply to:\n"
    "  --offset HEX             position in the merged image\n"
    "  --align 1|2|4|8          alignment (default 4)\n"
    "  --fill 00|FF             fill byte (default 00)\n"
    "  --keep-before-offset, --no-keep-before-offset\n"
    "PROMPT-ANSWERS:\n"
    "  --on-overlap force|append|cancel   (default cancel)\n"
    "  --on-oversize append|cancel        (default cancel)\n";

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.empty()) {
        std::fputs(kUsage, err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, out);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::fputs("torvane-cli 1.2.0\n", out);
        return kExitOk;
    }
    std::fprintf(err, "torvane-cli: unknown command '%s'\n", args[0].c_str());
    std::fputs(kUsage, err);
    return kExitUsage;
}

int Main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return Run(args, stdout, stderr);
}

}  // namespace torvane::cli
