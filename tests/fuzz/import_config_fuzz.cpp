// The profile-file reader and the project import on any INI bytes: nothing
// outside the six rows is touched, and nothing crashes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "config/config_file.h"
#include "core/workspace.h"
#include "platform/profile.h"
#include "platform/prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const torvane::ProfileDocument doc = torvane::ProfileDocument::Parse(std::span(data, size));
    const torvane::SectionNameList names = doc.SectionNames(100);
    if (names.result > 98 + 2) std::abort();
    doc.GetString("FileInfo1", "FileName", "", 128);
    doc.GetInt("FileInfo1", "PolishType", -1);

    // The import reads a file by its path. Written plainly, as a new file: the
    // replacement's syncs to disk, or the flush some file systems make when a
    // file is truncated and written again, would only slow the runs down.
    static const std::string path = [] {
        char dir[] = "/tmp/torvane-fuzz-XXXXXX";
        if (::mkdtemp(dir) == nullptr) std::abort();
        return std::string(dir) + "/project.ini";
    }();
    ::unlink(path.c_str());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;
    torvane::SilentPrompts prompts;
    torvane::Workspace ws(prompts);
    const torvane::ImportResult r = torvane::ImportConfigFrom(ws, path);
    if (r.loaded > r.named || r.named > torvane::kRowCount) std::abort();
    // The path and the bytes are one document.
    if (torvane::GetProfileSectionNames(path, 100).names != names.names) std::abort();
    return 0;
}
