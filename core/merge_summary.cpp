#include "core/merge_summary.h"

#include "core/messages.h"

#include <algorithm>

#include "core/chinese_reasons.h"
#include "core/file_entry.h"
#include "core/memory_map.h"
#include "core/merge.h"
#include "core/workspace.h"
#include "formats/image_formats.h"
#include "platform/format.h"

namespace torvane {
namespace {

const char* FormatWords(ImageFormat format) {
    switch (format) {
        case ImageFormat::IntelHex: return "Intel HEX";
        case ImageFormat::SRecord: return "S-record";
        default: return "BIN";
    }
}

int SelectedRows(const Workspace& ws) {
    int count = 0;
    for (int row = 0; row < kRowCount; ++row) {
        const RowControls& c = ws.rows().Row(row).controls;
        if (c.Selected && !c.FileNameText.empty()) ++count;
    }
    return count;
}

}  // namespace

MergeSummary SummarizeMerge(const Workspace& ws) {
    MergeSummary summary;
    const MergeMap map = PlanMerge(ws, MergeAnswers{});
    std::string image;
    if (map.stopped && map.stopped->reason == kTooFewFilesReason) {
        image = Format(Localized("已选择%d个文件，至少需要两个"), SelectedRows(ws));
    } else if (map.stopped) {
        image = map.stopped->row > 0 ? Format(Localized("将在文件%d处中止，不生成合并文件"), map.stopped->row)
                                     : Localized("合并将取消：") + ShownReason(map.stopped->reason);
    } else {
        image = Format(Localized("0x%08X-0x%08X，%lld字节"), static_cast<uint32_t>(map.Address(0)),
                       static_cast<uint32_t>(map.Address(std::max<int64_t>(map.imageSize, 1) - 1)),
                       static_cast<long long>(map.imageSize));
        if (!map.leftOut.empty()) {
            std::vector<int32_t> rows;
            for (const MapNote& note : map.leftOut) rows.push_back(note.row);
            image += Localized("，缺少") + FileNoList(rows);
        }
    }
    const ImageFormat format = FormatOfName(ws.OutputFileText);
    const bool records = format == ImageFormat::IntelHex || format == ImageFormat::SRecord;
    std::string output = FormatWords(format);
    if (!ws.MergeBaseText.empty()) {
        output += Format(Localized("，起始地址0x%08X（指定）"), static_cast<uint32_t>(ParseHexField(ws.MergeBaseText)));
    } else if (records) {
        // The files choose it: known once the plan has placed them.
        output += map.stopped ? std::string(Localized("，起始地址自动")) : Format(Localized("，起始地址0x%08X（自动）"), map.base);
    }
    std::string fields = ws.MergeFields.empty() ? std::string(Localized("无校验值字段"))
                                                : Format(Localized("校验值字段%d个"), static_cast<int>(ws.MergeFields.size()));
    if (!ws.MergeFields.empty() && ws.MergeFieldAddresses == FieldAddresses::ImageOffsets)
        fields += Localized("（地址为偏移）");
    summary.text = Localized("合并预览：") + image + Localized("；") + output + Localized("；") + fields;
    if (ws.HexGapFill == GapFill::RowFill) summary.text += Localized("；空隙按行填充");
    summary.complete = map.Complete();
    return summary;
}

}  // namespace torvane
