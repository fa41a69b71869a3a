#include "core/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <optional>
#include <utility>
#include <vector>

namespace torvane {
namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

void UnsetVariable(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");  // an empty value removes it
#else
    ::unsetenv(name);
#endif
}

// Sets the locale variables for one test and puts the old values back.
class Environment {
public:
    Environment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            UnsetVariable(name);
        }
        for (const auto& [name, value] : values) SetVariable(name, value);
    }
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) SetVariable(name, value->c_str());
            else UnsetVariable(name);
        }
    }

private:
    static constexpr const char* kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(LanguageTest, ChineseIsTheLanguageUntilOneIsChosen) {
    EXPECT_EQ(Language::Chinese, CurrentLanguage());
    SetLanguage(Language::English);
    EXPECT_EQ(Language::English, CurrentLanguage());
    SetLanguage(Language::Chinese);
}

TEST(LanguageTest, LocaleNamesGiveChineseOnlyForZh) {
    for (const char* zh : {"zh", "zh_CN.UTF-8", "zh_TW", "zh_CN.GB18030", "zh.UTF-8", "zh-CN"})
        EXPECT_EQ(Language::Chinese, LanguageOfLocale(zh)) << zh;
    for (const char* other : {"en_US.UTF-8", "de_DE", "zhx", "fr"}) EXPECT_EQ(Language::English, LanguageOfLocale(other)) << other;
    for (const char* none : {"", "C", "POSIX", "C.UTF-8"}) EXPECT_FALSE(LanguageOfLocale(none)) << none;
}

TEST(LanguageTest, TheEnvironmentIsReadAsCommandLineProgramsReadIt) {
    {
        const Environment env({});
        EXPECT_EQ(Language::English, LanguageOfEnvironment());
    }
    {
        const Environment env({{"LANG", "zh_CN.UTF-8"}});
        EXPECT_EQ(Language::Chinese, LanguageOfEnvironment());
    }
    {
        // LC_ALL wins over LANG, LC_MESSAGES over LANG.
        const Environment env({{"LANG", "zh_CN.UTF-8"}, {"LC_ALL", "en_GB.UTF-8"}});
        EXPECT_EQ(Language::English, LanguageOfEnvironment());
    }
    {
        const Environment env({{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "zh_CN.UTF-8"}});
        EXPECT_EQ(Language::Chinese, LanguageOfEnvironment());
    }
    {
        // LANGUAGE picks among the languages the program has, once a locale names one.
        const Environment env({{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "de:zh_CN:en"}});
        EXPECT_EQ(Language::Chinese, LanguageOfEnvironment());
    }
    {
        // With no variable set, the system's locale decides; a C locale set is no language.
        const Environment env({});
        EXPECT_EQ(Language::Chinese, LanguageOfEnvironment("zh-CN"));
        EXPECT_EQ(Language::English, LanguageOfEnvironment("de-DE"));
        const Environment c({{"LC_ALL", "C.UTF-8"}});
        EXPECT_EQ(Language::English, LanguageOfEnvironment("zh-CN"));
    }
    {
        // Under the C locale LANGUAGE is not read.
        const Environment env({{"LC_ALL", "C"}, {"LANGUAGE", "zh_CN"}});
        EXPECT_EQ(Language::English, LanguageOfEnvironment());
    }
}

TEST(LanguageTest, WordsRoundTrip) {
    for (const Language l : {Language::Chinese, Language::English}) EXPECT_EQ(l, LanguageOfWord(LanguageWord(l)));
    EXPECT_FALSE(LanguageOfWord("de"));
    EXPECT_FALSE(LanguageOfWord("ZH"));
}

}  // namespace
}  // namespace torvane
