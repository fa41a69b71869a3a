#include "tools/stamp/stamp_tool.h"

#include "core/messages.h"

#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"
#include "core/file_entry.h"

namespace torvane {

std::optional<std::string> RunStampTool(const StampInputs& inputs, Prompts& prompts, uint32_t* writtenAt) {
    if (inputs.input.empty()) {
        ShowNotice(prompts, kStampNoInputMessage);
        ExplainFailure(prompts, 0, "", "no image file was chosen");
        return std::nullopt;
    }
    if (inputs.output.empty()) {
        ShowNotice(prompts, kStampNoOutputMessage);
        ExplainFailure(prompts, 0, "", "no output file was given");
        return std::nullopt;
    }
    StampRequest request;
    request.input = inputs.input;
    request.output = inputs.output;
    request.fields = {inputs.field};
    const std::optional<uint64_t> base = inputs.baseText.empty() ? std::optional<uint64_t>(0)
                                                                 : ParseHexNumber(inputs.baseText, 8);
    const std::optional<uint64_t> fill = inputs.fillText.empty() ? std::optional<uint64_t>(0xFF)
                                                                 : ParseHexNumber(inputs.fillText, 2);
    if (!base || !fill) {
        ShowNotice(prompts, Format(Localized(kStampBadNumberFormat), base ? Localized("填充数据") : Localized("BIN文件的起始地址"), base ? 2 : 8));
        ExplainFailure(prompts, 0, "", base ? "the fill byte takes 1 or 2 hex digits"
                                            : "the base address takes 1 to 8 hex digits");
        return std::nullopt;
    }
    request.base = static_cast<uint32_t>(*base);
    request.fill = static_cast<uint8_t>(*fill);
    const std::string in = AbsolutePath(inputs.input);
    const std::string out = AbsolutePath(inputs.output);
    // A name ending in a separator is no output; the stamp refuses it below.
    if (!EndsInSeparator(inputs.output) && (in == out || SameFile(in, out))) {
        const Answer a = prompts.Show(MessageBox{kStampOntoInputMessage, kStampCaption, MessageIcon::Question,
                                                 MessageButtons::YesNo});
        if (a != Answer::Yes) return std::nullopt;
        request.inPlace = true;
    }
    const StampResult result = StampImage(request);
    if (!result.ok) {
        ShowNotice(prompts, kStampFailedMessage);
        ExplainFailure(prompts, 0, in, result.reason);
        return std::nullopt;
    }
    ShowInformation(prompts, Format(Localized(kStampDoneFormat), out.c_str()));
    if (writtenAt) *writtenAt = result.written.front().field.at;
    return result.written.front().valueText;
}

std::optional<std::string> BrowseStampImage(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kStampFileFilter;
    dialog.kind = FileKind::StampImage;
    return prompts.OpenFile(dialog);
}

std::optional<std::string> BrowseStampOutput(Prompts& prompts, const std::string& input) {
    FileDialog dialog;
    dialog.filter = kStampOutputFilter;
    dialog.kind = FileKind::StampOutput;
    dialog.overwritePrompt = true;
    // Beside the image, with its name and format: "app.hex" proposes "app_crc.hex".
    const std::string name = FileNameOf(input);
    const size_t dot = name.find_last_of('.');
    if (!name.empty())
        dialog.proposedName = dot == std::string::npos ? name + "_crc" : name.substr(0, dot) + "_crc" + name.substr(dot);
    return prompts.SaveFile(dialog);
}

std::string FieldNameCaption(const std::string& name) {
    struct Caption {
        const char* name;
        const char* words;
    };
    static constexpr Caption kCaptions[] = {
        {"add8", "8位累加和"},
        {"add16", "16位累加和"},
        {"add32", "32位累加和"},
        {"sum8", "校验和，同校验工具"},
        {"sum16", "2字节校验和，同校验工具"},
        {"sum32", "4字节校验和，同校验工具"},
        {"sum64", "8字节校验和，同校验工具"},
        {"length32", "范围的字节数，32位"},
        {"sha256", "SHA-256摘要，32字节"},
        {"STM32", "STM32的CRC单元：CRC-32/MPEG-2，按32位小端字计算"},
    };
    for (const Caption& c : kCaptions)
        if (name == c.name) return name + Localized("（") + Localized(c.words) + Localized("）");
    return name;
}

StampResult StampImage(const StampRequest& request) {
    StampResult result;
    auto fail = [&](std::string reason) {
        result.reason = std::move(reason);
        return result;
    };
    if (request.fields.empty()) return fail("no field was given");
    // Made absolute, "app.hex/" would lose its separator and name the image.
    if (EndsInSeparator(request.output)) return fail(request.output + ": " + kNamesAFolderReason);
    const ImageFormat target = FormatOfName(request.output);
    if (target == ImageFormat::Elf) return fail(request.output + ": ELF is read, not written");
    const std::string inPath = AbsolutePath(request.input);
    const std::string outPath = AbsolutePath(request.output);
    if (!request.inPlace && (inPath == outPath || SameFile(inPath, outPath))) {
        result.ontoInput = true;
        return fail(outPath + ": the output would replace the image");
    }

    ImageRead read;
    const std::optional<std::string> unread = ReadStampImage(inPath, request.base, read);
    result.warnings = read.warnings;
    if (unread) return fail(*unread);
    SparseImage& image = read.image;
    // Every word resolved, every field and every size checked before
    // anything is written or any memory is taken for the image's growth.
    std::vector<FieldSpec> fields = request.fields;
    bool ofOutput = false;
    if (const std::optional<std::string> problem = PrepareStampFields(image, fields, target, &ofOutput))
        return fail((ofOutput ? outPath : inPath) + ": " + *problem);
    std::vector<WrittenField> written = WriteFields(image, request.fill, fields);
    if (const std::optional<std::string> problem =
            SaveImageFile(target, image, image.lowest(), image.end(), request.fill, request.write, outPath))
        return fail(outPath + ": " + *problem);
    result.ok = true;
    result.written = std::move(written);
    return result;
}

std::optional<std::string> ReadStampImage(const std::string& path, uint32_t base, ImageRead& read) {
    ReadFailure why = ReadFailure::Unreadable;
    const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, kStampReadLimit, &why);
    if (!bytes)
        return path + ": " + (why == ReadFailure::TooLarge ? std::string("the file is larger than 256 MiB")
                                                            : FileProblem(path, FileUse::Read));
    read = ReadImage(FormatOfName(path), *bytes, base);
    if (!read.ok()) return path + ": " + read.reason;
    if (read.image.empty()) return path + ": the image holds no byte";
    return std::nullopt;
}

std::optional<std::string> PrepareStampFields(const SparseImage& image, std::vector<FieldSpec>& fields,
                                              ImageFormat target, bool* ofOutput) {
    if (ofOutput) *ofOutput = false;
    // The words name the image's own addresses: "start" its lowest, "end"
    // one past its highest (and past each field that extends it).
    std::string unresolved;
    std::optional<std::vector<FieldSpec>> resolved = ResolveFields(fields, image.lowest(), image.end(), &unresolved);
    if (!resolved) return unresolved;
    fields = std::move(*resolved);
    if (const std::optional<std::string> problem = FieldsProblem(fields, image.lowest(), kAddressSpaceEnd))
        return problem;
    if (const std::optional<std::string> problem = FieldsGrowthProblem(fields, image.end(), kBinOutputLimit))
        return problem;
    const uint64_t end = ImageEndWithFields(fields, image.end());
    if (target == ImageFormat::Binary && end - image.lowest() > kBinOutputLimit) {
        if (ofOutput) *ofOutput = true;
        return Format("a BIN of 0x%08X-0x%08llX would need more than 64 MiB", image.lowest(),
                      static_cast<unsigned long long>(end - 1));
    }
    return std::nullopt;
}

}  // namespace torvane
