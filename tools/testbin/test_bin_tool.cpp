#include "tools/testbin/test_bin_tool.h"

#include <new>
#include <vector>

#include "core/file_entry.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "platform/prompts.h"
#include "core/hex_field_key.h"

namespace torvane {

std::string TestBinDefaultPath() {
    std::string folder = ProgramFolder();
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
    if (form.PathText.empty()) {
        ShowInformation(prompts, kTestBinNoPathMessage);
        return false;
    }
    const int32_t length = ParseDecimalField(form.LengthText);
    if (length == 0) {
        ShowInformation(prompts, kTestBinNoLengthMessage);
        return false;
    }
    if (length > static_cast<int32_t>(kMaxTestImageLength)) {
        ShowInformation(prompts, kTestBinTooLongMessage);
        return false;
    }
    // A negative length fails here, as every start does. A start that reads as
    // negative (eight digits from 80000000 on, or more than eight) is past any
    // length too, instead of slipping through the comparisons below.
    const int32_t start = ParseHexField(form.StartText);
    if (start < 0 || start > length) {
        ShowInformation(prompts, kTestBinStartPastLengthMessage);
        return false;
    }
    // A negative end is below every start and is caught by the next check.
    const int32_t end = ParseHexField(form.EndText);
    if (end > length - 1) {
        ShowInformation(prompts, kTestBinEndPastLengthMessage);
        return false;
    }
    if (end < start) {
        ShowInformation(prompts, kTestBinStartPastEndMessage);
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
    if (!image || !WriteWholeFile(form.PathText, image->data(), image->size())) {
        ShowInformation(prompts, kTestBinOpenFailedMessage);
        return false;
    }
    ShowInformation(prompts, kTestBinDoneMessage);
    return true;
}

}  // namespace torvane
