#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/messages.h"

namespace torvane::ui {

// The window's own texts, all in one translation context ("Torvane"): written
// in Chinese, which is also the id a translation is found by. Under Chinese no
// translator is installed and Texts::tr gives the text unchanged; under English
// the translator made from i18n/torvane_en.ts gives its English.
//
// Texts kept in tables of const char* are marked QT_TRANSLATE_NOOP("Torvane", ...)
// and go through Texts::tr where they are shown. Texts the core defines (in the
// headers of core/ and of the tools' logic) go through Localized() instead.
class Texts {
    Q_DECLARE_TR_FUNCTIONS(Torvane)
};

// A text the core defines (a caption or message kept in a header of core/ or
// of a tool's logic), in the language the program speaks.
inline QString CoreText(const char* chinese) { return QString::fromUtf8(Localized(chinese)); }

}  // namespace torvane::ui
