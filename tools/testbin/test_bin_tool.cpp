#include "tools/testbin/test_bin_tool.h"

#include <new>
#include <vector>

#include "core/file_entry.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "core/hex_field_key.h"

namespace torvane {

std::string TestBinDefaultPath() {
    std::string folder = DefaultFilesFolder();
    if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
    return folder + kTestBinFileName;
}

TestBinForm StartTestBinForm(const std::string& defaultPath) {
    TestBinForm form;
    form.LengthText = "1024";
    form.StartText = "000000";
    form.EndText = "0003FF";
    form.Random = true;
    form.PathText = defaultPath;
    return form;
}

void ResetTestBinForm(TestBinForm& form, const std::string& defaultPath) {
    form.LengthText.clear();
    form.StartText.clear();
    form.FillText.clear();
    form.EndText.clear();  // the length edit sets it first; this empty text wins
    form.PathText = defaultPath;
}

std::string EndFieldText(const std::string& lengthText) {
    const uint32_t length = static_cast<uint32_t>(ParseDecimalField(lengthText));
    return Format("%.6X", static_cast<unsigned>(length - 1u));
}

bool TestBinFieldAcceptsKey(TestBinField field, char32_t ch) {
    switch (field) {
        case TestBinField::Start:
        case TestBinField::End:
        case TestBinField::Fill: return AcceptsHexFieldKey(ch);
        case TestBinField::Length:
        case TestBinField::Path: return true;
    }
    return true;
}

std::optional<std::string> BrowseTestBinPath(Prompts& prompts) {
    FileDialog dialog;
    dialog.filter = kTestBinFilter;
    dialog.kind = FileKind::TestBinOutput;
    return prompts.OpenFile(dialog);
}

bool GenerateTestBin(const TestBinForm& form, Prompts& prompts, RandomValues values) {
    const std::string& path = form.PathText;
    if (path.empty()) {
        ShowWarning(prompts, kTestBinNoPathMessage);
        ExplainFailure(prompts, 0, path, "no output file was given");
        return false;
    }
    const int32_t length = ParseDecimalField(form.LengthText);
    if (length == 0) {
        ShowWarning(prompts, kTestBinNoLengthMessage);
        ExplainFailure(prompts, 0, path, "the length is 0");
        return false;
    }
    if (length > static_cast<int32_t>(kMaxTestImageLength)) {
        ShowWarning(prompts, kTestBinTooLongMessage);
        ExplainFailure(prompts, 0, path,
                       Format("the length %d is more than the %u bytes (2 MiB) of a test file", length,
                              static_cast<unsigned>(kMaxTestImageLength)));
        return false;
    }
    // A negative length fails here, as every start does. A start that reads as
    // negative (eight digits from 80000000 on, or more than eight) is past any
    // length too, instead of slipping through the comparisons below.
    const int32_t start = ParseHexField(form.StartText);
    if (start < 0 || start > length) {
        ShowWarning(prompts, kTestBinStartPastLengthMessage);
        ExplainFailure(prompts, 0, path,
                       Format("the first filled address 0x%X lies past the length %d (0x%X)",
                              static_cast<uint32_t>(start), length, static_cast<uint32_t>(length)));
        return false;
    }
    // A negative end is below every start and is caught by the next check.
    const int32_t end = ParseHexField(form.EndText);
    if (end > length - 1) {
        ShowWarning(prompts, kTestBinEndPastLengthMessage);
        ExplainFailure(prompts, 0, path,
                       Format("the last filled address 0x%X lies past the file's last byte 0x%X",
                              static_cast<uint32_t>(end), static_cast<uint32_t>(length - 1)));
        return false;
    }
    if (end < start) {
        ShowWarning(prompts, kTestBinStartPastEndMessage);
        ExplainFailure(prompts, 0, path,
                       Format("the first filled address 0x%X lies past the last one 0x%X",
                              static_cast<uint32_t>(start), static_cast<uint32_t>(end)));
        return false;
    }

    const uint8_t fill = form.Random ? 0 : static_cast<uint8_t>(ParseHexField(form.FillText) & 0xFF);
    std::optional<std::vector<uint8_t>> image;
    try {
        image = MakeTestImage(static_cast<uint32_t>(length), static_cast<uint32_t>(start), static_cast<uint32_t>(end),
                              form.Random, fill, std::move(values));
    } catch (const std::bad_alloc&) {
        image.reset();
    }
    if (!image) {
        ShowStop(prompts, kTestBinOpenFailedMessage);
        ExplainFailure(prompts, 0, path, "out of memory");
        return false;
    }
    if (!WriteWholeFile(path, image->data(), image->size())) {
        const std::string problem = FileProblem(path, FileUse::Write);
        ShowStop(prompts, kTestBinOpenFailedMessage);
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    ShowInformation(prompts, kTestBinDoneMessage);
    return true;
}

}  // namespace torvane
