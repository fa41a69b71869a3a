#pragma once

#include <string>

#include "platform/prompts.h"

namespace torvane {

// The program's own texts are written in Chinese, and the Chinese text of a
// message is its id: one catalogue (messages_en.cpp) gives the English of
// each. A text is looked up where it is made, before numbers and names go
// into it, so a line is never pieced together from translated fragments.
//
// Under Chinese, or for a text the catalogue does not hold, the text itself.
// A printf format keeps its conversions, in the same order, in English (the
// catalogue's test holds every entry to that), so the compiler's check of the
// Chinese format covers the English one too.
#if defined(__GNUC__)
__attribute__((format_arg(1)))
#endif
const char* Localized(const char* chinese);
std::string Localized(const std::string& chinese);

// A reason as the user reads it: the core gives every reason in English, as
// torvane-cli prints it; under Chinese the window shows its Chinese
// (ChineseReason).
std::string ShownReason(const std::string& english);
std::string ShownReasonDetail(const FailureReason& reason);

// Every entry of the catalogue, for its tests.
struct CatalogueEntry {
    const char* chinese;
    const char* english;
};
const CatalogueEntry* CatalogueBegin();
const CatalogueEntry* CatalogueEnd();

}  // namespace torvane
