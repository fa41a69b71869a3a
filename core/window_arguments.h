#pragma once

#include <string>
#include <vector>

namespace torvane {

// The desktop program's command line, after the toolkit took its own options:
//   torvane [--help | --version | --print-defaults]
//   torvane [--screenshot FILE] [--startup-probe] [PROJECT.ini | FILE ...]
// A project file is imported at start, as one dropped on the window; files
// fill rows 1..6 in order, as files dropped on them. "--" ends the options.
struct WindowArguments {
    bool help = false;           // print WindowUsageText and exit 0
    bool version = false;        // print the version and exit 0
    bool printDefaults = false;  // print the proposed paths and exit
    bool startupProbe = false;   // report how long the window took to show
    std::string screenshot;      // save a picture of the window there and exit
    std::string project;         // the one project file given
    std::vector<std::string> files;  // the row files, at most kRowCount
    std::string error;           // why the line is wrong; empty when it is not
};

// True for the name of a project (INI) file: it ends in ".ini" in any case.
bool IsProjectPath(const std::string& path);

// `args` without the program's name. A wrong line leaves its reason in
// `error` (English, as torvane-cli's are).
WindowArguments ParseWindowArguments(const std::vector<std::string>& args);

// The usage lines --help prints, and a wrong line after its reason.
std::string WindowUsageText();

}  // namespace torvane
