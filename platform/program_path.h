#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// The folder the program's default files go to: the merge output "Merge.Bin",
// the test file "Test.bin" and the start of the output browse. It is the
// program's folder when the user may write there (a build tree, a copy kept in
// a folder of its own); for an installed program, whose folder (/usr/bin) only
// the system may write, it is the user's documents folder as named in
// user-dirs.dirs, or the home folder when that names none or it does not exist.
// No folder is ever created. Without a trailing separator (except "/").
std::string DefaultFilesFolder();

// The rule of DefaultFilesFolder over its inputs, so that it can be tried
// without installing: the program's folder, the home folder and the user's
// configuration folder ($XDG_CONFIG_HOME; empty means home + "/.config"). A
// folder counts as writable when the user may write it and, as for
// WriteWholeFile, it has a write permission bit for the user's class: root gets
// no exemption from a folder made read-only. When no candidate is writable the
// program's folder is kept, so a save there fails with its own message.
std::string ChooseFilesFolder(const std::string& programFolder, const std::string& home,
                              const std::string& configHome);

// The documents folder (XDG_DOCUMENTS_DIR) named by the text of a user-dirs.dirs
// file: "$HOME/..." is taken against `home`, "/..." as it stands, anything else
// is ignored; the last such line counts. Backslash escapes the next character.
// Nothing when no line names it.
std::optional<std::string> DocumentsFolderFromUserDirs(std::string_view text, const std::string& home);

// The program file's name without its extension: the caption of plain message boxes.
std::string ApplicationName();

// The part of a path after its last separator.
std::string FileNamePart(const std::string& path);

}  // namespace torvane
