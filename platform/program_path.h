#pragma once

#include <string>

namespace torvane {

// The platform's path separator. Windows also takes '/', and the functions
// that split paths there look for both.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The full path of the running program file.
std::string ProgramPath();

// The folder that holds the running program file, without a trailing separator.
std::string ProgramFolder();

// The program file's name without its extension: the caption of plain message boxes.
std::string ApplicationName();

// The part of a path after its last separator.
std::string FileNamePart(const std::string& path);

}  // namespace torvane
