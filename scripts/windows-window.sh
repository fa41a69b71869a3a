#!/usr/bin/env bash
# The real Windows window under Wine on a virtual display, end to end:
#   scripts/windows-window.sh LINUX-BUILD-DIR WINDOWS-BUILD-DIR [NAME]
# makes a merge project with the Windows torvane-cli, starts torvane.exe with
# it, switches to the merge mode and presses the merge button with the mouse
# (xdotool), compares the merged file with the Linux torvane-cli's byte for
# byte and saves a picture of the window to LINUX-BUILD-DIR/screenshots/
# (windows-window-under-wine-NAME.png when a NAME is given). The window speaks
# the language of Wine's locale (LC_ALL): Chinese under zh_CN, English under C;
# its controls stand in the same places in both.
# WINEPREFIX is the caller's (scripts/torvane.sh passes the Windows tests' own).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

fail() {
    echo "Windows window check: FAILED: $*" >&2
    exit 1
}

# The window's client area at 96 dpi, where Wine puts it (no window manager):
# the merge mode button and the merge button, from the window's top left.
merge_mode_at=(143 72)
merge_button_at=(760 374)

# Internal: runs inside xvfb-run.
if [ "${1:-}" = "--on-display" ]; then
    shift
    exe=$1 project=$2 output=$3 shot=$4
    started=$(date +%s%N)
    /usr/lib/wine/wine64 "$exe" "$project" >/dev/null 2>&1 &
    pid=$!
    window=
    for _ in $(seq 600); do
        window=$(xdotool search --name '^Torvane V[0-9]+$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { kill "$pid" 2>/dev/null; fail "no window appeared in 60 s"; }
    echo "The window appeared after $((($(date +%s%N) - started) / 1000000)) ms"
    sleep 2
    # A slow machine may show the title before the window takes clicks: the
    # two clicks again, a few times, until the merge is there.
    for attempt in 1 2 3 4 5; do
        xdotool mousemove --window "$window" "${merge_mode_at[@]}" click 1
        sleep 1
        xdotool mousemove --window "$window" "${merge_button_at[@]}" click 1
        for _ in $(seq 100); do
            [ -s "$output" ] && break
            sleep 0.1
        done
        [ -s "$output" ] && break
        echo "no merge after attempt $attempt: the clicks again"
    done
    sleep 1
    xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$shot"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exit 0
fi

linux=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
[ -f "$win/torvane.exe" ] || fail "$win holds no torvane.exe"
mkdir -p "$linux/screenshots"
shot="$linux/screenshots/windows-window-under-wine${3:+-$3}.png"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf ':020000040800F2\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n' >"$work/app.hex"
printf ':10001000101112131415161718191A1B1C1D1E1F68\r\n:00000001FF\r\n' >>"$work/app.hex"
head -c 3000 /dev/urandom >"$work/data.bin"
mkdir "$work/linux" "$work/windows"
cp "$work/app.hex" "$work/data.bin" "$work/linux/"
cp "$work/app.hex" "$work/data.bin" "$work/windows/"
# The same project for each side, each with its own absolute paths.
(cd "$work/linux" && "$linux/torvane-cli" export --config proj.ini --layout merge --no-keep-before-offset \
    app.hex --offset 2000 --fill FF data.bin >/dev/null && "$linux/torvane-cli" run merge --config proj.ini -o Merge.Bin >/dev/null)
(cd "$work/windows" && "$here/scripts/wine-run.sh" "$win/torvane-cli.exe" export --config proj.ini --layout merge \
    --no-keep-before-offset app.hex --offset 2000 --fill FF data.bin >/dev/null)
[ -s "$work/linux/Merge.Bin" ] || fail "the Linux torvane-cli made no merge"

# The window's merge writes Merge.Bin into the program's folder: a copy of
# the program in a folder of its own.
mkdir "$work/program"
cp "$win/torvane.exe" "$work/program/"
output="$work/program/Merge.Bin"
# Another DISPLAY for the same prefix: its server must be gone first.
"$wineserver" -w
(cd "$work/windows" && xvfb-run -a -s "-screen 0 1280x800x24" "$here/scripts/windows-window.sh" --on-display \
    "$work/program/torvane.exe" "$work/windows/proj.ini" "$output" "$shot")
"$wineserver" -w
echo "The window under Wine is pictured in $shot"
[ -s "$output" ] || fail "the window's merge wrote no Merge.Bin"
cmp "$work/linux/Merge.Bin" "$output" || fail "the window's merge differs from torvane-cli's"
echo "Windows window check: the window's merge matches the Linux torvane-cli's ($(stat -c %s "$output") bytes)"
