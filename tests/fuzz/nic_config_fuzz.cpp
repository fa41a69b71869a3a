// The network-adapter configuration reader on any bytes: the body is always
// 264 bytes, nothing is read outside the file or the body, and a valid file
// lists its 32 settings. The upgrade image is built from the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/operation_log.h"
#include "tools/nic/nic_config.h"
#include "tools/nic/upgrade_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);  // exactly sized
    const auto body = torvane::ParseNicConfig(file);
    if (!body) return 0;
    torvane::OperationLog list;
    torvane::AppendNicSettingLines(*body, list);
    if (list.LineCount() != 32) std::abort();
    for (size_t offset : {torvane::kNicProductDescriptorOffset, torvane::kNicManufacturerDescriptorOffset,
                          torvane::kNicSerialDescriptorOffset, torvane::kNicConfigBodySize - 1}) {
        torvane::NicDescriptorText(*body, offset);
    }
    for (bool production : {false, true}) {
        const auto image = torvane::BuildUpgradeImage(file, *body, production);
        if (image && image->size() != file.size()) std::abort();
    }
    return 0;
}
