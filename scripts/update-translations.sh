#!/bin/sh
# Refreshes i18n/torvane_en.ts from the window's sources: new Chinese texts
# come in unfinished (to be given their English), texts no longer in the
# sources are marked obsolete and dropped. The build compiles the .ts with
# lrelease; the UI tests check that every text has its English.
set -eu
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
"$lupdate" -silent -no-obsolete -locations none -source-language zh_CN -target-language en \
    -I . -extensions cpp,h ui widgets tools -ts i18n/torvane_en.ts
