#include "core/messages.h"

#include <string_view>
#include <unordered_map>

#include "core/chinese_reasons.h"
#include "core/language.h"
#include "platform/format.h"

namespace torvane {

extern const CatalogueEntry kEnglishCatalogue[];
extern const size_t kEnglishCatalogueSize;

namespace {

const std::unordered_map<std::string_view, const char*>& English() {
    static const auto* table = [] {
        auto* map = new std::unordered_map<std::string_view, const char*>();
        map->reserve(kEnglishCatalogueSize);
        for (size_t i = 0; i < kEnglishCatalogueSize; ++i)
            map->emplace(kEnglishCatalogue[i].chinese, kEnglishCatalogue[i].english);
        return map;
    }();
    return *table;
}

}  // namespace

const char* Localized(const char* chinese) {
    if (chinese == nullptr || CurrentLanguage() == Language::Chinese) return chinese;
    const auto& table = English();
    const auto found = table.find(chinese);
    return found == table.end() ? chinese : found->second;
}

std::string Localized(const std::string& chinese) {
    if (CurrentLanguage() == Language::Chinese) return chinese;
    const auto& table = English();
    const auto found = table.find(chinese);
    return found == table.end() ? chinese : std::string(found->second);
}

std::string ShownReason(const std::string& english) {
    return CurrentLanguage() == Language::Chinese ? ChineseReason(english) : english;
}

std::string ShownReasonDetail(const FailureReason& reason) {
    if (CurrentLanguage() == Language::Chinese) return ChineseReasonDetail(reason);
    if (reason.path.empty()) return reason.reason;
    const std::string file = reason.row > 0 ? Format("File %d: %s", reason.row, reason.path.c_str())
                                            : "File: " + reason.path;
    return reason.reason.empty() ? file : file + "\n" + reason.reason;
}

const CatalogueEntry* CatalogueBegin() { return kEnglishCatalogue; }
const CatalogueEntry* CatalogueEnd() { return kEnglishCatalogue + kEnglishCatalogueSize; }

}  // namespace torvane
