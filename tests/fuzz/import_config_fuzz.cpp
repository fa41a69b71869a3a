// The profile-file reader and the project import on any INI bytes: nothing
// outside the six rows is touched, nothing crashes, no file is written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "config/config_file.h"
#include "core/workspace.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const torvane::ProfileDocument doc = torvane::ProfileDocument::Parse(std::span(data, size));
    const torvane::SectionNameList names = doc.SectionNames(100);
    if (names.result > 98 + 2) std::abort();
    doc.GetString("FileInfo1", "FileName", "", 128);
    doc.GetInt("FileInfo1", "PolishType", -1);

    torvane::SilentPrompts prompts;
    torvane::Workspace ws(prompts);
    const torvane::ImportResult r = torvane::ImportConfigDocument(ws, doc, "/torvane-fuzz");
    if (r.loaded > r.named || r.named > torvane::kRowCount) std::abort();
    for (int row = 0; row < torvane::kRowCount; ++row) {
        const std::string& name = ws.rows().Entry(row).FileName;
        if (!name.empty() && !torvane::IsAbsolutePath(name)) std::abort();  // every row's path is absolute
    }
    return 0;
}
