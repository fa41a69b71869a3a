#include "core/window_arguments.h"

#include <cctype>

#include "core/file_entry.h"

namespace torvane {

bool IsProjectPath(const std::string& path) {
    constexpr const char* kSuffix = ".ini";
    if (path.size() < 4) return false;
    for (size_t i = 0; i < 4; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[path.size() - 4 + i]);
        if (std::tolower(c) != kSuffix[i]) return false;
    }
    return true;
}

WindowArguments ParseWindowArguments(const std::vector<std::string>& args) {
    WindowArguments parsed;
    std::vector<std::string> names;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "--help" || a == "-h")) {
            parsed.help = true;
        } else if (options && a == "--version") {
            parsed.version = true;
        } else if (options && a == "--print-defaults") {
            parsed.printDefaults = true;
        } else if (options && a == "--startup-probe") {
            parsed.startupProbe = true;
        } else if (options && a == "--screenshot") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                parsed.error = "--screenshot needs a FILE";
                return parsed;
            }
            parsed.screenshot = args[++i];
        } else if (options && a.size() > 1 && a[0] == '-') {
            parsed.error = "unknown option '" + a + "'";
            return parsed;
        } else if (a.empty()) {
            parsed.error = "an empty file name";
            return parsed;
        } else {
            names.push_back(a);
        }
    }
    for (const std::string& name : names) {
        if (IsProjectPath(name)) {
            if (names.size() > 1) {
                parsed.error = "a project file " + name + " is imported alone, without other files";
                return parsed;
            }
            parsed.project = name;
            return parsed;
        }
    }
    if (names.size() > static_cast<size_t>(kRowCount)) {
        parsed.error = "at most six files fill the rows";
        return parsed;
    }
    parsed.files = std::move(names);
    return parsed;
}

std::string WindowUsageText() {
    return "Usage:\n"
           "  torvane [PROJECT.ini | FILE ...]\n"
           "  torvane --help | --version | --print-defaults\n"
           "\n"
           "A project file is imported at start; up to six files (Intel HEX, S-records,\n"
           "ELF or BIN) fill rows 1..6 in the order given, through the same checks as\n"
           "choosing them.\n"
           "  --screenshot FILE   save a picture of the window to FILE and exit\n"
           "  --startup-probe     report how long the window took to show and exit\n"
           "  --print-defaults    print the paths the window proposes and exit\n"
           "  --                  ends the options\n"
           "torvane-cli runs the same operations without a window.\n";
}

}  // namespace torvane
