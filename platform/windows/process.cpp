#include "platform/process.h"

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include "platform/windows/wide.h"

namespace torvane {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // argv holds the arguments in the ANSI code page, with '?' for what it
    // cannot spell; the command line itself is UTF-16.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    if (wide == nullptr) {
        for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
        return args;
    }
    for (int i = 0; i < count; ++i) args.push_back(windows::Narrow(wide[i]));
    ::LocalFree(wide);
    return args;
}

void UseUtf8Console() {
    // The program writes UTF-8 bytes; a console shows them as text only in
    // the UTF-8 code page, whatever the system's ANSI code page is.
    ::SetConsoleOutputCP(CP_UTF8);
}

uint64_t PeakMemoryKiB() {
    PROCESS_MEMORY_COUNTERS counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<uint64_t>(counters.PeakWorkingSetSize) / 1024;
}

}  // namespace torvane
