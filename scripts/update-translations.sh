#!/bin/sh
# Refreshes i18n/torvane_en.ts from the window's sources: new Chinese texts
# come in unfinished (to be given their English), texts no longer in the
# sources are dropped. The build compiles the .ts with lrelease; the UI tests
# check that every text has its English.
#   scripts/update-translations.sh          # refreshes the file
#   scripts/update-translations.sh --check  # fails when it would change it
set -eu
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
ts=i18n/torvane_en.ts
target=$ts
if [ "${1:-}" = "--check" ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    target=$scratch/torvane_en.ts
    cp "$ts" "$target"
fi
"$lupdate" -silent -no-obsolete -locations none -source-language zh_CN -target-language en \
    -I . -extensions cpp,h ui widgets tools -ts "$target"
if [ "$target" != "$ts" ] && ! cmp -s "$ts" "$target"; then
    diff -u "$ts" "$target" | head -n 40 >&2
    echo "$ts does not hold the window's texts as the sources have them:" \
        "run scripts/update-translations.sh and give the new texts their English" >&2
    exit 1
fi
exit 0
