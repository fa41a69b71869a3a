#include "platform/process.h"

#include <sys/resource.h>

#include "platform/code_page.h"

namespace torvane {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> args;
    // In the locale's code page; inside the program every text is UTF-8.
    for (int i = 0; i < argc; ++i) args.push_back(PathFromNative(argv[i]));
    return args;
}

void UseUtf8Console() {}

std::string SystemLocaleName() { return std::string(); }

uint64_t PeakMemoryKiB() {
    struct rusage usage;
    if (::getrusage(RUSAGE_SELF, &usage) != 0 || usage.ru_maxrss < 0) return 0;
    return static_cast<uint64_t>(usage.ru_maxrss);  // Linux counts it in KiB
}

}  // namespace torvane
