#pragma once

#include <optional>
#include <string_view>

namespace torvane {

// The language the program speaks to its user: its log lines, boxes, reasons
// shown in the window and the window's own texts. Chosen once at start, before
// any text is made; Chinese until then, so code and tests that never choose
// see the texts they always saw.
enum class Language { Chinese, English };

void SetLanguage(Language language);
Language CurrentLanguage();

// The language a locale name asks for: Chinese for "zh" and every "zh_*" or
// "zh-*" ("zh_CN.UTF-8", "zh_TW", "zh-CN"), English for any other name; nothing for an empty
// name, "C" and "POSIX" (which name no language).
std::optional<Language> LanguageOfLocale(std::string_view locale);

// The language of the environment, as command-line programs take it: the
// first of LC_ALL, LC_MESSAGES and LANG that is set and not empty names the
// locale; where that locale names a language, LANGUAGE (a colon-separated
// list of preferences) may override it with its first entry that names one.
// Where none of the three is set, `systemLocale` (the user's locale as
// Windows names it, "zh-CN"); English when nothing names a language.
Language LanguageOfEnvironment(std::string_view systemLocale = {});

// "zh" or "en", as --lang takes it and the settings store it; nothing for any
// other word.
std::optional<Language> LanguageOfWord(std::string_view word);
const char* LanguageWord(Language language);

}  // namespace torvane
