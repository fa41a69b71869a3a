#!/usr/bin/env bash
# The Windows packages, made and checked as their user gets them:
#   scripts/windows-package.sh WINDOWS-BUILD-DIR [SCREENSHOT-DIR]
# makes torvane-<version>-setup.exe (NSIS, Debian's makensis) and
# torvane-<version>-win64.zip (the two programs and a README) in the build
# folder; then, under Wine, installs the setup silently, finds the programs,
# the Start-menu entry and the uninstaller with its Apps & features entry,
# starts the installed torvane-cli.exe and the window (a picture of it goes
# to SCREENSHOT-DIR), uninstalls silently and finds the folder gone. The
# installer speaks the language of Wine's locale (LC_ALL): under zh_CN the
# Start-menu entry and the Apps & features name are Chinese, otherwise English.
# WINEPREFIX is the caller's. Any problem ends it with "FAILED".
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
win=$(cd "$1" && pwd)
mkdir -p "${2:-$win/screenshots}"
shots=$(cd "${2:-$win/screenshots}" && pwd)
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG="${WINEDEBUG:--all}"

fail() {
    echo "Windows package check: FAILED: $*" >&2
    exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $win/CMakeCache.txt"
for f in torvane.exe torvane-cli.exe windows/torvane.ico; do
    [ -f "$win/$f" ] || fail "$win holds no $f"
done
setup="$win/torvane-$version-setup.exe"
zip="$win/torvane-$version-win64.zip"

# Each program runs alone: it imports system DLLs only.
for exe in torvane.exe torvane-cli.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$win/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    for dll in $dlls; do
        case "$dll" in
            kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | advapi32.dll | \
                comdlg32.dll | comctl32.dll | imm32.dll | winmm.dll | ws2_32.dll | uxtheme.dll | dwmapi.dll | \
                shlwapi.dll | shcore.dll | version.dll | netapi32.dll | userenv.dll | wtsapi32.dll | setupapi.dll | \
                d3d11.dll | d2d1.dll | dwrite.dll | dxgi.dll | d3d9.dll | psapi.dll | mpr.dll | msvcrt.dll | \
                authz.dll | winspool.drv | bcrypt.dll | crypt32.dll | secur32.dll | api-ms-win-*.dll) ;;
            *) fail "$exe needs $dll, which Windows does not bring" ;;
        esac
    done
done
# torvane.exe is a GUI program (subsystem 2), torvane-cli.exe a console one (3).
headers=$(x86_64-w64-mingw32-objdump -p "$win/torvane.exe")
grep -Eq '^Subsystem[[:space:]]+0+2' <<<"$headers" || fail "torvane.exe is not a GUI program"
headers=$(x86_64-w64-mingw32-objdump -p "$win/torvane-cli.exe")
grep -Eq '^Subsystem[[:space:]]+0+3' <<<"$headers" || fail "torvane-cli.exe is not a console program"

echo "== The installer and the zip"
started=$SECONDS
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# What is shipped carries no debugging information.
mkdir "$stage/programs" "$stage/programs/windows" "$stage/torvane-$version-win64"
for exe in torvane.exe torvane-cli.exe; do
    x86_64-w64-mingw32-strip -o "$stage/programs/$exe" "$win/$exe"
done
cp "$win/windows/torvane.ico" "$stage/programs/windows/"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DBUILD="$stage/programs" -DOUT="$setup" "$here/windows/installer.nsi"
cp "$stage/programs/torvane.exe" "$stage/programs/torvane-cli.exe" "$stage/torvane-$version-win64/"
# Notepad's line ends.
sed -e "s/@PROJECT_VERSION@/$version/g" -e 's/$/\r/' "$here/windows/README.txt" >"$stage/torvane-$version-win64/README.txt"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip "torvane-$version-win64")
echo "made in $((SECONDS - started)) s: $(basename "$setup") $(stat -c %s "$setup") bytes," \
    "$(basename "$zip") $(stat -c %s "$zip") bytes, torvane.exe $(stat -c %s "$stage/programs/torvane.exe") bytes," \
    "torvane-cli.exe $(stat -c %s "$stage/programs/torvane-cli.exe") bytes"
listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
[ "$listing" = "torvane-$version-win64/ torvane-$version-win64/README.txt torvane-$version-win64/torvane-cli.exe torvane-$version-win64/torvane.exe " ] ||
    [ "$listing" = "torvane-$version-win64/README.txt torvane-$version-win64/torvane-cli.exe torvane-$version-win64/torvane.exe " ] ||
    fail "the zip holds: $listing"

echo "== The installer under Wine"
started=$SECONDS
prefix_c="${WINEPREFIX:?WINEPREFIX must be set}/drive_c"
installed="$prefix_c/Program Files/Torvane"
case "${LC_ALL:-${LANG:-}}" in
    zh*) menu_name="Torvane 固件工具" language=zh ;;
    *) menu_name="Torvane Firmware Tool" language=en ;;
esac
menu="$prefix_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$menu_name.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Torvane'
"$wineserver" -w
[ ! -e "$installed" ] || fail "$installed is there before the installation"
DISPLAY= "$wine" "$setup" /S || fail "the silent installation failed"
"$wineserver" -w
for f in torvane.exe torvane-cli.exe uninstall.exe; do
    [ -f "$installed/$f" ] || fail "no $f in $installed"
done
[ -f "$menu" ] || fail "no Start-menu entry $menu"
# Exported as UTF-16, whatever the console's code page.
DISPLAY= "$wine" reg export "$key" "Z:$stage/entry.reg" /y >/dev/null 2>&1 || fail "no Apps & features entry"
entry=$(iconv -f UTF-16 -t UTF-8 "$stage/entry.reg" | tr -d '\r')
for value in "DisplayName.*$menu_name" "DisplayVersion.*$version" "Publisher.*The Torvane developers" \
    'DisplayIcon.*torvane\.exe' 'UninstallString.*uninstall\.exe' 'QuietUninstallString.*/S' 'EstimatedSize"=dword:'; do
    grep -Eq "$value" <<<"$entry" || fail "the Apps & features entry lacks $value: $entry"
done
cli_version=$(DISPLAY= "$wine" "C:\\Program Files\\Torvane\\torvane-cli.exe" --version 2>&1 | tr -d '\r')
grep -q "$version" <<<"$cli_version" || fail "the installed torvane-cli.exe said: $cli_version"
"$wineserver" -w
mkdir -p "$shots"
shot="$shots/windows-installed-under-wine-$language.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x800x24" "$wine" "C:\\Program Files\\Torvane\\torvane.exe" --screenshot "Z:$shot" >/dev/null 2>&1 ||
    fail "the installed window did not start"
"$wineserver" -w
[ -s "$shot" ] || fail "the installed window left no picture"
echo "The installed window is pictured in $shot"
DISPLAY= "$wine" "C:\\Program Files\\Torvane\\uninstall.exe" /S || fail "the silent uninstallation failed"
# The uninstaller runs a copy of itself and returns at once: wait for it.
"$wineserver" -w
[ ! -e "$installed" ] || fail "$installed is still there after the uninstallation: $(ls -A "$installed")"
[ ! -e "$menu" ] || fail "the Start-menu entry is still there after the uninstallation"
if DISPLAY= "$wine" reg query "$key" >/dev/null 2>&1; then
    fail "the Apps & features entry is still there after the uninstallation"
fi
"$wineserver" -w
echo "Windows package check: passed in $((SECONDS - started)) s"
