#!/usr/bin/env bash
# Time and peak memory of torvane-cli stamp over ranges that are mostly gap,
# and of fields refused for growing the image too far: the gap is fed in runs
# of the fill byte, never built, and a refusal comes before any memory is
# taken. Run by hand: bench/stamp_gap.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TORVANE_BUILD_DIR:-$here/build-release}"
cli="$build/torvane-cli"
if [ ! -x "$cli" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVANE_GUI=OFF -DTORVANE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target torvane-cli >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 32764 /dev/urandom >"$work/app.bin"
printf '%-44s %10s %12s\n' "job" "seconds" "peak KiB"
run() {
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$cli" stamp "$work/app.bin" "$@" >/dev/null 2>&1 || true
    read -r seconds kib < <(tail -n 1 "$work/time")
    printf '%-44s %10s %12s\n' "$label" "$seconds" "$kib"
}
run "crc32 over 256 MiB, 32 KiB of it data" -o "$work/a.hex" --field crc32@0:8000-FFFFFFF
run "crc32 over 4 GiB, 32 KiB of it data" -o "$work/b.hex" --field crc32@0:8000-FFFFFFFF
run "sha256 over 256 MiB, 32 KiB of it data" -o "$work/c.hex" --field sha256@0:8000-FFFFFFF
run "add32 over 4 GiB, 32 KiB of it data" -o "$work/d.hex" --field add32@0:8000-FFFFFFFF
run "field at FFFFFFF0 (refused)" -o "$work/e.hex" --field crc32@FFFFFFF0:0-F
run "field at 10000000 (refused)" -o "$work/f.hex" --field crc32@10000000:0-F
run "field at 3FF0000, 64 MiB of growth, HEX" -o "$work/g.hex" --field crc32@3FF0000:0-F
