#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator that ctest uses for the
# Windows build (cmake/mingw-w64-x86_64.cmake), usable by hand as well:
#   scripts/wine-run.sh build-win/torvane-cli.exe --help
# WINEPREFIX defaults to a scratch prefix of this user; the first start in a
# new prefix sets it up, which takes some seconds. The ANSI code page follows
# the locale (LC_ALL=zh_CN.UTF-8 gives 936, C.UTF-8 gives 1252).
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/torvane-wine-$(id -u)}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No window may pop up on a machine without a display, and none is wanted.
export DISPLAY=
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
