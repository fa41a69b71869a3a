#include "cli/serialize_command.h"

#include <optional>

#include "cli/cli.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "core/file_entry.h"
#include "core/integrity_fields.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/profile.h"
#include "tools/serialize/serial_project.h"
#include "tools/serialize/serialize_tool.h"

namespace torvane::cli {
namespace {

std::string Number(uint64_t n) { return Format("%llu", static_cast<unsigned long long>(n)); }

// The options of both forms, --field (which may be given many times) taken
// out first. False, with `error` set, for a wrong command line.
struct Options {
    std::optional<std::string> output, serial, from, count, step, mac, macFrom, macStep, manifest, config, base, fill;
    bool allowReuse = false;
    bool force = false;
    bool noSync = false;
    std::vector<FieldSpec> fields;
    std::vector<std::string> words;
};

bool ReadOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    std::vector<std::string> rest;
    if (const std::optional<std::string> problem = TakeFieldOptions(args, rest, o.fields)) {
        error = *problem;
        return false;
    }
    const ToolOption options[] = {{"-o", &o.output},
                                  {"--serial", &o.serial},
                                  {"--from", &o.from},
                                  {"--count", &o.count},
                                  {"--step", &o.step},
                                  {"--mac", &o.mac},
                                  {"--mac-from", &o.macFrom},
                                  {"--mac-step", &o.macStep},
                                  {"--manifest", &o.manifest},
                                  {"--config", &o.config},
                                  {"--base", &o.base},
                                  {"--fill", &o.fill},
                                  {"--allow-reuse", nullptr, &o.allowReuse},
                                  {"--force", nullptr, &o.force},
                                  {"--no-sync", nullptr, &o.noSync}};
    return ReadToolArguments(rest, options, o.words, error);
}

std::optional<uint64_t> NumberOption(const std::optional<std::string>& text, const char* name, uint64_t fallback,
                                     std::string& error) {
    if (!text) return fallback;
    const std::optional<uint64_t> n = ParseSerialNumber(*text);
    if (!n) error = std::string(name) + " takes a decimal number, or hex digits after 0x";
    return n;
}

// A project file, read (a missing one is empty).
bool LoadProject(const std::string& path, ProfileDocument& doc, std::FILE* err) {
    ReadFailure why = ReadFailure::Unreadable;
    if (doc.Load(path, &why)) return true;
    ProblemLine(err, path + ": " +
                         (why == ReadFailure::TooLarge ? std::string("the project is larger than 4 MiB")
                                                       : FileProblem(path, FileUse::Read)));
    return false;
}

bool SaveProject(const std::string& path, const ProfileDocument& doc, std::FILE* err, const std::string& when) {
    if (doc.Save(path)) return true;
    ProblemLine(err, path + ": " + FileProblem(path, FileUse::Write) + when);
    return false;
}

// Plans and runs the batch, keeping the project's next number when there is
// one. The exit status.
int RunRequest(const SerializeRequest& request, const std::optional<std::string>& projectPath, ProfileDocument* project,
               const std::optional<SerialProject>& toStore, std::FILE* out, std::FILE* err) {
    // The project is written twice; never over the template or the manifest.
    if (projectPath) {
        for (const std::string& file : {request.settings.templatePath, request.settings.manifest}) {
            if (file.empty() || !SameFile(*projectPath, file)) continue;
            ProblemLine(
                err, "the project " + *projectPath + " would replace " + AbsolutePath(file) + ", a file of this run");
            return kExitFailed;
        }
    }
    std::string problem;
    std::vector<std::string> warnings;
    std::unique_ptr<SerialBatch> batch = SerialBatch::Plan(request, problem, &warnings);
    WarningLines(err, AbsolutePath(request.settings.templatePath), warnings);
    if (!batch) {
        ProblemLine(err, problem);
        return kExitFailed;
    }
    const SerializePlan& plan = batch->plan();
    ConsoleOut console(out);
    for (const std::string& note : plan.notes) console.Line("note: " + note);
    // The settings go into the project before the first image: a run that
    // stops half-way is continued from them (run serialize).
    if (project && toStore) {
        SerialProject stored = *toStore;
        stored.next = plan.first;
        stored.macNext = plan.macFirst;
        if (const std::optional<std::string> refusal = PutSerialProject(*project, stored)) {
            ProblemLine(err, *projectPath + ": " + *refusal);
            return console.Finish(kExitFailed, err);
        }
        if (!SaveProject(*projectPath, *project, err, "; no image was written"))
            return console.Finish(kExitFailed, err);
    }
    batch->SetIssuedCallback([&console](const ManifestEntry& e, bool adopted) {
        console.Line(Format("serial %s%s -> %s%s", Number(e.serial).c_str(),
                            e.mac ? (" MAC " + MacText(*e.mac)).c_str() : "", e.file.c_str(),
                            adopted ? " (found whole, recorded now)" : ""));
    });
    const bool ok = RunSerialBatch(*batch);
    int status = ok ? kExitOk : kExitFailed;
    if (!ok) ProblemLine(err, batch->reason());
    // The next number goes back only now that its predecessors and their
    // lines are on disk.
    if (project && batch->Issued() > 0) {
        PutSerialNext(*project, batch->NextNumber(),
                      plan.mac ? std::optional<uint64_t>(batch->NextMac()) : std::nullopt);
        const std::string when = request.settings.manifest.empty()
                                     ? "; the images are written, but the project still names the first of them next"
                                     : "; the images are written and recorded: the next run continues after the "
                                       "manifest's last line";
        if (!SaveProject(*projectPath, *project, err, when)) status = kExitFailed;
    }
    std::string summary = Format("wrote %s of %s images", Number(batch->Issued()).c_str(), Number(plan.count).c_str());
    if (batch->Issued() > 0)
        summary += Format(": serial numbers %s to %s", Number(plan.first).c_str(),
                          Number(*NthNumber(plan.first, request.settings.step, batch->Issued() - 1)).c_str());
    if (plan.mac && batch->Issued() > 0)
        summary += Format(", MAC %s to %s", MacText(plan.macFirst).c_str(),
                          MacText(*NthNumber(plan.macFirst, request.settings.macStep, batch->Issued() - 1)).c_str());
    console.Line(summary);
    if (!request.settings.manifest.empty()) console.Line("manifest: " + request.settings.manifest);
    if (project && batch->Issued() > 0)
        console.Line("next serial number " + Number(batch->NextNumber()) + " kept in " + *projectPath);
    return console.Finish(status, err);
}

}  // namespace

int RunSerializeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Options o;
    std::string error;
    if (!ReadOptions(args, o, error)) return UsageError(err, error, kSerializeUsage);
    if (o.words.size() != 1) return UsageError(err, "serialize takes one template file", kSerializeUsage);
    if (!o.output) return UsageError(err, "serialize needs -o PATTERN", kSerializeUsage);
    if (!o.serial) return UsageError(err, "serialize needs --serial AT:KIND", kSerializeUsage);
    if (!o.from) return UsageError(err, "serialize needs --from N", kSerializeUsage);
    if (!o.count) return UsageError(err, "serialize needs --count K", kSerializeUsage);
    if (o.mac.has_value() != o.macFrom.has_value())
        return UsageError(err, "--mac and --mac-from go together", kSerializeUsage);
    if (o.macStep && !o.mac) return UsageError(err, "--mac-step needs --mac", kSerializeUsage);
    if (o.config && o.config->empty()) return UsageError(err, "--config needs a file name", kSerializeUsage);
    if (o.manifest && o.manifest->empty()) return UsageError(err, "--manifest needs a file name", kSerializeUsage);
    for (const auto& [option, name] :
         {std::pair{"-o", &o.output}, std::pair{"--manifest", &o.manifest}, std::pair{"--config", &o.config}})
        if (*name)
            if (const std::optional<std::string> problem = OutputNameProblem(option, **name))
                return UsageError(err, *problem, kSerializeUsage);

    SerializeRequest request;
    SerializeSettings& s = request.settings;
    s.templatePath = o.words[0];
    s.pattern = *o.output;
    std::string why;
    const std::optional<SerialPlace> place = ParseSerialPlace(*o.serial, &why);
    if (!place) return UsageError(err, "--serial " + *o.serial + ": " + why, kSerializeUsage);
    s.serial = *place;
    const std::optional<uint64_t> from = NumberOption(o.from, "--from", 0, error);
    const std::optional<uint64_t> count = NumberOption(o.count, "--count", 0, error);
    const std::optional<uint64_t> step = NumberOption(o.step, "--step", 1, error);
    const std::optional<uint64_t> macStep = NumberOption(o.macStep, "--mac-step", 1, error);
    if (!from || !count || !step || !macStep) return UsageError(err, error, kSerializeUsage);
    if (*count == 0) return UsageError(err, "--count takes a number from 1", kSerializeUsage);
    if (*step == 0 || *macStep == 0) return UsageError(err, "a step takes a number from 1", kSerializeUsage);
    request.first = *from;
    request.count = *count;
    s.step = *step;
    s.macStep = *macStep;
    if (o.mac) {
        const std::optional<uint64_t> at = ParseHexNumber(*o.mac, 8);
        if (!at) return UsageError(err, "--mac takes the address, 1 to 8 hex digits", kSerializeUsage);
        s.macAt = static_cast<uint32_t>(*at);
        const std::optional<uint64_t> mac = ParseMac(*o.macFrom);
        if (!mac) return UsageError(err, "--mac-from takes a MAC address, 00:11:22:AA:BB:CC", kSerializeUsage);
        request.macFirst = *mac;
    }
    if (o.base) {
        const std::optional<uint64_t> base = ParseHexNumber(*o.base, 8);
        if (!base) return UsageError(err, "--base takes 1 to 8 hex digits", kSerializeUsage);
        s.base = static_cast<uint32_t>(*base);
    }
    if (o.fill) {
        const std::optional<uint64_t> fill = ParseHexNumber(*o.fill, 2);
        if (!fill) return UsageError(err, "--fill takes one hex byte", kSerializeUsage);
        s.fill = static_cast<uint8_t>(*fill);
    }
    s.fields = o.fields;
    if (o.manifest) s.manifest = *o.manifest;
    request.force = o.force;
    request.allowReuse = o.allowReuse;
    if (o.noSync) SetDurableWrites(false);
    request.sync = DurableWrites();

    if (!o.config) return RunRequest(request, std::nullopt, nullptr, std::nullopt, out, err);
    const std::string projectPath = AbsolutePath(*o.config);
    ProfileDocument project;
    if (!LoadProject(projectPath, project, err)) return kExitFailed;
    request.guarded.push_back(projectPath);
    SerialProject stored;
    stored.settings = s;
    return RunRequest(request, projectPath, &project, stored, out, err);
}

int RunProjectSerializeCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Options o;
    std::string error;
    if (!ReadOptions(args, o, error)) return UsageError(err, error, kSerializeUsage);
    // The project says the rest; what could contradict it is not taken.
    if (!o.words.empty())
        return UsageError(err, "run serialize takes no files: the project names them", kSerializeUsage);
    for (const std::optional<std::string>* own :
         {&o.output, &o.serial, &o.from, &o.step, &o.mac, &o.macFrom, &o.macStep, &o.manifest, &o.base, &o.fill})
        if (own->has_value())
            return UsageError(err,
                              "run serialize takes its settings from the project; only --count, --force, "
                              "--allow-reuse and --no-sync go with it",
                              kSerializeUsage);
    if (!o.fields.empty()) return UsageError(err, "run serialize takes its fields from the project", kSerializeUsage);
    if (!o.config || o.config->empty()) return UsageError(err, "run serialize needs --config", kSerializeUsage);
    if (!o.count) return UsageError(err, "run serialize needs --count K", kSerializeUsage);
    const std::optional<uint64_t> count = NumberOption(o.count, "--count", 0, error);
    if (!count) return UsageError(err, error, kSerializeUsage);
    if (*count == 0) return UsageError(err, "--count takes a number from 1", kSerializeUsage);

    const std::string projectPath = AbsolutePath(*o.config);
    if (!FileExists(projectPath)) {
        ProblemLine(err, projectPath + ": " + FileProblem(projectPath, FileUse::Read));
        return kExitFailed;
    }
    ProfileDocument project;
    if (!LoadProject(projectPath, project, err)) return kExitFailed;
    std::string why;
    const std::optional<SerialProject> stored = ReadSerialProject(project, FolderOf(projectPath), why);
    if (!stored) {
        ProblemLine(err, projectPath + ": " +
                             (why.empty() ? "the project holds no serialiser settings: make them with "
                                            "serialize ... --config"
                                          : why));
        return kExitFailed;
    }
    SerializeRequest request;
    request.settings = stored->settings;
    request.first = stored->next;
    request.macFirst = stored->macNext;
    request.count = *count;
    request.force = o.force;
    request.allowReuse = o.allowReuse;
    if (o.noSync) SetDurableWrites(false);
    request.sync = DurableWrites();
    request.continueAfterRecorded = true;
    request.guarded.push_back(projectPath);
    return RunRequest(request, projectPath, &project, std::nullopt, out, err);
}

}  // namespace torvane::cli
