#include "core/language.h"

#include <cstdlib>
#include <string>

namespace torvane {
namespace {

Language g_language = Language::Chinese;

const char* NonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

void SetLanguage(Language language) { g_language = language; }

Language CurrentLanguage() { return g_language; }

std::optional<Language> LanguageOfLocale(std::string_view locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C.") return std::nullopt;
    if (locale.substr(0, 2) == "zh" && (locale.size() == 2 || locale[2] == '_' || locale[2] == '-' || locale[2] == '.' || locale[2] == '@'))
        return Language::Chinese;
    return Language::English;
}

Language LanguageOfEnvironment(std::string_view systemLocale) {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if ((locale = NonEmptyVariable(name)) != nullptr) break;
    const std::optional<Language> fromLocale = LanguageOfLocale(locale ? locale : "");
    // LANGUAGE counts only where the locale names a language, as gettext has it.
    if (fromLocale) {
        if (const char* list = NonEmptyVariable("LANGUAGE")) {
            std::string_view rest(list);
            while (!rest.empty()) {
                const size_t colon = rest.find(':');
                const std::string_view entry = rest.substr(0, colon);
                // Only the languages the program has count; "de" gives way to the next entry.
                const std::optional<Language> l = LanguageOfLocale(entry);
                if (l == Language::Chinese || (l && entry.substr(0, 2) == "en")) return *l;
                if (colon == std::string_view::npos) break;
                rest.remove_prefix(colon + 1);
            }
        }
        return *fromLocale;
    }
    // Where no variable is set at all (Windows), the system's own choice.
    if (locale == nullptr) return LanguageOfLocale(systemLocale).value_or(Language::English);
    return Language::English;
}

std::optional<Language> LanguageOfWord(std::string_view word) {
    if (word == "zh") return Language::Chinese;
    if (word == "en") return Language::English;
    return std::nullopt;
}

const char* LanguageWord(Language language) { return language == Language::Chinese ? "zh" : "en"; }

}  // namespace torvane
