#pragma once

#include <string>

#include "core/integrity_fields.h"
#include "platform/prompts.h"

namespace torvane {

// The reasons of failures in the window's language. The core gives every
// reason in English, as torvane-cli prints it; the window shows it in
// Simplified Chinese beside the box that reported the failure. One table
// holds every translation (chinese_reasons.cpp); a reason it does not know
// stays English.

// `english` in Chinese. A reason built around another one ("the merge was
// cancelled: <reason>") has the inner one translated as well.
std::string ChineseReason(const std::string& english);

// An address of a field as the window shows it: "0x08006802", or for a word
// "映像起始" (start) and "映像末尾" (end).
std::string FieldPlaceText(FieldWord word, uint32_t value);
// A field as the window names it in a reason: "CRC-32/ISO-HDLC（写入地址0x08006802，
// 范围0x08000000-0x080067FF）"; the spelling torvane-cli takes stays out of the window.
std::string FieldChineseText(const FieldSpec& field);

// The detail of a box: the file, with its row where it is in one, and the
// reason in Chinese, on two lines; the reason alone for no file.
std::string ChineseReasonDetail(const FailureReason& reason);

}  // namespace torvane
