#include "platform/program_path.h"

namespace torvane {

std::string ApplicationName() {
    std::string name = FileNamePart(ProgramPath());
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name.empty() ? std::string("torvane") : name;
}

}  // namespace torvane
