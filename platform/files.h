#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

// File helpers by path. Paths are UTF-8. Every failure is reported through the
// result; nothing throws.

// True when a file (of any kind) exists at the path.
bool FileExists(const std::string& path);

// The length in bytes of a regular file, or nothing when it cannot be examined
// or is not a regular file.
std::optional<uint64_t> FileLength(const std::string& path);

// What tells one version of a file from another without reading it: its
// length, its modification time, and which file it is.
struct FileStamp {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of a regular file, or nothing.
std::optional<FileStamp> StampOf(const std::string& path);

// True when the path names a regular file that has no write permission bit.
// This is checked explicitly, because root may open such a file for writing.
bool IsReadOnlyFile(const std::string& path);

// True when the path names a regular file that can be opened for reading and
// writing without creating or truncating it; a read-only file (above) cannot.
// The file is opened and closed again.
bool CanOpenReadWrite(const std::string& path);

// True when the path names a regular file that can be opened for reading.
bool CanOpenRead(const std::string& path);

// True when both paths name the same file, however they are spelled: the same
// file on disk (device and inode, links followed) when both exist, otherwise
// the same absolute path once ".", ".." and the links of its existing folders
// are resolved. Two empty paths are not the same file.
bool SameFile(const std::string& a, const std::string& b);

// The absolute, lexically normal form of a path, taken against the current
// folder; links are not resolved. An empty path stays empty.
std::string AbsolutePath(const std::string& path);

// True when the path does not depend on the current folder.
bool IsAbsolutePath(const std::string& path);

// `path` taken against `folder` when it is relative, in its absolute normal form.
std::string ResolveAgainst(const std::string& folder, const std::string& path);

// The folder part of a path, without its trailing separator ("." for a bare name).
std::string FolderOf(const std::string& path);

// The name after the last separator of either system: a path a project
// brought from Windows gives its name here too ("C:\fw\app.hex" -> "app.hex").
inline std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why ReadWholeFile gave nothing.
enum class ReadFailure {
    Unreadable,  // missing, not a regular file, or an error while opening or reading
    TooLarge,    // longer than the caller's limit
    NoMemory,    // no buffer of the file's size could be had
};

// Reads the whole of a regular file of at most `maxSize` bytes, or nothing on
// any failure, with the reason in `why` when it is given. The length is
// checked before anything is allocated, and a file that grows past the limit
// while it is read is refused as well. Nothing throws, also when memory runs out.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxSize,
                                                  ReadFailure* why = nullptr);

// Reads up to `count` bytes from the start of a regular file into a buffer of
// exactly `count` bytes; a file shorter than that leaves the rest 0. Nothing on
// failure to open or read.
std::optional<std::vector<uint8_t>> ReadFilePrefix(const std::string& path, size_t count);

// True when the name ends in a separator ("/", on Windows also "\"): it
// names a folder, and a file is never written there (the writes below refuse
// it with EISDIR) nor in the name without the separator.
bool EndsInSeparator(const std::string& path);
// The reason line's words for such a name.
inline constexpr const char* kNamesAFolderReason = "the name ends in a separator, so it names a folder, not a file";

// The symbolic link on the way to `path` that a write there does not follow:
// a link in a folder that every user may write and that has the sticky bit
// (/tmp), owned by neither that folder's owner nor the user running the
// program. The kernel refuses to open() through such a link; a replacement
// renames its new file onto the link's target and would pass that check, so
// the writes below make it themselves, as does PadFileEnd. Nothing when no
// such link is on the path (always nothing on Windows).
std::optional<std::string> ForeignLinkInSharedFolder(const std::string& path);

#ifndef _WIN32
// The rule above for one link: true when a link owned by `linkOwner` in a
// folder owned by `folderOwner` with the mode `folderMode` is not followed
// for `user`.
bool RefusesLinkInFolder(uint32_t linkOwner, uint32_t folderOwner, uint32_t folderMode, uint32_t user);
#endif

// Whether the writes below make each file lasting before they return: the
// new file synced to disk before it takes the old one's place, and (POSIX)
// its folder synced after the rename. On unless turned off; process-wide. A
// build server that converts thousands of files turns it off (torvane-cli
// --no-sync): each file still goes through a temporary file and a rename, so
// a failed or interrupted write leaves the old file, but after a power cut or
// a system crash the name may hold the old file or a new one not yet whole.
void SetDurableWrites(bool durable);
bool DurableWrites();

// Receives the next piece of the file being written; false when the write failed.
using ByteSink = std::function<bool(const void* data, size_t size)>;

// Creates or replaces the file with the bytes `produce` hands to the sink,
// piece by piece; true only when `produce` returned true and every byte was
// written. `produce` returns false to abandon the write: the old file then
// stays as it was (errno ECANCELED, unless a failed write came first). Small
// pieces are gathered (PieceBuffer), so pushing one record at a time costs no
// system call each.
//
// A regular file is replaced through a temporary file in its folder that
// takes the old file's place only when it is complete (and on disk, see
// DurableWrites), so a failure, an interruption (see InstallInterruptCleanup)
// or a power cut leaves the old file or the new one, never a mix. A target
// that is not a regular file (a device, a pipe) is written in place, and
// what was written before an abandon stays written. A read-only target, or
// one in a folder without write permission, is refused, also for root, and
// so is a path through a link ForeignLinkInSharedFolder names (EACCES) and a
// name ending in a separator (EISDIR). A link otherwise is followed: the file
// it leads to is replaced, not the link. The replacement is a new file: it
// takes the old one's mode and, where the system lets this process set them,
// its owner and group; other hard links to the old file keep the old content.
//
// On POSIX the path is looked up once: its folder is held open and every
// check, the temporary file and the rename work relative to it, so a name
// swapped for a link between two steps cannot send the write elsewhere.
bool WriteFileInPieces(const std::string& path, const std::function<bool(const ByteSink&)>& produce);

// WriteFileInPieces with the whole content in one piece.
bool WriteWholeFile(const std::string& path, const void* data, size_t size);

// Opens a regular file for reading as a binary C stream, for reading it in
// pieces; the caller closes it with fclose. Null when it cannot be opened.
std::FILE* OpenReadStream(const std::string& path);


}  // namespace torvane
