#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/integrity_fields.h"
#include "formats/image_formats.h"
#include "tools/serialize/manifest.h"
#include "tools/serialize/serial_number.h"

namespace torvane {

class Prompts;

// "批量生成序列号映像": one image per device from one template, each with its
// own serial number (and MAC address), the integrity fields computed after
// them, and a manifest line for each image written.

// The most images one run writes.
inline constexpr uint64_t kMaxSerializeCount = 1000000;

// What a run writes, and what a project keeps of it.
struct SerializeSettings {
    std::string templatePath;  // any format the rows read, by its name
    uint32_t base = 0;         // the address of a BIN template's first byte
    uint8_t fill = 0xFF;       // range bytes the image lacks, and the gap before a value past its end
    SerialPlace serial;
    uint64_t step = 1;
    std::optional<uint32_t> macAt;  // where the MAC goes; none without one
    uint64_t macStep = 1;
    std::vector<FieldSpec> fields;  // written in their order, after the serial and the MAC
    std::string pattern;            // the output names (NamePattern); the format by its ending
    std::string manifest;           // the CSV record; empty for none
};

struct SerializeRequest {
    SerializeSettings settings;
    uint64_t first = 0;       // the first serial number
    uint64_t macFirst = 0;    // the first MAC, when settings.macAt is set
    uint64_t count = 0;       // images, 1 to kMaxSerializeCount
    bool force = false;       // an existing file of an output name is replaced
    bool allowReuse = false;  // numbers the manifest records already may be issued again
    // A continued run (run serialize): the numbers the manifest records one
    // after another from `first` on were issued by a run that ended before
    // it could say so in the project; this run starts after them.
    bool continueAfterRecorded = false;
    // With `sync`, images, manifest lines and folders are on disk before
    // they count as issued (see FileBatch).
    bool sync = true;
    // Files no output may be (the project of the run).
    std::vector<std::string> guarded;
};

// What a run will do, found before any file is written.
struct SerializePlan {
    uint64_t first = 0, last = 0, count = 0, step = 1;
    uint64_t macFirst = 0, macLast = 0, macStep = 1;
    bool mac = false;
    std::string manifest;             // its full path; empty for none
    std::string firstName, lastName;  // full paths
    std::string folder;               // where every image goes
    ImageFormat format = ImageFormat::Binary;
    std::vector<FieldSpec> fields;  // as they will be written
    uint64_t skipped = 0;           // numbers found recorded from the request's first on (continued run)
    uint64_t adopted = 0;           // leading images found whole at their names but not recorded
    bool manifestIsNew = false;
    // What the run found that a person should hear about, in English: the
    // numbers skipped, images adopted, a manifest line cut short.
    std::vector<std::string> notes;
    std::vector<std::string> warnings;  // of the template, read all the same
};

// One image written (or adopted) and recorded.
using IssuedCallback = std::function<void(const ManifestEntry& entry, bool adopted)>;

// A run of images, written one Step at a time so that a window stays
// responsive. Images go out in groups: a group's images are synced together,
// then take their names, then their manifest lines are appended and synced.
// A number is issued once its image is at its name and its line is on disk.
class SerialBatch {
public:
    // Checks the whole run before anything is written: the template, the
    // places of the serial, the MAC and the fields, every number against its
    // width, every name (an existing file is refused unless `force`; a whole
    // image found where an interrupted run left it, not yet recorded, is
    // taken as issued), the manifest's columns and the numbers it records
    // (refused unless `allowReuse`). Null, with the reason in English, when
    // the run cannot be made.
    static std::unique_ptr<SerialBatch> Plan(const SerializeRequest& request, std::string& problem,
                                             std::vector<std::string>* warnings = nullptr);
    ~SerialBatch();

    const SerializePlan& plan() const { return plan_; }
    void SetIssuedCallback(IssuedCallback callback) { onIssued_ = std::move(callback); }

    // Makes the next image; at the end of a group (and of the run) the group
    // is committed. False, with reason(), when it failed: what was issued
    // before stays issued, nothing more is written.
    bool Step();
    // Commits the images made so far (the end of a run that stops early).
    bool Finish();
    bool Done() const { return failed_ || made_ == plan_.count; }
    bool Failed() const { return failed_; }
    const std::string& reason() const { return reason_; }

    uint64_t Made() const { return made_; }      // images made, committed or not
    uint64_t Issued() const { return issued_; }  // images at their names with their lines on disk
    // The first number not issued, and its MAC: what the project keeps next.
    uint64_t NextNumber() const;
    uint64_t NextMac() const;

private:
    struct State;
    explicit SerialBatch(std::unique_ptr<State> state);
    // The full name of image `i` of the run.
    std::string NameOf(uint64_t i) const;
    // Every name checked: free, adopted (counted in the plan) or to be
    // replaced; the problem of the first that is none of those.
    std::optional<std::string> NamesProblem();
    bool Commit();
    bool Fail(std::string reason);

    std::unique_ptr<State> state_;
    SerializePlan plan_;
    IssuedCallback onIssued_;
    uint64_t made_ = 0;
    uint64_t issued_ = 0;
    bool failed_ = false;
    std::string reason_;
};

// Runs a batch to its end. True when every image was issued.
bool RunSerialBatch(SerialBatch& batch);

// The window's words.
inline constexpr const char* kSerializeCaption = "批量生成序列号映像";
inline constexpr const char* kSerializeHint =
    "以一个模板映像为每台设备生成一个映像：写入各自的序列号（和MAC地址），再按顺序写入校验值字段，"
    "并在记录文件（CSV）中为每个映像记一行。";
inline constexpr const char* kSerializeNoTemplateMessage = "请选择模板映像！";
inline constexpr const char* kSerializeNoFolderMessage = "请选择输出文件夹！";
inline constexpr const char* kSerializeNoNameMessage = "请填写输出文件名！";
inline constexpr const char* kSerializeBadHexFormat = "%s应为1到%d位十六进制数！";
inline constexpr const char* kSerializeBadNumberFormat = "%s应为十进制数，或0x开头的十六进制数！";
inline constexpr const char* kSerializeBadMacMessage = "起始MAC地址应为6个字节，如00:11:22:AA:BB:CC！";
inline constexpr const char* kSerializeRefusedMessage = "无法生成序列号映像！";
inline constexpr const char* kSerializeConfirmHeadFormat = "将生成%llu个映像：";
inline constexpr const char* kSerializeConfirmSerialsFormat = "序列号：%s";
inline constexpr const char* kSerializeConfirmMacsFormat = "MAC地址：%s 至 %s";
inline constexpr const char* kSerializeConfirmFirstFormat = "第一个文件：%s";
inline constexpr const char* kSerializeConfirmLastFormat = "最后一个文件：%s";
inline constexpr const char* kSerializeConfirmManifestFormat = "记录文件：%s";
inline constexpr const char* kSerializeConfirmNoManifest = "没有记录文件：不检查序列号是否已使用过。";
inline constexpr const char* kSerializeConfirmQuestion = "是否开始？";
inline constexpr const char* kSerializeProgressFormat = "正在生成映像……（%llu / %llu）";
inline constexpr const char* kSerializeCancelText = "取消";
inline constexpr const char* kSerializeDoneFormat = "已生成%llu个映像，序列号：%s。";
inline constexpr const char* kSerializeCancelledFormat = "已取消。已生成%llu个映像，序列号：%s。";
inline constexpr const char* kSerializeFailedFormat = "生成映像时出错！已生成%llu个映像，序列号：%s。";
inline constexpr const char* kSerializeTemplateFilter =
    "映像文件(*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx;*.elf;*.axf)|"
    "*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx;*.elf;*.axf|所有文件 (*.*)|*.*||";
inline constexpr const char* kSerializeOutputFilter =
    "映像文件(*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*.sx)|*.bin;*.hex;*.ihx;*.s19;*.s28;*.s37;*.srec;*.mot;*"
    ".sx|"
    "所有文件 (*.*)|*.*||";
inline constexpr const char* kSerializeManifestFilter = "CSV文件(*.csv)|*.csv|所有文件 (*.*)|*.*||";

// What the dialog holds when its button is pressed.
struct SerializeInputs {
    std::string templatePath;
    std::string baseText;      // a BIN template's first address, hex; empty for 0
    std::string fillText;      // hex; empty for FF
    std::string serialAtText;  // hex
    SerialKind kind = SerialKind::U32;
    int digits = 8;  // Decimal, Hex
    bool bigEndian = false;
    std::string firstText, stepText, countText;  // empty step: 1
    bool mac = false;
    std::string macAtText, macFirstText, macStepText;  // empty step: 1
    std::vector<FieldSpec> fields;
    std::string folder;    // where the images go
    std::string name;      // their name pattern
    std::string manifest;  // empty for none
};

// The dialog's start: the inputs checked in their order (a box names the
// first that is wrong), the run planned (a box with the reason when it
// cannot be made) and the question that shows the first and last numbers
// and names (Yes starts). The batch to run, or null when it does not start.
std::unique_ptr<SerialBatch> StartSerializeTool(const SerializeInputs& inputs, Prompts& prompts);

// The box at the end of the dialog's run: how many images, which numbers,
// the manifest; with the reason when it failed.
void ShowSerializeSummary(const SerialBatch& batch, bool cancelled, Prompts& prompts);

// The file dialogs: the template; where the images go (the folder and the
// name pattern of the path chosen; a name without a placeholder gets
// "_{serial}" before its ending); the manifest.
std::optional<std::string> BrowseSerialTemplate(Prompts& prompts);
struct SerialOutputChoice {
    std::string folder;
    std::string name;
};
std::optional<SerialOutputChoice> BrowseSerialOutput(Prompts& prompts, const std::string& folder,
                                                     const std::string& name);
std::optional<std::string> BrowseSerialManifest(Prompts& prompts);

// The serial numbers of a run that issued `issued` numbers from `first` by
// `step`, as the summary says them: "1000", "1000 至 1999", "无".
std::string IssuedRangeText(uint64_t first, uint64_t step, uint64_t issued);

}  // namespace torvane
