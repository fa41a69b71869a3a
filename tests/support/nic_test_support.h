#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/operation_log.h"
#include "tools/nic/nic_config.h"

namespace torvane::test {

// A configuration file: the tag with its zero byte, six filler bytes, the body.
inline std::vector<uint8_t> NicConfigFile(const NicConfigBody& body) {
    std::vector<uint8_t> file(kNicConfigTag, kNicConfigTag + sizeof kNicConfigTag);
    file.insert(file.end(), {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// A body whose bytes differ from their neighbours, so a misplaced copy shows.
inline NicConfigBody CountingBody() {
    NicConfigBody body{};
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 7 + 1);
    return body;
}

inline void Put(NicConfigBody& body, size_t offset, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) body[offset++] = b;
}

// Writes `text` as an ASCII string descriptor at `offset`.
inline void PutDescriptor(NicConfigBody& body, size_t offset, const std::string& text) {
    body[offset] = static_cast<uint8_t>(2 + 2 * text.size());
    body[offset + 1] = 0x03;
    for (size_t i = 0; i < text.size(); ++i) Put(body, offset + 2 + 2 * i, {static_cast<uint8_t>(text[i]), 0x00});
}

// The lines of a list from `from` on, without their "\r\n"; a line that lacks
// the ending is marked, so it shows as a mismatch.
inline std::vector<std::string> ListLines(const OperationLog& list, int32_t from = 0) {
    std::vector<std::string> lines;
    for (int32_t i = from; i < list.LineCount(); ++i) {
        std::string line = list.Line(i);
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) line.resize(line.size() - 2);
        else line += "<no CRLF>";
        lines.push_back(line);
    }
    return lines;
}

}  // namespace torvane::test
