#include "tools/serialize/serialize_tool.h"

#include "core/messages.h"

#include <algorithm>

#include "core/image_file.h"
#include "checks/sha256.h"
#include "platform/batch_files.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "tools/stamp/stamp_tool.h"

namespace torvane {
namespace {

// A group of images is synced once, then named, then recorded: fourteen
// files or 16 MiB, whichever comes first. Each waits in a temporary file that
// a signal removes; the removal has room for sixteen at once, and the other
// two stay free for the project's own replacement.
constexpr size_t kGroupFiles = 14;
constexpr uint64_t kGroupBytes = 16u << 20;
// The largest manifest read.
constexpr uint64_t kManifestReadLimit = 256u << 20;

std::string Hex32(uint64_t value) { return Format("0x%08llX", static_cast<unsigned long long>(value)); }

std::string Number(uint64_t n) { return Format("%llu", static_cast<unsigned long long>(n)); }

// The cells of a header for a reason: "serial | mac | file ...", each cell
// as the file writes it.
std::string HeaderText(const std::vector<std::string>& cells) {
    std::string text;
    for (const std::string& cell : cells) {
        std::string one = CsvLine(std::span(&cell, 1));
        one.resize(one.size() - 2);
        text += (text.empty() ? "" : " | ") + one;
    }
    return text;
}

// Bytes of a value written into the image; one past the end of the image
// first grows it with the fill byte, as a field past the end does.
void PlaceBytes(SparseImage& image, uint32_t at, std::span<const uint8_t> bytes, uint8_t fill) {
    if (at > image.end()) image.FillRange(static_cast<uint32_t>(image.end()), at, fill);
    image.Write(at, bytes);
}

bool Overlap(uint64_t a, uint64_t aEnd, uint64_t b, uint64_t bEnd) { return a < bEnd && b < aEnd; }

}  // namespace

struct SerialBatch::State {
    SerializeRequest request;
    SparseImage templateImage;
    NamePattern pattern;  // of full paths
    FileBatch files;
    AppendFile manifest;
    bool manifestOpened = false;
    std::optional<uint64_t> manifestCutAt;
    bool writeHeader = false;
    std::vector<std::string> header;
    // The group waiting for its commit: its entries in order, adopted ones first.
    struct Pending {
        ManifestEntry entry;
        bool adopted = false;
    };
    std::vector<Pending> pending;
    uint64_t pendingBytes = 0;
};

SerialBatch::SerialBatch(std::unique_ptr<State> state) : state_(std::move(state)) {}

SerialBatch::~SerialBatch() = default;

namespace {

// The image of number `n` of the run, and its fields as written.
struct BuiltImage {
    std::vector<uint8_t> bytes;
    std::vector<WrittenField> fields;
};

std::optional<std::string> BuildImage(const SparseImage& templateImage, const SerializeSettings& s,
                                      const std::vector<FieldSpec>& fields, ImageFormat format, uint64_t serial,
                                      uint64_t mac, const std::string& path, BuiltImage& out) {
    SparseImage image = templateImage;
    const std::vector<uint8_t> serialBytes = EncodeSerial(s.serial, serial);
    PlaceBytes(image, s.serial.at, serialBytes, s.fill);
    if (s.macAt) {
        const std::array<uint8_t, kMacWidth> macBytes = MacBytes(mac);
        PlaceBytes(image, *s.macAt, macBytes, s.fill);
    }
    out.fields = WriteFields(image, s.fill, fields);
    return ImageFileBytes(format, image, image.lowest(), image.end(), s.fill, WriteOptions{}, path, out.bytes);
}

// The record of the lowest number (or MAC) of the progression from `first`
// to `last` by `step` that the manifest holds; nothing when it holds none.
const ManifestRecord* FirstRecorded(const ManifestContent& manifest, uint64_t first, uint64_t last, uint64_t step,
                                    bool mac) {
    const ManifestRecord* found = nullptr;
    for (const ManifestRecord& r : manifest.records) {
        std::optional<uint64_t> value = mac ? r.mac : std::optional<uint64_t>(r.serial);
        if (!value || *value < first || *value > last || (*value - first) % step != 0) continue;
        if (!found || (mac ? *found->mac : found->serial) > *value) found = &r;
    }
    return found;
}

// A value the serialiser writes before the fields.
struct Value {
    const char* what;
    uint32_t at;
    uint64_t end;  // one past its last byte
};

// The serial number and the MAC: where the image may hold them (from its
// first address, inside the 32-bit space, growing it by at most 64 MiB) and
// apart from each other.
std::optional<std::string> PlacesProblem(const SparseImage& image, const std::vector<Value>& values) {
    for (const Value& v : values) {
        if (v.at < image.lowest())
            return Format("%s at %s lies below the image's first address %s", v.what, Hex32(v.at).c_str(),
                          Hex32(image.lowest()).c_str());
        if (v.end > kAddressSpaceEnd)
            return Format("%s at %s reaches past 0xFFFFFFFF, the end of what the image may hold", v.what,
                          Hex32(v.at).c_str());
        if (v.end > image.end() && v.end - image.end() > kBinOutputLimit)
            return Format("%s at %s would make the image grow by more than 64 MiB", v.what, Hex32(v.at).c_str());
    }
    if (values.size() == 2 && Overlap(values[0].at, values[0].end, values[1].at, values[1].end))
        return Format("the serial number at %s and the MAC address at %s overlap", Hex32(values[0].at).c_str(),
                      Hex32(values[1].at).c_str());
    return std::nullopt;
}

// Reads the manifest, when it exists, into `recorded`: its columns must be
// the run's, a last line cut short is noted for dropping.
std::optional<std::string> ReadManifestFile(const std::string& path, const std::vector<std::string>& header,
                                            std::optional<ManifestContent>& recorded, SerializePlan& plan) {
    plan.manifestIsNew = true;
    if (path.empty() || !FileExists(path)) return std::nullopt;
    ReadFailure failure = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kManifestReadLimit, &failure);
    if (!bytes)
        return path + ": " +
               (failure == ReadFailure::TooLarge ? std::string("larger than 256 MiB")
                                                 : FileProblem(path, FileUse::Read));
    std::string why;
    recorded = ParseManifest(*bytes, &why);
    if (!recorded) return path + ": " + why;
    plan.manifestIsNew = recorded->header.empty();
    if (!plan.manifestIsNew && recorded->header != header)
        return path + ": its columns are " + HeaderText(recorded->header) + "; this run writes " + HeaderText(header) +
               ": name another manifest";
    if (recorded->cutAt)
        plan.notes.push_back(path +
                             ": its last line was cut short (an append that did not finish); it is dropped before "
                             "this run's first line, and its image recorded again");
    return std::nullopt;
}

// A continued run: the numbers the manifest records one after another from
// the project's next were issued by a run that ended before it updated the
// project; the plan starts after them (their MACs must be the project's).
std::optional<std::string> SkipRecorded(const SerializeRequest& request, const ManifestContent& recorded,
                                        SerializePlan& plan) {
    const SerializeSettings& s = request.settings;
    std::vector<const ManifestRecord*> bySerial;
    for (const ManifestRecord& r : recorded.records) bySerial.push_back(&r);
    std::sort(bySerial.begin(), bySerial.end(),
              [](const ManifestRecord* a, const ManifestRecord* b) { return a->serial < b->serial; });
    auto find = [&bySerial](uint64_t serial) -> const ManifestRecord* {
        const auto it = std::lower_bound(bySerial.begin(), bySerial.end(), serial,
                                         [](const ManifestRecord* r, uint64_t n) { return r->serial < n; });
        return it != bySerial.end() && (*it)->serial == serial ? *it : nullptr;
    };
    for (;;) {
        const std::optional<uint64_t> number = NthNumber(request.first, s.step, plan.skipped);
        const ManifestRecord* r = number ? find(*number) : nullptr;
        if (!r) break;
        if (s.macAt) {
            const std::optional<uint64_t> mac = NthNumber(request.macFirst, s.macStep, plan.skipped);
            if (!r->mac || !mac || *r->mac != *mac)
                return Format(
                    "%s line %u records serial number %s with MAC %s, where the project's settings give "
                    "%s: the manifest and the project disagree",
                    s.manifest.c_str(), r->line, Number(*number).c_str(), r->mac ? MacText(*r->mac).c_str() : "none",
                    mac ? MacText(*mac).c_str() : "none");
        }
        ++plan.skipped;
    }
    if (plan.skipped == 0) return std::nullopt;
    const std::optional<uint64_t> resume = NthNumber(request.first, s.step, plan.skipped);
    if (!resume) return std::string("the manifest records every number up to 2^64 - 1");
    plan.notes.push_back(
        Format("%s records serial numbers %s to %s after the project's next number: a run ended "
               "before it updated the project; this run continues at %s",
               s.manifest.c_str(), Number(request.first).c_str(),
               Number(*NthNumber(request.first, s.step, plan.skipped - 1)).c_str(), Number(*resume).c_str()));
    plan.first = *resume;
    if (s.macAt) {
        const std::optional<uint64_t> mac = NthNumber(request.macFirst, s.macStep, plan.skipped);
        if (!mac || *mac > kLargestMac) return std::string("the next MAC address would pass FF:FF:FF:FF:FF:FF");
        plan.macFirst = *mac;
    }
    return std::nullopt;
}

// Every number and MAC of the run against its width, with a next one for
// the project to keep, and against the manifest's records.
std::optional<std::string> NumbersProblem(const SerializeRequest& request, const ManifestContent* recorded,
                                          SerializePlan& plan) {
    const SerializeSettings& s = request.settings;
    const std::optional<uint64_t> last = NthNumber(plan.first, s.step, plan.count - 1);
    if (!last || *last > s.serial.Largest())
        return Format("serial number %s does not fit %s, which holds at most %s",
                      last ? Number(*last).c_str() : "past 2^64 - 1", SerialPlaceText(s.serial).c_str(),
                      Number(s.serial.Largest()).c_str());
    plan.last = *last;
    // The number after the last is where the next run starts.
    if (!NthNumber(plan.first, s.step, plan.count))
        return std::string("the serial numbers would reach 2^64 - 1 and leave no next number");
    if (s.macAt) {
        const std::optional<uint64_t> macLast = NthNumber(plan.macFirst, s.macStep, plan.count - 1);
        if (!macLast || *macLast > kLargestMac)
            return Format("the MAC addresses from %s by %s would pass FF:FF:FF:FF:FF:FF after %s images",
                          MacText(plan.macFirst).c_str(), Number(s.macStep).c_str(),
                          Number((kLargestMac - plan.macFirst) / s.macStep + 1).c_str());
        plan.macLast = *macLast;
        const std::optional<uint64_t> macNext = NthNumber(plan.macFirst, s.macStep, plan.count);
        if (!macNext || *macNext > kLargestMac)
            return std::string("the MAC addresses would reach FF:FF:FF:FF:FF:FF and leave no next one");
    }
    if (!recorded || request.allowReuse) return std::nullopt;
    if (const ManifestRecord* r = FirstRecorded(*recorded, plan.first, plan.last, s.step, false))
        return Format("serial number %s is recorded already in %s (line %u); give --allow-reuse to issue it again",
                      Number(r->serial).c_str(), s.manifest.c_str(), r->line);
    if (s.macAt)
        if (const ManifestRecord* r = FirstRecorded(*recorded, plan.macFirst, plan.macLast, s.macStep, true))
            return Format("MAC address %s is recorded already in %s (line %u); give --allow-reuse to issue it again",
                          MacText(*r->mac).c_str(), s.manifest.c_str(), r->line);
    return std::nullopt;
}

}  // namespace

std::unique_ptr<SerialBatch> SerialBatch::Plan(const SerializeRequest& request, std::string& problem,
                                               std::vector<std::string>* warnings) {
    auto refuse = [&problem](std::string reason) {
        problem = std::move(reason);
        return std::unique_ptr<SerialBatch>();
    };
    auto state = std::make_unique<State>();
    state->request = request;
    SerializeSettings& s = state->request.settings;
    SerializePlan plan;
    plan.count = request.count;
    plan.step = s.step;
    plan.macStep = s.macStep;
    plan.first = request.first;
    plan.mac = s.macAt.has_value();
    plan.macFirst = request.macFirst;

    // The numbers and the names' pattern first: they need no file.
    if (request.count == 0) return refuse("the count is 0: nothing to write");
    if (request.count > kMaxSerializeCount)
        return refuse(Format("%s images are more than the %s one run writes", Number(request.count).c_str(),
                             Number(kMaxSerializeCount).c_str()));
    if (s.step == 0) return refuse("the step is 0: every image would get the same number");
    if (s.macAt && s.macStep == 0) return refuse("the MAC step is 0: every image would get the same MAC address");
    if (s.macAt && request.macFirst > kLargestMac) return refuse("the first MAC address has more than 48 bits");
    std::string why;
    const std::optional<NamePattern> pattern = NamePattern::Parse(s.pattern, &why);
    if (!pattern) return refuse("the output name " + s.pattern + ": " + why);
    if (request.count > 1 && !pattern->HasPlaceholder())
        return refuse("the output name " + s.pattern +
                      " holds no {serial}, {serial:hex} or {mac}: every image would have the same name");
    if (pattern->UsesMac() && !s.macAt) return refuse("the output name uses {mac}, but no MAC address is written");
    plan.format = FormatOfName(s.pattern);
    if (plan.format == ImageFormat::Elf) return refuse(s.pattern + ": ELF is read, not written");

    // The template, read once for every image, and the places in it.
    s.templatePath = AbsolutePath(s.templatePath);
    ImageRead read;
    const std::optional<std::string> unread = ReadStampImage(s.templatePath, s.base, read);
    plan.warnings = read.warnings;
    if (warnings) *warnings = read.warnings;
    if (unread) return refuse(*unread);
    state->templateImage = std::move(read.image);
    const SparseImage& image = state->templateImage;
    std::vector<Value> values = {{"the serial number", s.serial.at, s.serial.FieldEnd()}};
    if (s.macAt) values.push_back({"the MAC address", *s.macAt, static_cast<uint64_t>(*s.macAt) + kMacWidth});
    if (const std::optional<std::string> p = PlacesProblem(image, values)) return refuse(*p);

    // The manifest, a continued run's start, and every number.
    if (!s.manifest.empty()) s.manifest = AbsolutePath(s.manifest);
    plan.manifest = s.manifest;
    state->header = ManifestHeader(s.fields);
    std::optional<ManifestContent> recorded;
    if (const std::optional<std::string> p = ReadManifestFile(s.manifest, state->header, recorded, plan))
        return refuse(*p);
    if (recorded) state->manifestCutAt = recorded->cutAt;
    state->writeHeader = plan.manifestIsNew;
    if (request.continueAfterRecorded && recorded)
        if (const std::optional<std::string> p = SkipRecorded(state->request, *recorded, plan)) return refuse(*p);
    if (const std::optional<std::string> p = NumbersProblem(state->request, recorded ? &*recorded : nullptr, plan))
        return refuse(*p);

    // The fields, prepared as stamp prepares them, over the image as it is
    // before them: the serial and the MAC written. A field may cover those,
    // written before it, but never lie on them.
    SparseImage probe = image;
    PlaceBytes(probe, s.serial.at, EncodeSerial(s.serial, plan.first), s.fill);
    if (s.macAt) PlaceBytes(probe, *s.macAt, MacBytes(plan.macFirst), s.fill);
    plan.fields = s.fields;
    if (const std::optional<std::string> fieldProblem = PrepareStampFields(probe, plan.fields, plan.format))
        return refuse(s.templatePath + ": " + *fieldProblem);
    for (const FieldSpec& f : plan.fields)
        for (const Value& v : values)
            if (Overlap(f.at, f.FieldEnd(), v.at, v.end))
                return refuse(Format("the field %s would be written over %s at %s", FieldSpecText(f).c_str(), v.what,
                                     Hex32(v.at).c_str()));

    // The names, all in one folder.
    s.pattern = AbsolutePath(s.pattern);
    state->pattern = NamePattern::Parse(s.pattern).value();
    plan.folder = FolderOf(s.pattern);
    if (!FileExists(plan.folder)) return refuse("the folder " + plan.folder + " does not exist");
    std::unique_ptr<SerialBatch> batch(new SerialBatch(std::move(state)));
    batch->plan_ = std::move(plan);
    if (const std::optional<std::string> p = batch->NamesProblem()) return refuse(*p);
    return batch;
}

std::string SerialBatch::NameOf(uint64_t i) const {
    const SerializeSettings& s = state_->request.settings;
    return state_->pattern.Expand(*NthNumber(plan_.first, s.step, i),
                                  plan_.mac ? *NthNumber(plan_.macFirst, s.macStep, i) : 0);
}

std::optional<std::string> SerialBatch::NamesProblem() {
    const SerializeRequest& request = state_->request;
    const SerializeSettings& s = request.settings;
    // The files of the run that no image may replace.
    std::vector<std::string> guarded;
    for (const std::string& g : request.guarded) guarded.push_back(AbsolutePath(g));
    guarded.push_back(s.templatePath);
    if (!s.manifest.empty()) {
        for (const std::string& g : guarded)
            if (SameFile(s.manifest, g)) return "the manifest " + s.manifest + " would replace " + g;
        guarded.push_back(s.manifest);
    }
    for (uint64_t i = 0; i < plan_.count; ++i) {
        const std::string name = NameOf(i);
        const bool exists = FileExists(name);
        for (const std::string& g : guarded)
            if (name == g || (exists && SameFile(name, g)))
                return name + " would replace " + g + ", a file of this run";
        if (!exists) continue;
        if (!FileLength(name)) return name + " is not a regular file";
        if (request.force) {
            if (IsReadOnlyFile(name)) return name + ": the file is read-only";
            continue;
        }
        // A whole image an interrupted run left at its name before it could
        // record it (the leading ones only, with a manifest to record them
        // in): taken as issued, recorded now, never written twice.
        const uint64_t serial = *NthNumber(plan_.first, s.step, i);
        bool adoptable = i == plan_.adopted && !s.manifest.empty();
        if (adoptable) {
            BuiltImage built;
            const uint64_t mac = plan_.mac ? *NthNumber(plan_.macFirst, s.macStep, i) : 0;
            if (const std::optional<std::string> p =
                    BuildImage(state_->templateImage, s, plan_.fields, plan_.format, serial, mac, name, built))
                return name + ": " + *p;
            const std::optional<std::vector<uint8_t>> held = ReadWholeFile(name, built.bytes.size());
            adoptable = held && *held == built.bytes;
        }
        if (!adoptable)
            return Format("%s exists (serial number %s); give --force to replace it", name.c_str(),
                          Number(serial).c_str());
        ++plan_.adopted;
    }
    if (plan_.adopted > 0)
        plan_.notes.push_back(
            Format("%s: the images of serial numbers %s to %s were found whole at their names but "
                   "not recorded (a run ended between writing and recording them): they are "
                   "recorded now, not written again",
                   plan_.folder.c_str(), Number(plan_.first).c_str(),
                   Number(*NthNumber(plan_.first, s.step, plan_.adopted - 1)).c_str()));
    plan_.firstName = NameOf(0);
    plan_.lastName = NameOf(plan_.count - 1);
    return std::nullopt;
}

bool SerialBatch::Fail(std::string reason) {
    failed_ = true;
    reason_ = std::move(reason);
    state_->files.Discard();
    state_->pending.clear();
    return false;
}

bool SerialBatch::Step() {
    if (failed_) return false;
    if (made_ == plan_.count) return true;
    State& st = *state_;
    const SerializeSettings& s = st.request.settings;
    const uint64_t serial = *NthNumber(plan_.first, s.step, made_);
    const uint64_t mac = plan_.mac ? *NthNumber(plan_.macFirst, s.macStep, made_) : 0;
    const std::string path = NameOf(made_);
    const bool adopted = made_ < plan_.adopted;
    BuiltImage built;
    if (const std::optional<std::string> p =
            BuildImage(st.templateImage, s, plan_.fields, plan_.format, serial, mac, path, built))
        return Fail(path + ": " + *p);
    State::Pending pending;
    pending.adopted = adopted;
    ManifestEntry& e = pending.entry;
    e.serial = serial;
    if (plan_.mac) e.mac = mac;
    e.file = path;
    e.size = built.bytes.size();
    for (const WrittenField& w : built.fields) e.values.push_back(w.valueText);
    e.sha256 = Sha256Text(ComputeSha256(built.bytes));
    if (!adopted && !st.files.Add(path, built.bytes.data(), built.bytes.size()))
        return Fail(path + ": " + FileProblem(path, FileUse::Write));
    st.pending.push_back(std::move(pending));
    st.pendingBytes += built.bytes.size();
    ++made_;
    if (made_ == plan_.count || st.pending.size() >= kGroupFiles || st.pendingBytes >= kGroupBytes) return Commit();
    return true;
}

bool SerialBatch::Commit() {
    State& st = *state_;
    if (st.pending.empty()) return true;
    const SerializeRequest& r = st.request;
    size_t named = 0;
    const bool committed = st.files.Commit(r.force, r.sync, named);
    const int commitError = errno;
    // The group's entries that are at their names: the adopted ones, then
    // the ones the commit named.
    size_t ready = 0;
    while (ready < st.pending.size() && st.pending[ready].adopted) ++ready;
    ready += named;
    std::string lines;
    if (ready > 0 && !r.settings.manifest.empty()) {
        if (!st.manifestOpened) {
            if (!st.manifest.Open(r.settings.manifest))
                return Fail(r.settings.manifest + ": " + FileProblem(r.settings.manifest, FileUse::Write));
            st.manifestOpened = true;
            if (st.manifestCutAt && !st.manifest.CutTo(*st.manifestCutAt, r.sync))
                return Fail(r.settings.manifest + ": " + FileProblem(r.settings.manifest, FileUse::Write));
            // A file the run found empty (or holding only a cut header) takes the header.
            if (st.writeHeader && st.manifest.Length() != 0 && !st.manifest.CutTo(0, r.sync))
                return Fail(r.settings.manifest + ": " + FileProblem(r.settings.manifest, FileUse::Write));
        }
        if (st.writeHeader) lines += CsvLine(st.header);
        for (size_t i = 0; i < ready; ++i) lines += CsvLine(ManifestCells(st.pending[i].entry));
        if (!st.manifest.Append(lines, r.sync)) {
            const int error = errno;
            const std::string problem =
                error == ENOSPC ? "the disk is full" : FileProblem(r.settings.manifest, FileUse::Write);
            return Fail(r.settings.manifest + ": " + problem + "; the images of serial numbers " +
                        Number(st.pending.front().entry.serial) + " on are at their names but not recorded");
        }
        st.writeHeader = false;
    }
    for (size_t i = 0; i < ready; ++i) {
        ++issued_;
        if (onIssued_) onIssued_(st.pending[i].entry, st.pending[i].adopted);
    }
    if (!committed) {
        const std::string& path = ready < st.pending.size() ? st.pending[ready].entry.file : plan_.folder;
        errno = commitError;
        const std::string problem = commitError == EEXIST   ? std::string("the name was taken while the run wrote")
                                    : commitError == ENOSPC ? std::string("the disk is full")
                                                            : FileProblem(path, FileUse::Write);
        return Fail(path + ": " + problem);
    }
    st.pending.clear();
    st.pendingBytes = 0;
    return true;
}

bool SerialBatch::Finish() {
    if (failed_) return false;
    return Commit();
}

uint64_t SerialBatch::NextNumber() const { return *NthNumber(plan_.first, state_->request.settings.step, issued_); }

uint64_t SerialBatch::NextMac() const {
    if (!plan_.mac) return 0;
    // The plan made sure the MAC after the run's last exists.
    return *NthNumber(plan_.macFirst, state_->request.settings.macStep, issued_);
}

bool RunSerialBatch(SerialBatch& batch) {
    while (!batch.Done())
        if (!batch.Step()) return false;
    return !batch.Failed();
}

std::string IssuedRangeText(uint64_t first, uint64_t step, uint64_t issued) {
    if (issued == 0) return Localized("无");
    if (issued == 1) return Number(first);
    return Number(first) + Localized(" 至 ") + Number(*NthNumber(first, step, issued - 1));
}

namespace {

// A hex input of the dialog: empty gives `fallback`.
std::optional<uint64_t> HexInput(const std::string& text, unsigned digits, uint64_t fallback) {
    return text.empty() ? std::optional<uint64_t>(fallback) : ParseHexNumber(text, digits);
}

std::optional<uint64_t> NumberInput(const std::string& text, uint64_t fallback) {
    return text.empty() ? std::optional<uint64_t>(fallback) : ParseSerialNumber(text);
}

// The folder and the name as one path: "dev_{serial}.bin" in "/out".
std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

}  // namespace

std::unique_ptr<SerialBatch> StartSerializeTool(const SerializeInputs& in, Prompts& prompts) {
    auto refuse = [&prompts](const std::string& message, const std::string& reason) {
        ShowNotice(prompts, message);
        ExplainFailure(prompts, 0, "", reason);
        return std::unique_ptr<SerialBatch>();
    };
    if (in.templatePath.empty()) return refuse(kSerializeNoTemplateMessage, "no template was chosen");
    SerializeRequest request;
    SerializeSettings& s = request.settings;
    s.templatePath = in.templatePath;
    struct Hex {
        const std::string& text;
        unsigned digits;
        uint64_t fallback;
        const char* what;
        const char* english;
    };
    const Hex hexes[] = {
        {in.baseText, 8, 0, Localized("BIN文件的起始地址"), "the base address takes 1 to 8 hex digits"},
        {in.fillText, 2, 0xFF, Localized("填充数据"), "the fill byte takes 1 or 2 hex digits"},
        {in.serialAtText, 8, UINT64_MAX, Localized("序列号地址"), "the serial number's address takes 1 to 8 hex digits"},
        {in.mac ? in.macAtText : std::string(), 8, 0, Localized("MAC地址的写入地址"),
         "the MAC address's place takes 1 to 8 hex digits"},
    };
    uint64_t values[4] = {};
    for (size_t i = 0; i < std::size(hexes); ++i) {
        const Hex& h = hexes[i];
        const std::optional<uint64_t> v = HexInput(h.text, h.digits, h.fallback);
        if (!v || *v == UINT64_MAX) return refuse(Format(Localized(kSerializeBadHexFormat), h.what, h.digits), h.english);
        values[i] = *v;
    }
    s.base = static_cast<uint32_t>(values[0]);
    s.fill = static_cast<uint8_t>(values[1]);
    s.serial.at = static_cast<uint32_t>(values[2]);
    s.serial.kind = in.kind;
    s.serial.bigEndian = in.bigEndian;
    s.serial.digits = in.kind == SerialKind::Decimal || in.kind == SerialKind::Hex ? in.digits : 0;
    struct Decimal {
        const std::string& text;
        uint64_t fallback;
        const char* what;
        const char* english;
    };
    const Decimal decimals[] = {
        {in.firstText, UINT64_MAX, Localized("起始序列号"), "the first serial number is no number"},
        {in.stepText, 1, Localized("序列号步长"), "the step is no number"},
        {in.countText, UINT64_MAX, Localized("数量"), "the count is no number"},
        {in.mac ? in.macStepText : std::string(), 1, Localized("MAC地址步长"), "the MAC step is no number"},
    };
    uint64_t numbers[4] = {};
    for (size_t i = 0; i < std::size(decimals); ++i) {
        const Decimal& d = decimals[i];
        // An empty first number or count is no number either.
        const std::optional<uint64_t> v =
            d.text.empty() && d.fallback == UINT64_MAX ? std::nullopt : NumberInput(d.text, d.fallback);
        if (!v) return refuse(Format(Localized(kSerializeBadNumberFormat), d.what), d.english);
        numbers[i] = *v;
    }
    request.first = numbers[0];
    s.step = numbers[1];
    request.count = numbers[2];
    s.macStep = numbers[3];
    if (in.mac) {
        const std::optional<uint64_t> mac = ParseMac(in.macFirstText);
        if (!mac) return refuse(kSerializeBadMacMessage, "the first MAC address is no MAC address");
        s.macAt = static_cast<uint32_t>(values[3]);
        request.macFirst = *mac;
    }
    s.fields = in.fields;
    if (in.folder.empty()) return refuse(kSerializeNoFolderMessage, "no output folder was chosen");
    if (in.name.empty()) return refuse(kSerializeNoNameMessage, "no output name was given");
    s.pattern = JoinPath(in.folder, in.name);
    s.manifest = in.manifest;

    std::string problem;
    std::unique_ptr<SerialBatch> batch = SerialBatch::Plan(request, problem);
    if (!batch) return refuse(kSerializeRefusedMessage, problem);
    const SerializePlan& plan = batch->plan();
    std::string text = Format(Localized(kSerializeConfirmHeadFormat), static_cast<unsigned long long>(plan.count));
    text += "\n" + Format(Localized(kSerializeConfirmSerialsFormat), IssuedRangeText(plan.first, s.step, plan.count).c_str());
    if (plan.mac)
        text +=
            "\n" + Format(Localized(kSerializeConfirmMacsFormat), MacText(plan.macFirst).c_str(), MacText(plan.macLast).c_str());
    text += "\n" + Format(Localized(kSerializeConfirmFirstFormat), plan.firstName.c_str());
    if (plan.count > 1) text += "\n" + Format(Localized(kSerializeConfirmLastFormat), plan.lastName.c_str());
    text += "\n" + (s.manifest.empty() ? std::string(Localized(kSerializeConfirmNoManifest))
                                       : Format(Localized(kSerializeConfirmManifestFormat), AbsolutePath(s.manifest).c_str()));
    for (const std::string& note : plan.notes) text += "\n" + ShownReason(note);
    text += "\n\n" + std::string(Localized(kSerializeConfirmQuestion));
    const Answer answer =
        prompts.Show(MessageBox{text, kSerializeCaption, MessageIcon::Question, MessageButtons::YesNo});
    if (answer != Answer::Yes) return nullptr;
    return batch;
}

void ShowSerializeSummary(const SerialBatch& batch, bool cancelled, Prompts& prompts) {
    const SerializePlan& plan = batch.plan();
    const unsigned long long issued = batch.Issued();
    const std::string numbers = IssuedRangeText(plan.first, plan.step, batch.Issued());
    const char* format = batch.Failed() ? kSerializeFailedFormat
                         : cancelled    ? kSerializeCancelledFormat
                                        : kSerializeDoneFormat;
    std::string text = Format(Localized(format), issued, numbers.c_str());
    if (!plan.manifest.empty()) text += "\n" + Format(Localized(kSerializeConfirmManifestFormat), plan.manifest.c_str());
    if (batch.Failed()) {
        ShowStop(prompts, text);
        ExplainFailure(prompts, 0, "", batch.reason());
        return;
    }
    if (cancelled)
        ShowWarning(prompts, text);
    else
        ShowInformation(prompts, text);
}

std::optional<std::string> BrowseSerialTemplate(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kSerializeTemplateFilter;
    dialog.kind = FileKind::SerialTemplate;
    return prompts.OpenFile(dialog);
}

std::optional<SerialOutputChoice> BrowseSerialOutput(Prompts& prompts, const std::string& folder,
                                                     const std::string& name) {
    FileDialog dialog;
    dialog.filter = kSerializeOutputFilter;
    dialog.kind = FileKind::SerialOutput;
    dialog.proposedName = name.empty() ? "{serial}.bin" : name;
    dialog.initialFolder = folder;
    const std::optional<std::string> path = prompts.SaveFile(dialog);
    if (!path) return std::nullopt;
    SerialOutputChoice choice;
    choice.folder = FolderOf(*path);
    choice.name = FileNameOf(*path);
    const std::optional<NamePattern> pattern = NamePattern::Parse(choice.name);
    if (!pattern || !pattern->HasPlaceholder()) {
        const size_t dot = choice.name.find_last_of('.');
        choice.name = dot == std::string::npos || dot == 0
                          ? choice.name + "_{serial}"
                          : choice.name.substr(0, dot) + "_{serial}" + choice.name.substr(dot);
    }
    return choice;
}

std::optional<std::string> BrowseSerialManifest(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kSerializeManifestFilter;
    dialog.defaultExtension = "csv";
    dialog.kind = FileKind::SerialManifest;
    dialog.allowNewFile = true;
    return prompts.OpenFile(dialog);
}

}  // namespace torvane
