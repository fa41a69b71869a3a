#include "tools/nic/nic_config.h"

#include "core/messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/operation_log.h"
#include "platform/code_page.h"
#include "platform/file_problems.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/prompts.h"

namespace torvane {
namespace {

// Body offsets of the listed fields (see also the header for those the upgrade
// tool uses).
constexpr size_t kEnableUsbOffset = 4;      // bit 7: USB basic configuration
constexpr size_t kEnableGroupAOffset = 6;   // bit 6 LED, bit 3 flow control, bit 2 MAC filter
constexpr size_t kEnableGroupBOffset = 7;   // bit 7 HASH table, bit 6 wake-up packet, bit 5 MAC
constexpr size_t kSpeedOffset = 14;         // bit 7: 100M
constexpr size_t kDuplexOffset = 15;        // bit 0: full duplex
constexpr size_t kHashFilterOffset = 16;    // bit 2
constexpr size_t kLedSwapOffset = 18;       // bit 0
constexpr size_t kLedStyleOffset = 19;      // bits 6, 5 polarity; 3..2 period; 1..0 duty
constexpr size_t kFlowThresholdOffset = 26; // 16-bit
constexpr size_t kMacFilterOffset = 28;     // 2 bytes, shown in stored order
constexpr size_t kFilterMacOffset = 30;     // 6 bytes
constexpr size_t kHashListOffset = 52;      // 8 bytes
constexpr size_t kHashListSize = 8;
constexpr size_t kWakeWordsOffset = 60;     // 32 bytes
constexpr size_t kWakeWordsSize = 32;
constexpr size_t kBcdUsbOffset = 92;
constexpr size_t kVidOffset = 94;
constexpr size_t kPidOffset = 96;
constexpr size_t kBcdDeviceOffset = 98;
constexpr size_t kMaxPowerOffset = 100;     // units of 2 mA
constexpr size_t kPowerFlagsOffset = 101;   // bit 6 self-powered, bit 5 remote wake-up
constexpr size_t kCdromDisableOffset = 202; // 0 means the CDROM is on

constexpr uint16_t kBcdUsb21 = 0x0210;

bool Bit(const NicConfigBody& body, size_t offset, int bit) { return ((body[offset] >> bit) & 1) != 0; }

// A little-endian 16-bit value as four hex digits, high byte first.
std::string Hex16(const NicConfigBody& body, size_t offset) {
    return Format("%02X%02X", body[offset + 1], body[offset]);
}

// Bytes in stored order, two hex digits each, no separators.
std::string HexBytes(const NicConfigBody& body, size_t offset, size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) text += Format("%02X", body[offset + i]);
    return text;
}

}  // namespace

std::optional<NicConfigBody> ParseNicConfig(std::span<const uint8_t> file) {
    // A file that ends before the tag's zero byte is refused even though a
    // zero-filled header would make it look complete.
    if (file.size() < kNicConfigTagLength + 1) return std::nullopt;
    if (std::memcmp(file.data(), kNicConfigTag, kNicConfigTagLength) != 0 || file[kNicConfigTagLength] != 0)
        return std::nullopt;
    NicConfigBody body{};
    if (file.size() > kNicConfigHeaderSize) {
        const size_t count = std::min(file.size() - kNicConfigHeaderSize, kNicConfigBodySize);
        std::copy_n(file.begin() + kNicConfigHeaderSize, count, body.begin());
    }
    return body;
}

std::string NicDescriptorText(const NicConfigBody& body, size_t offset) {
    if (offset + 2 > body.size()) return std::string();
    // bLength is signed on purpose: 0x80..0xFF give a negative count, hence no text.
    const int units = (static_cast<int8_t>(body[offset]) - 2) / 2;
    if (units <= 0) return std::string();
    const size_t first = offset + 2;
    const size_t fitting = (body.size() - first) / 2;
    const size_t count = std::min({static_cast<size_t>(units), kNicDescriptorMaxChars, fitting});
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t low = body[first + 2 * i];
        if (low == 0) break;  // the text is a zero-terminated string
        bytes.push_back(static_cast<char>(low));
    }
    return FromCodePage(bytes);
}

void AppendNicSettingLines(const NicConfigBody& b, OperationLog& list) {
    const uint16_t bcdUsb = static_cast<uint16_t>(b[kBcdUsbOffset] | (b[kBcdUsbOffset + 1] << 8));
    const int period = (b[kLedStyleOffset] >> 2) & 3;
    const int duty = b[kLedStyleOffset] & 3;

    list.Addf(Bit(b, kEnableUsbOffset, 7) ? Localized("网卡配置项-USB基础配置使能:开启\r\n")
                                                              : Localized("网卡配置项-USB基础配置使能:关闭\r\n"));
    list.Addf(bcdUsb == kBcdUsb21 ? Localized("网卡配置项-USB2.0/2.1配置:USB2.1\r\n")
                                                      : Localized("网卡配置项-USB2.0/2.1配置:USB2.0\r\n"));
    list.Addf(Localized("网卡配置项-USB VID:%s\r\n"), Hex16(b, kVidOffset).c_str());
    list.Addf(Localized("网卡配置项-USB PID:%s\r\n"), Hex16(b, kPidOffset).c_str());
    list.Addf(Localized("网卡配置项-USB BCD:%s\r\n"), Hex16(b, kBcdDeviceOffset).c_str());
    list.Addf(Localized("网卡配置项-USB MaxPower(mA):%d\r\n"), b[kMaxPowerOffset] * 2);
    list.Addf(Bit(b, kPowerFlagsOffset, 6) ? Localized("网卡配置项-供电方式:Self-Powered\r\n")
                                                               : Localized("网卡配置项-供电方式:Bus-Powered\r\n"));
    list.Addf(Bit(b, kPowerFlagsOffset, 5) ? Localized("网卡配置项-唤醒方式:Enable\r\n")
                                                               : Localized("网卡配置项-唤醒方式:Disable\r\n"));
    list.Addf(Localized("网卡配置项-USB产品字符串:%s\r\n"),
                NicDescriptorText(b, kNicProductDescriptorOffset).c_str());
    list.Addf(Localized("网卡配置项-USB厂商字符串:%s\r\n"),
                NicDescriptorText(b, kNicManufacturerDescriptorOffset).c_str());
    list.Addf(Localized("网卡配置项-USB序列号:%s\r\n"),
                NicDescriptorText(b, kNicSerialDescriptorOffset).c_str());
    list.Addf(Bit(b, kEnableGroupBOffset, 5) ? Localized("网卡配置项-MAC配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-MAC配置使能:关闭\r\n"));
    list.Addf(Localized("网卡配置项-模块MAC:%s\r\n"),
                HexBytes(b, kNicModuleMacOffset, kNicModuleMacSize).c_str());
    list.Addf(Bit(b, kEnableGroupAOffset, 6) ? Localized("网卡配置项-LED灯效配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-LED灯效配置使能:关闭\r\n"));
    list.Addf(Bit(b, kLedSwapOffset, 0) ? Localized("网卡配置项-LED0/1功能交换:LED0/LED1:LINK/ACK\r\n")
                                                            : Localized("网卡配置项-LED0/1功能交换:LED0/LED1:ACK/LINK\r\n"));
    list.Addf(Bit(b, kLedStyleOffset, 6) ? Localized("网卡配置项-LED0电平极性配置:低电平\r\n")
                                                             : Localized("网卡配置项-LED0电平极性配置:高电平\r\n"));
    list.Addf(Bit(b, kLedStyleOffset, 5) ? Localized("网卡配置项-LED1电平极性配置:低电平\r\n")
                                                             : Localized("网卡配置项-LED1电平极性配置:高电平\r\n"));
    list.Addf(period == 0   ? Localized("网卡配置项-LED闪烁周期配置:240ms\r\n")
                                  : period == 1 ? Localized("网卡配置项-LED闪烁周期配置:160ms\r\n")
                                  : period == 2 ? Localized("网卡配置项-LED闪烁周期配置:80ms\r\n")
                                                : Localized("网卡配置项-LED闪烁周期配置:100ms\r\n"));
    // Format texts: "%%" shows as one percent sign.
    list.Addf(duty == 0   ? Localized("网卡配置项-LED闪烁占空比配置:12.5%%\r\n")
                                  : duty == 1 ? Localized("网卡配置项-LED闪烁占空比配置:25%%\r\n")
                                  : duty == 2 ? Localized("网卡配置项-LED闪烁占空比配置:50%%\r\n")
                                              : Localized("网卡配置项-LED闪烁占空比配置:75%%\r\n"));
    list.Addf(Bit(b, kEnableGroupBOffset, 7) ? Localized("网卡配置项-HASH表配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-HASH表配置使能:关闭\r\n"));
    list.Addf(Bit(b, kHashFilterOffset, 2) ? Localized("网卡配置项-HASH表过滤使能:开启\r\n")
                                                               : Localized("网卡配置项-HASH表过滤使能:关闭\r\n"));
    list.Addf(Localized("网卡配置项-HASH列表:%s\r\n"), HexBytes(b, kHashListOffset, kHashListSize).c_str());
    // "Dulplex" is misspelt on purpose: users compare these lines with the ones
    // they know.
    list.Addf(Bit(b, kDuplexOffset, 0) ? Localized("网卡配置项-Dulplex Mode:Full-Dulplex\r\n")
                                                           : Localized("网卡配置项-Dulplex Mode:Half-Dulplex\r\n"));
    list.Addf(Bit(b, kSpeedOffset, 7) ? Localized("网卡配置项-Speed Mode:100M\r\n")
                                                          : Localized("网卡配置项-Speed Mode:10M\r\n"));
    list.Addf(Bit(b, kEnableGroupAOffset, 3) ? Localized("网卡配置项-流控配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-流控配置使能:关闭\r\n"));
    list.Addf(Localized("网卡配置项-流控阈值寄存器:%s\r\n"), Hex16(b, kFlowThresholdOffset).c_str());
    list.Addf(Bit(b, kEnableGroupAOffset, 2) ? Localized("网卡配置项-MAC过滤配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-MAC过滤配置使能:关闭\r\n"));
    list.Addf(Localized("网卡配置项-MAC过滤配置:%s\r\n"), HexBytes(b, kMacFilterOffset, 2).c_str());
    list.Addf(Localized("网卡配置项-过滤MAC:%s\r\n"), HexBytes(b, kFilterMacOffset, 6).c_str());
    list.Addf(Bit(b, kEnableGroupBOffset, 6) ? Localized("网卡配置项-唤醒包配置使能:开启\r\n")
                                                                 : Localized("网卡配置项-唤醒包配置使能:关闭\r\n"));
    list.Addf(Localized("网卡配置项-自定义唤醒包配置字:%s\r\n"),
                HexBytes(b, kWakeWordsOffset, kWakeWordsSize).c_str());
    list.Addf(b[kCdromDisableOffset] == 0 ? Localized("网卡配置项-CDROM使能:开启\r\n")
                                                              : Localized("网卡配置项-CDROM使能:关闭\r\n"));
}

bool LoadNicConfig(const std::string& path, NicConfigBody& body, OperationLog& list, Prompts& prompts) {
    if (path.empty()) {
        ShowNotice(prompts, kNicChooseConfigMessage);
        ExplainFailure(prompts, 0, path, "no configuration file was given");
        return false;
    }
    body.fill(0);
    if (!FileExists(path)) {
        const std::string problem = FileProblem(path, FileUse::Read);
        list.Addf(Localized("网卡配置文件不存在！\r\n"));
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    // Only the header and the body are read, however long the file is; the
    // length says how much of the zero-filled prefix is really the file's.
    const std::optional<uint64_t> length = FileLength(path);
    const std::optional<std::vector<uint8_t>> prefix =
        length ? ReadFilePrefix(path, kNicConfigReadSize) : std::nullopt;
    if (!prefix) {
        const std::string problem = FileProblem(path, FileUse::Read);
        list.Addf(Localized("网卡配置文件打开失败！\r\n"));
        ExplainFailure(prompts, 0, path, problem);
        return false;
    }
    const size_t got = static_cast<size_t>(std::min<uint64_t>(*length, kNicConfigReadSize));
    const std::optional<NicConfigBody> parsed = ParseNicConfig(std::span<const uint8_t>(prefix->data(), got));
    if (!parsed) {
        list.Addf(Localized("网卡配置文件无效！\r\n"));
        ExplainFailure(prompts, 0, path,
                       got < kNicConfigTagLength + 1
                           ? Format("the file is %llu bytes long, shorter than its %llu-byte tag",
                                    static_cast<unsigned long long>(got),
                                    static_cast<unsigned long long>(kNicConfigTagLength + 1))
                           : Format("the file does not begin with the tag \"%s\" and a zero byte", kNicConfigTag));
        return false;
    }
    body = *parsed;
    list.Addf(Localized("网卡配置文件读取成功！\r\n"));
    AppendNicSettingLines(body, list);
    return true;
}

}  // namespace torvane
