// The serialiser's project keys on any project text: the settings it reads
// are stored again as they were read, or refused with a reason, never cut.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "config/config_file.h"
#include "platform/profile.h"
#include "tools/serialize/serial_project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const torvane::ProfileDocument doc = torvane::ProfileDocument::Parse(std::span(data, size));
    std::string why;
    const auto project = torvane::ReadSerialProject(doc, "/p", why);
    if (!project) return 0;
    if (!why.empty()) std::abort();
    torvane::ProfileDocument stored;
    if (torvane::PutSerialProject(stored, *project)) return 0;  // a value it cannot keep
    std::string again;
    const auto back = torvane::ReadSerialProject(stored, "/p", again);
    if (!back || back->next != project->next || back->macNext != project->macNext ||
        back->settings.fields.size() != project->settings.fields.size() ||
        back->settings.templatePath != project->settings.templatePath)
        std::abort();
    return 0;
}
