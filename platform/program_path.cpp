#include "platform/program_path.h"

#include <climits>
#include <unistd.h>

namespace torvane {

std::string ProgramPath() {
    static const std::string path = [] {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }();
    return path;
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    const size_t slash = path.rfind(kPathSeparator);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ApplicationName() {
    std::string name = FileNamePart(ProgramPath());
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? std::string("torvane") : name;
}

}  // namespace torvane
