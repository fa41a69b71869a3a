// The torvane-cli these tests start speaks the language of its environment,
// and the texts they pin are the Chinese ones: every child is started under a
// Chinese locale, whatever the machine's own.
#include <cstdlib>

namespace {

const bool kChildrenSpeakChinese = [] {
#ifdef _WIN32
    return _putenv_s("LC_ALL", "zh_CN.UTF-8") == 0;
#else
    return setenv("LC_ALL", "zh_CN.UTF-8", 1) == 0;
#endif
}();

}  // namespace
