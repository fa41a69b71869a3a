#pragma once

#include <string>

namespace torvane {

// What a file function was asked to do with a file.
enum class FileUse {
    Read,       // open an existing regular file for reading
    ReadWrite,  // open an existing regular file for reading and writing, never creating or truncating it
    Write,      // create or replace the file, as WriteWholeFile does
};

// Why the file at `path` could not be used for `use`, in English, for the
// reason line of a failure (never empty). Our own refusals get our own words:
// "the file is read-only" also where root could write it, "it is a folder, not
// a file", a name that ends in a separator, a link another user made in a
// shared folder (POSIX; for a write or a change in place). Otherwise it is the system's error text: of the path, when looking
// at it as `use` needs shows what is wrong (a missing file, a folder that may
// not be written), else of the failure itself as this thread's file functions
// left it behind. So call it right after the function that failed, before any
// other file function or output runs.
std::string FileProblem(const std::string& path, FileUse use);

}  // namespace torvane
