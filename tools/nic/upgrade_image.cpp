#include "tools/nic/upgrade_image.h"

#include "core/messages.h"

#include <algorithm>

#include "core/operation_log.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"

namespace torvane {
namespace {

// Writes the output of one image and reports it. `cdrom` picks the texts of
// image A, otherwise those of image B. True when the output was written.
bool ProcessImage(const std::string& path, bool cdrom, const NicConfigBody& body, bool production,
                  OperationLog& list, Prompts& prompts) {
    if (!FileExists(path)) {
        const std::string problem = FileProblem(path, FileUse::Read);
        // The spaces around '+' belong to this one text.
        list.Addf(cdrom ? Localized("升级文件 + CDROM不存在！\r\n") : Localized("升级文件不存在！\r\n"));
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    ReadFailure why = ReadFailure::Unreadable;
    std::optional<std::vector<uint8_t>> image = ReadWholeFile(path, kUpgradeImageMaxSize, &why);
    if (!image && why == ReadFailure::TooLarge) {
        const auto size = static_cast<unsigned long long>(FileLength(path).value_or(kUpgradeImageMaxSize + 1));
        list.Addf(cdrom ? Localized("升级文件+CDROM长度为%llu字节,超过64MB,无法写入网卡配置！\r\n")
                          : Localized("升级文件长度为%llu字节,超过64MB,无法写入网卡配置！\r\n"),
                    size);
        ExplainFailure(prompts, 0, path,
                       Format("the image is %llu bytes long, more than the %llu bytes (64 MiB) an image may be", size,
                              static_cast<unsigned long long>(kUpgradeImageMaxSize)));
        return false;
    }
    if (!image && why == ReadFailure::NoMemory) {
        list.Addf(cdrom ? Localized("升级文件+CDROM生成失败,内存不足！\r\n") : Localized("升级文件生成失败,内存不足！\r\n"));
        ExplainFailure(prompts, 0, path, "out of memory");
        return false;
    }
    if (!image) {
        const std::string problem = FileProblem(path, FileUse::Read);
        list.Addf(cdrom ? Localized("升级文件+CDROM打开失败！\r\n") : Localized("升级文件打开失败！\r\n"));
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    // Placed in the buffer read, so the image is held once, not twice.
    if (!PlaceUpgradeSettings(*image, body, production)) {
        const auto size = static_cast<unsigned long long>(image->size());
        list.Addf(cdrom ? Localized("升级文件+CDROM长度为%llu字节,不足16648字节,无法写入网卡配置！\r\n")
                          : Localized("升级文件长度为%llu字节,不足16648字节,无法写入网卡配置！\r\n"),
                    size);
        ExplainFailure(prompts, 0, path,
                       Format("the image is %llu bytes long; the settings at 0x%llX need at least %llu bytes", size,
                              static_cast<unsigned long long>(kNicSettingsOffset),
                              static_cast<unsigned long long>(kUpgradeImageMinSize)));
        return false;
    }
    const std::string output = UpgradeOutputPath(path, production);
    // A read-only output is refused even where the process could write it anyway.
    if (IsReadOnlyFile(output) || !WriteWholeFile(output, image->data(), image->size())) {
        const std::string problem = FileProblem(output, FileUse::Write);
        list.Addf(cdrom ? Localized("升级文件+CDROM生成失败,无法写入文件%s！\r\n")
                                            : Localized("升级文件生成失败,无法写入文件%s！\r\n"),
                    output.c_str());
        ExplainFailure(prompts, 0, output, problem);
        return false;
    }
    list.Addf(cdrom ? (production ? Localized("升级文件+CDROM合并用于生产生成成功,文件名为%s！\r\n")
                                    : Localized("升级文件+CDROM合并生成成功,文件名为%s！\r\n"))
                      : (production ? Localized("升级文件合并用于生产生成成功,文件名为%s！\r\n")
                                    : Localized("升级文件合并生成成功,文件名为%s！\r\n")),
                output.c_str());
    return true;
}

// Appends the line and returns true when an output of the command would
// replace one of its other files: the configuration, an input image (for A's
// output, image B before B is read) or, for B's, the output of A.
bool RefuseOverwrites(const std::string& cdromImagePath, const std::string& imagePath,
                      const std::string& configPath, bool production, OperationLog& list, Prompts& prompts) {
    const std::string outA = cdromImagePath.empty() ? std::string() : UpgradeOutputPath(cdromImagePath, production);
    const std::string outB = imagePath.empty() ? std::string() : UpgradeOutputPath(imagePath, production);
    for (const bool cdrom : {true, false}) {
        const std::string& output = cdrom ? outA : outB;
        if (output.empty()) continue;
        for (const std::string* other : {&configPath, &cdromImagePath, &imagePath, cdrom ? nullptr : &outA}) {
            if (other == nullptr || !SameFile(output, *other)) continue;
            list.Addf(cdrom ? Localized("升级文件+CDROM生成失败,生成的文件%s会覆盖%s！\r\n")
                              : Localized("升级文件生成失败,生成的文件%s会覆盖%s！\r\n"),
                        output.c_str(), other->c_str());
            const char* role = other == &configPath ? "the configuration file"
                               : other == &outA    ? "the output of the other image"
                                                   : "an input image";
            ExplainFailure(prompts, 0, output, Format("the output would replace %s %s", role, other->c_str()));
            return true;
        }
    }
    return false;
}

bool GenerateUpgradeFiles(const std::string& cdromImagePath, const std::string& imagePath,
                          const std::string& configPath, bool production, OperationLog& list, Prompts& prompts) {
    if (cdromImagePath.empty() && imagePath.empty()) {
        ShowNotice(prompts, kChooseUpgradeFileMessage);
        ExplainFailure(prompts, 0, "", "no upgrade image was given");
        return false;
    }
    // Read again for every command, so a production run never leaves its
    // blanking behind for the next one.
    NicConfigBody body{};
    if (!LoadNicConfig(configPath, body, list, prompts)) return false;
    if (RefuseOverwrites(cdromImagePath, imagePath, configPath, production, list, prompts)) return false;
    if (!cdromImagePath.empty() && !ProcessImage(cdromImagePath, true, body, production, list, prompts)) return false;
    if (!imagePath.empty() && !ProcessImage(imagePath, false, body, production, list, prompts)) return false;
    return true;
}

}  // namespace

NicConfigBody BlankForProduction(NicConfigBody body) {
    std::fill_n(body.begin() + kNicModuleMacOffset, kNicModuleMacSize, uint8_t{0});
    std::fill_n(body.begin() + kNicSerialDescriptorOffset, kProductionSerialBlankSize, uint8_t{0});
    return body;
}

bool PlaceUpgradeSettings(std::span<uint8_t> image, const NicConfigBody& body, bool production) {
    if (image.size() < kUpgradeImageMinSize) return false;
    const NicConfigBody placed = production ? BlankForProduction(body) : body;
    std::copy(placed.begin(), placed.end(), image.begin() + kNicSettingsOffset);
    return true;
}

std::optional<std::vector<uint8_t>> BuildUpgradeImage(std::span<const uint8_t> image, const NicConfigBody& body,
                                                      bool production) {
    if (image.size() < kUpgradeImageMinSize) return std::nullopt;
    std::vector<uint8_t> out(image.begin(), image.end());
    PlaceUpgradeSettings(out, body, production);
    return out;
}

std::string UpgradeOutputPath(const std::string& input, bool production) {
    const char* suffix = production ? "_newforproduction." : "_new.";
    const size_t slash = input.find_last_of(std::string{'/', kPathSeparator});
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = input.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        // No extension to split at: the suffix, without its dot, ends the name,
        // which keeps the output beside the input.
        std::string out = input + suffix;
        out.pop_back();
        return out;
    }
    return input.substr(0, dot) + suffix + input.substr(dot + 1);
}

bool GenerateMergedFiles(const std::string& cdromImagePath, const std::string& imagePath,
                         const std::string& configPath, OperationLog& list, Prompts& prompts) {
    return GenerateUpgradeFiles(cdromImagePath, imagePath, configPath, false, list, prompts);
}

bool GenerateProductionFiles(const std::string& cdromImagePath, const std::string& imagePath,
                             const std::string& configPath, OperationLog& list, Prompts& prompts) {
    return GenerateUpgradeFiles(cdromImagePath, imagePath, configPath, true, list, prompts);
}

}  // namespace torvane
