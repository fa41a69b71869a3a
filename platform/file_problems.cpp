#include "platform/file_problems.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/code_page.h"
#include "platform/files.h"

namespace torvane {
namespace {

std::string SystemText(int error) { return std::strerror(error); }

bool HasWriteBits(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// The error the failed function left, when the path itself showed nothing.
std::string Left(int failure) { return failure != 0 ? SystemText(failure) : "the system gave no reason"; }

// Whether a file can be opened with `flags`; the system's text when it cannot.
std::string OpenProblem(const std::string& path, int flags) {
    // Non-blocking, so a pipe put in the file's place cannot hang the look.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return SystemText(errno);
    ::close(fd);
    return std::string();
}

// What keeps a file from being created in `folder`, as WriteWholeFile creates
// its new file there before it takes the old one's place.
std::string FolderProblem(const std::string& folder, int failure) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return SystemText(errno);
    if (!S_ISDIR(st.st_mode)) return SystemText(ENOTDIR);
    if (!HasWriteBits(st.st_mode)) return "its folder is read-only";
    if (::access(folder.c_str(), W_OK) != 0) return SystemText(errno);
    return Left(failure);
}

}  // namespace

std::string FileProblem(const std::string& name, FileUse use) {
    const int failure = errno;  // before any call below can change it
    if (name.empty()) return "no file name was given";
    const std::string path = NativePath(name);
    std::string target = path;
    if (use == FileUse::Write && EndsInSeparator(name)) return kNamesAFolderReason;
    if (use != FileUse::Read) {
        if (const std::optional<std::string> link = ForeignLinkInSharedFolder(name))
            return "the path goes through " + *link +
                   ", a link another user made in a folder every user may write; it is not followed";
    }
    if (use == FileUse::Write) {
        // A link is replaced where it points, in that file's folder.
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr) target = resolved;
    }
    struct stat st;
    if (::stat(target.c_str(), &st) != 0) {
        const int error = errno;
        if (use == FileUse::Write && error == ENOENT) return FolderProblem(FolderOf(target), failure);
        return SystemText(error);
    }
    if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
    if (use == FileUse::Write) {
        if (!S_ISREG(st.st_mode)) return Left(failure);  // a device is written in place
        if (!HasWriteBits(st.st_mode)) return "the file is read-only";
        return FolderProblem(FolderOf(target), failure);
    }
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
    std::string problem = OpenProblem(target, O_RDONLY);
    if (!problem.empty()) return problem;
    if (use == FileUse::ReadWrite) {
        if (!HasWriteBits(st.st_mode)) return "the file is read-only";
        problem = OpenProblem(target, O_RDWR);
        if (!problem.empty()) return problem;
    }
    return Left(failure);
}

}  // namespace torvane
