// The manifest reader on any bytes: a file it reads has a header with the
// serial and mac columns and records from line 2 on, a cut line starts inside
// the file, and the header and records it reads survive a round trip
// through the writer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/serialize/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::string why;
    const auto manifest = torvane::ParseManifest(bytes, &why);
    if (!manifest) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (manifest->cutAt && *manifest->cutAt > size) std::abort();
    if (manifest->header.empty()) {
        if (!manifest->records.empty()) std::abort();
        return 0;
    }
    const auto has = [&](const char* name) {
        return std::find(manifest->header.begin(), manifest->header.end(), name) != manifest->header.end();
    };
    if (!has(torvane::kManifestSerialColumn) || !has(torvane::kManifestMacColumn)) std::abort();
    for (const torvane::ManifestRecord& r : manifest->records)
        if (r.line < 2) std::abort();
    // The header written again reads back as itself.
    const std::string line = torvane::CsvLine(manifest->header);
    const auto again = torvane::ParseManifest(std::vector<uint8_t>(line.begin(), line.end()), &why);
    if (!again || again->header != manifest->header || again->cutAt) std::abort();
    return 0;
}
