#pragma once

#include <string>

namespace torvane {

// The platform's path separator.
inline constexpr char kPathSeparator = '/';

// The full path of the running program file.
std::string ProgramPath();

// The folder that holds the running program file, without a trailing separator.
std::string ProgramFolder();

// The program file's name without its extension: the caption of plain message boxes.
std::string ApplicationName();

// The part of a path after its last separator.
std::string FileNamePart(const std::string& path);

}  // namespace torvane
