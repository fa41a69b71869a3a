#include "tools/serialize/serial_project.h"

#include <algorithm>
#include <vector>

#include "config/config_file.h"
#include "core/file_entry.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/profile.h"

namespace torvane {
namespace {

std::string Number(uint64_t n) { return Format("%llu", static_cast<unsigned long long>(n)); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The sections that hold serialiser keys, in file order.
std::vector<std::string> SerialSections(const ProfileDocument& doc) {
    std::vector<std::string> sections;
    for (const std::string& name : doc.SectionNames(UINT32_MAX).names) {
        const std::vector<std::string> keys = doc.KeyNames(name);
        if (std::any_of(keys.begin(), keys.end(), [](const std::string& k) { return IsSerialKey(k); }))
            sections.push_back(name);
    }
    return sections;
}

// The n of SerialField<n> (n from 1, no leading zero), or nothing.
std::optional<int> FieldKeyNumber(const std::string& key) {
    const std::string prefix = "SerialField";
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 6) return std::nullopt;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(key[i]) != Lower(prefix[i])) return std::nullopt;
    if (key[prefix.size()] == '0') return std::nullopt;
    int n = 0;
    for (size_t i = prefix.size(); i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9') return std::nullopt;
        n = n * 10 + (key[i] - '0');
    }
    return n;
}

constexpr const char* kKnownKeys[] = {kSerialTemplateKey, kSerialBaseKey,   kSerialFillKey,    kSerialAtKey,
                                      kSerialStepKey,     kSerialNextKey,   kSerialMacAtKey,   kSerialMacStepKey,
                                      kSerialMacNextKey,  kSerialOutputKey, kSerialManifestKey};

bool SameLetters(const std::string& a, const char* b) {
    const std::string_view w = b;
    if (a.size() != w.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(w[i])) return false;
    return true;
}

}  // namespace

std::optional<SerialProject> ReadSerialProject(const ProfileDocument& doc, const std::string& folder,
                                               std::string& why) {
    const std::vector<std::string> sections = SerialSections(doc);
    if (sections.empty()) return std::nullopt;
    const std::string& section = sections.front();
    if (sections.size() > 1) {
        why = Format("[%s] and [%s] both hold serialiser settings; a project keeps them in one section",
                     sections[0].c_str(), sections[1].c_str());
        return std::nullopt;
    }
    // Every key of the prefix must be one this reader knows: a key it passed
    // over would be a setting the run silently lacks.
    std::vector<int> fieldNumbers;
    for (const std::string& key : doc.KeyNames(section)) {
        if (!IsSerialKey(key)) continue;
        if (const std::optional<int> n = FieldKeyNumber(key)) {
            fieldNumbers.push_back(*n);
            continue;
        }
        if (std::none_of(std::begin(kKnownKeys), std::end(kKnownKeys),
                         [&](const char* k) { return SameLetters(key, k); })) {
            why = Format("[%s] %s is no serialiser setting this program knows", section.c_str(), key.c_str());
            return std::nullopt;
        }
    }
    std::sort(fieldNumbers.begin(), fieldNumbers.end());
    for (size_t i = 0; i < fieldNumbers.size(); ++i) {
        if (fieldNumbers[i] != static_cast<int>(i) + 1) {
            why = Format("[%s] has SerialField%d but no SerialField%d", section.c_str(), fieldNumbers[i],
                         static_cast<int>(i) + 1);
            return std::nullopt;
        }
    }
    if (fieldNumbers.size() > static_cast<size_t>(kMaxSerialFields)) {
        why = Format("[%s] holds more than %d fields", section.c_str(), kMaxSerialFields);
        return std::nullopt;
    }

    SerialProject project;
    SerializeSettings& s = project.settings;
    auto value = [&](const char* key) { return WholeProjectValue(doc, section, key, why); };
    auto bad = [&](const char* key, const std::string& text, const char* wanted) {
        why = Format("[%s] %s=%s is not %s", section.c_str(), key, text.c_str(), wanted);
        return std::nullopt;
    };
    auto required = [&](const char* key) -> std::optional<std::string> {
        std::optional<std::string> v = value(key);
        if (!v && why.empty()) why = Format("[%s] lacks %s", section.c_str(), key);
        return v;
    };

    const std::optional<std::string> templatePath = required(kSerialTemplateKey);
    if (!templatePath) return std::nullopt;
    s.templatePath = ResolveAgainst(folder, *templatePath);
    const std::optional<std::string> output = required(kSerialOutputKey);
    if (!output) return std::nullopt;
    s.pattern = ResolveAgainst(folder, *output);
    const std::optional<std::string> at = required(kSerialAtKey);
    if (!at) return std::nullopt;
    std::string problem;
    const std::optional<SerialPlace> place = ParseSerialPlace(*at, &problem);
    if (!place) return bad(kSerialAtKey, *at, ("AT:KIND (" + problem + ")").c_str());
    s.serial = *place;
    const std::optional<std::string> next = required(kSerialNextKey);
    if (!next) return std::nullopt;
    const std::optional<uint64_t> nextNumber = ParseSerialNumber(*next);
    if (!nextNumber) return bad(kSerialNextKey, *next, "a number");
    project.next = *nextNumber;

    if (const std::optional<std::string> base = value(kSerialBaseKey)) {
        const std::optional<uint64_t> b = ParseHexNumber(*base, 8);
        if (!b) return bad(kSerialBaseKey, *base, "1 to 8 hex digits");
        s.base = static_cast<uint32_t>(*b);
    } else if (!why.empty()) {
        return std::nullopt;
    }
    if (const std::optional<std::string> fill = value(kSerialFillKey)) {
        const std::optional<uint64_t> f = ParseHexNumber(*fill, 2);
        if (!f) return bad(kSerialFillKey, *fill, "1 or 2 hex digits");
        s.fill = static_cast<uint8_t>(*f);
    } else if (!why.empty()) {
        return std::nullopt;
    }
    for (const auto& [key, slot] : {std::pair{kSerialStepKey, &s.step}, std::pair{kSerialMacStepKey, &s.macStep}}) {
        if (const std::optional<std::string> step = value(key)) {
            const std::optional<uint64_t> n = ParseSerialNumber(*step);
            if (!n || *n == 0) return bad(key, *step, "a number from 1");
            *slot = *n;
        } else if (!why.empty()) {
            return std::nullopt;
        }
    }
    if (const std::optional<std::string> macAt = value(kSerialMacAtKey)) {
        const std::optional<uint64_t> a = ParseHexNumber(*macAt, 8);
        if (!a) return bad(kSerialMacAtKey, *macAt, "1 to 8 hex digits");
        s.macAt = static_cast<uint32_t>(*a);
        const std::optional<std::string> macNext = required(kSerialMacNextKey);
        if (!macNext) return std::nullopt;
        const std::optional<uint64_t> mac = ParseMac(*macNext);
        if (!mac) return bad(kSerialMacNextKey, *macNext, "a MAC address");
        project.macNext = *mac;
    } else if (!why.empty()) {
        return std::nullopt;
    }
    if (const std::optional<std::string> manifest = value(kSerialManifestKey)) {
        s.manifest = ResolveAgainst(folder, *manifest);
    } else if (!why.empty()) {
        return std::nullopt;
    }
    for (int n = 1; n <= static_cast<int>(fieldNumbers.size()); ++n) {
        const std::string key = Format(kSerialFieldKeyFormat, n);
        const std::optional<std::string> text = value(key.c_str());
        if (!text) return std::nullopt;
        const std::optional<FieldSpec> field = ParseFieldSpec(*text, &problem);
        if (!field) {
            why = Format("[%s] %s=%s: %s", section.c_str(), key.c_str(), text->c_str(), problem.c_str());
            return std::nullopt;
        }
        s.fields.push_back(*field);
    }
    return project;
}

std::optional<std::string> PutSerialProject(ProfileDocument& doc, const SerialProject& project) {
    const SerializeSettings& s = project.settings;
    if (s.fields.size() > static_cast<size_t>(kMaxSerialFields))
        return Format("a project keeps at most %d fields", kMaxSerialFields);
    // Every value first, checked before the document changes.
    std::vector<std::pair<std::string, std::string>> keys;
    keys.emplace_back(kSerialTemplateKey, AbsolutePath(s.templatePath));
    if (s.base != 0) keys.emplace_back(kSerialBaseKey, Format("%08X", s.base));
    if (s.fill != 0xFF) keys.emplace_back(kSerialFillKey, Format("%02X", s.fill));
    keys.emplace_back(kSerialAtKey, SerialPlaceText(s.serial));
    if (s.step != 1) keys.emplace_back(kSerialStepKey, Number(s.step));
    keys.emplace_back(kSerialNextKey, Number(project.next));
    if (s.macAt) {
        keys.emplace_back(kSerialMacAtKey, Format("%X", *s.macAt));
        if (s.macStep != 1) keys.emplace_back(kSerialMacStepKey, Number(s.macStep));
        keys.emplace_back(kSerialMacNextKey, MacText(project.macNext));
    }
    keys.emplace_back(kSerialOutputKey, AbsolutePath(s.pattern));
    if (!s.manifest.empty()) keys.emplace_back(kSerialManifestKey, AbsolutePath(s.manifest));
    for (size_t i = 0; i < s.fields.size(); ++i)
        keys.emplace_back(Format(kSerialFieldKeyFormat, static_cast<int>(i) + 1), FieldSpecText(s.fields[i]));
    for (const auto& [key, text] : keys)
        if (const std::optional<std::string> problem = UnstorableProjectValue(text))
            return Format("%s=%s cannot be kept in a project: %s", key.c_str(), text.c_str(), problem->c_str());

    std::vector<std::string> sections = SerialSections(doc);
    std::string section;
    if (!sections.empty()) {
        section = sections.front();
        for (const std::string& other : sections)
            for (const std::string& key : doc.KeyNames(other))
                if (IsSerialKey(key)) doc.Remove(other, key);
    } else {
        const std::vector<std::string> names = doc.SectionNames(UINT32_MAX).names;
        section = names.empty() ? "FileInfo1" : names.front();
    }
    for (const auto& [key, text] : keys) doc.Set(section, key, StoredProjectValue(text));
    return std::nullopt;
}

void PutSerialNext(ProfileDocument& doc, uint64_t next, std::optional<uint64_t> macNext) {
    const std::vector<std::string> sections = SerialSections(doc);
    const std::string section = sections.empty() ? "FileInfo1" : sections.front();
    doc.Set(section, kSerialNextKey, Number(next));
    if (macNext) doc.Set(section, kSerialMacNextKey, MacText(*macNext));
}

}  // namespace torvane
