// The profile-file reader and the project import on any INI bytes: nothing
// outside the six rows is touched, and nothing crashes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/config_file.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char dir[] = "/tmp/torvane-fuzz-XXXXXX";
        if (::mkdtemp(dir) == nullptr) std::abort();
        return std::string(dir) + "/project.ini";
    }();
    if (!torvane::WriteWholeFile(path, data, size)) return 0;
    torvane::SilentPrompts prompts;
    torvane::Workspace ws(prompts);
    const torvane::ImportResult r = torvane::ImportConfigFrom(ws, path);
    if (r.loaded > r.named || r.named > torvane::kRowCount) std::abort();
    const torvane::SectionNameList names = torvane::GetProfileSectionNames(path, 100);
    if (names.result > 98 + 2) std::abort();
    torvane::GetProfileString("FileInfo1", "FileName", "", 128, path);
    torvane::GetProfileInt("FileInfo1", "PolishType", -1, path);
    return 0;
}
