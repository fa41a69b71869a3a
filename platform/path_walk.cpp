#include "platform/path_walk.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <string>
#include <sys/vfs.h>
#include <vector>

#include "platform/files.h"

namespace torvane {
namespace {

// The kernel's own limit of links followed in one lookup.
constexpr int kMaxLinks = 40;

// Puts the names of `text` on the stack of names still to walk, its first
// name on top.
void PushNames(std::vector<std::string>& pending, const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t slash = text.find('/', start);
        const size_t end = slash == std::string::npos ? text.size() : slash;
        if (end > start) names.push_back(text.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

UniqueFd OpenFolder(int at, const char* name) {
    return UniqueFd(::openat(at, name, O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// A link of /proc/<pid>/fd that stands for an open pipe or socket
// ("pipe:[1234]"): /dev/stdout leads there when the output goes to a pipe.
// Its text is no path; only opening the link itself reaches the object.
bool IsNamelessObject(int folder, const std::string& target) {
    struct statfs fs;
    return target.front() != '/' && target.find(":[") != std::string::npos && ::fstatfs(folder, &fs) == 0 &&
           fs.f_type == PROC_SUPER_MAGIC;
}

std::optional<WalkedPath> Fail(WalkFailure& failure, int error) {
    failure.error = error;
    return std::nullopt;
}

}  // namespace

std::optional<WalkedPath> WalkPath(const std::string& path, WalkFailure& failure) {
    failure = WalkFailure{};
    if (path.empty()) return Fail(failure, ENOENT);
    if (path.back() == '/') return Fail(failure, EISDIR);
    std::vector<std::string> pending;
    PushNames(pending, path);
    // The folders walked so far as text, only to name a refused link the way
    // the path reached it; empty for the root.
    std::string walked;
    UniqueFd folder;
    if (path.front() == '/') {
        folder = OpenFolder(AT_FDCWD, "/");
    } else {
        folder = OpenFolder(AT_FDCWD, ".");
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) != nullptr && std::string(cwd) != "/") walked = cwd;
    }
    if (!folder.valid()) return Fail(failure, errno);

    const uid_t user = ::geteuid();
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        if (name == "." || name == "..") {
            if (last) return Fail(failure, EISDIR);
            if (name == "..") {
                // The parent of a held folder, whatever its path spells now.
                UniqueFd parent = OpenFolder(folder.get(), "..");
                if (!parent.valid()) return Fail(failure, errno);
                folder = std::move(parent);
                const size_t slash = walked.rfind('/');
                walked = slash == std::string::npos ? std::string() : walked.substr(0, slash);
            }
            continue;
        }
        // Whatever the name holds, not followed: the handle is that one
        // object, so what is learnt of it below cannot change under us.
        UniqueFd entry(::openat(folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!entry.valid()) {
            if (last && errno == ENOENT) {
                WalkedPath target;
                target.folder = std::move(folder);
                target.name = name;
                return target;
            }
            return Fail(failure, errno);
        }
        struct stat st;
        if (::fstat(entry.get(), &st) != 0) return Fail(failure, errno);
        const std::string spelled = walked + "/" + name;
        if (S_ISLNK(st.st_mode)) {
            struct stat folderStat;
            if (::fstat(folder.get(), &folderStat) != 0) return Fail(failure, errno);
            if (RefusesLinkInFolder(st.st_uid, folderStat.st_uid, folderStat.st_mode, user)) {
                failure.foreignLink = spelled;
                return Fail(failure, EACCES);
            }
            if (++links > kMaxLinks) return Fail(failure, ELOOP);
            // The link's own text, read through the handle that was checked.
            std::string target(PATH_MAX, '\0');
            const ssize_t n = ::readlinkat(entry.get(), "", target.data(), target.size());
            if (n < 0) return Fail(failure, errno);
            if (n == 0) return Fail(failure, ENOENT);
            if (static_cast<size_t>(n) >= target.size()) return Fail(failure, ENAMETOOLONG);
            target.resize(static_cast<size_t>(n));
            if (last && IsNamelessObject(folder.get(), target)) {
                // Nothing to walk: the link itself leads to the pipe or socket.
                UniqueFd object(::openat(folder.get(), name.c_str(), O_PATH | O_CLOEXEC));
                if (!object.valid() || ::fstat(object.get(), &st) != 0) return Fail(failure, errno);
                WalkedPath found;
                found.folder = std::move(folder);
                found.name = name;
                found.file = std::move(object);
                found.fileStat = st;
                return found;
            }
            // A last link to "dir/" names a folder, as the path "dir/" does.
            if (last && target.back() == '/') return Fail(failure, EISDIR);
            if (target.front() == '/') {
                folder = OpenFolder(AT_FDCWD, "/");
                if (!folder.valid()) return Fail(failure, errno);
                walked.clear();
            }
            PushNames(pending, target);
            continue;
        }
        if (last) {
            WalkedPath target;
            target.folder = std::move(folder);
            target.name = name;
            target.file = std::move(entry);
            target.fileStat = st;
            return target;
        }
        if (!S_ISDIR(st.st_mode)) return Fail(failure, ENOTDIR);
        folder = std::move(entry);
        walked = spelled;
    }
    // A path of nothing but "." and "/" names a folder.
    return Fail(failure, EISDIR);
}

}  // namespace torvane
