#include "platform/file_problems.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

namespace torvane {
namespace {

using windows::ErrorText;
using windows::Handle;
using windows::SystemPath;

// The error the failed function left, when the path itself showed nothing.
std::string Left(DWORD failure) { return failure != 0 ? ErrorText(failure) : "the system gave no reason"; }

// Whether the file opens with `access`; the system's text when it does not.
std::string OpenProblem(const std::string& path, DWORD access) {
    Handle h(::CreateFileW(SystemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return ErrorText(::GetLastError());
    return std::string();
}

// What keeps a file from being created in `folder`, as WriteWholeFile creates
// its new file there before it takes the old one's place.
std::string FolderProblem(const std::string& folder, DWORD failure) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorText(::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return ErrorText(ERROR_DIRECTORY);
    return Left(failure);
}

}  // namespace

std::string FileProblem(const std::string& path, FileUse use) {
    const DWORD failure = ::GetLastError();  // before any call below can change it
    if (path.empty()) return "no file name was given";
    if (use == FileUse::Write && EndsInSeparator(path)) return kNamesAFolderReason;
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (use == FileUse::Write && (error == ERROR_FILE_NOT_FOUND))
            return FolderProblem(FolderOf(AbsolutePath(path)), failure);
        return ErrorText(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder, not a file";
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (use == FileUse::Write) {
        if (readOnly) return "the file is read-only";
        return FolderProblem(FolderOf(AbsolutePath(path)), failure);
    }
    std::string problem = OpenProblem(path, GENERIC_READ);
    if (!problem.empty()) return problem;
    if (use == FileUse::ReadWrite) {
        if (readOnly) return "the file is read-only";
        problem = OpenProblem(path, GENERIC_READ | GENERIC_WRITE);
        if (!problem.empty()) return problem;
    }
    return Left(failure);
}

}  // namespace torvane
