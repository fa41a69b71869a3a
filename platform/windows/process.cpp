#include "platform/process.h"

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <cstdlib>

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

namespace {

UINT g_consoleCodePage = 0;  // the console's own, given back at exit

void RestoreConsoleCodePage() {
    if (g_consoleCodePage != 0) ::SetConsoleOutputCP(g_consoleCodePage);
}

}  // namespace

void UseUtf8Console() {
    // The program writes UTF-8 bytes; a console shows them as text only in
    // the UTF-8 code page, whatever the system's ANSI code page is. The code
    // page belongs to the console, not to the program, so the window the
    // program was started from gets its own back when the program ends.
    const UINT previous = ::GetConsoleOutputCP();
    if (previous == 0 || previous == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
    g_consoleCodePage = previous;
    std::atexit(RestoreConsoleCodePage);
}

std::string SystemLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = ::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return length > 1 ? windows::Narrow(std::wstring_view(name, static_cast<size_t>(length - 1))) : std::string();
}

uint64_t PeakMemoryKiB() {
    PROCESS_MEMORY_COUNTERS counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<uint64_t>(counters.PeakWorkingSetSize) / 1024;
}

}  // namespace torvane
