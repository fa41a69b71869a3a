#pragma once

#include <string>

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

// The detail of a box: the file, with its row where it is in one, and the
// reason in Chinese, on two lines; the reason alone for no file.
std::string ChineseReasonDetail(const FailureReason& reason);

}  // namespace torvane
