#!/usr/bin/env bash
# torvane-cli serialize beside the way production lines script it today: a
# shell loop that runs srec_cat once per image. N images (default 1000) from
# a 256 KiB template, each with a 32-bit serial number at 0x100 and a CRC-32
# over the rest at 0x3FFFC. torvane-cli's time includes its syncs (each group
# of images on disk before it takes its names, each manifest line before it
# counts); srec_cat's loop syncs nothing, so a final sync is timed with it.
# Prints the figures and whether the serialiser takes at most a tenth of the
# loop's time. Run by hand: bench/serialize.sh [N]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TORVANE_BUILD_DIR:-$here/build-release}"
cli="$build/torvane-cli"
if [ ! -x "$cli" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVANE_GUI=OFF -DTORVANE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target torvane-cli >/dev/null
fi
command -v srec_cat >/dev/null || { echo "srec_cat is not installed (package srecord)" >&2; exit 1; }
n=${1:-1000}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/serialize-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c 262144 /dev/urandom >"$work/tmpl.bin"
mkdir "$work/srec" "$work/ours" "$work/nosync"
last=$((100000 + n - 1))

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc; }

sync
start=$(now)
for ((s = 100000; s <= last; s++)); do
    srec_cat '(' "$work/tmpl.bin" -binary -crop 0 0x3FFFC -exclude 0x100 0x104 \
        -generate 0x100 0x104 -constant-l-e "$s" 4 ')' -crc32-l-e 0x3FFFC \
        -o "$work/srec/dev_$s.bin" -binary
done
sync
loop=$(elapsed "$start" "$(now)")

sync
start=$(now)
"$cli" serialize "$work/tmpl.bin" -o "$work/ours/dev_{serial}.bin" --serial 100:u32 --from 100000 --count "$n" \
    --field crc32@3FFFC:0-3FFFB --manifest "$work/ours/devices.csv" >/dev/null
ours=$(elapsed "$start" "$(now)")

sync
start=$(now)
"$cli" serialize "$work/tmpl.bin" -o "$work/nosync/dev_{serial}.bin" --serial 100:u32 --from 100000 --count "$n" \
    --field crc32@3FFFC:0-3FFFB --manifest "$work/nosync/devices.csv" --no-sync >/dev/null
nosync=$(elapsed "$start" "$(now)")

# The same bytes as srec_cat's, image by image.
for ((s = 100000; s <= last; s++)); do
    cmp -s "$work/srec/dev_$s.bin" "$work/ours/dev_$s.bin" || { echo "dev_$s.bin differs from srec_cat's" >&2; exit 1; }
done

printf '%d images of 256 KiB, a serial number and a CRC-32 each\n' "$n"
printf '%-52s %8.2f s  %7.1f ms/image\n' "srec_cat once per image (shell loop), then sync" "$loop" "$(echo "$loop * 1000 / $n" | bc -l)"
printf '%-52s %8.2f s  %7.1f ms/image\n' "torvane-cli serialize, synced, with a manifest" "$ours" "$(echo "$ours * 1000 / $n" | bc -l)"
printf '%-52s %8.2f s  %7.1f ms/image\n' "torvane-cli serialize --no-sync, with a manifest" "$nosync" "$(echo "$nosync * 1000 / $n" | bc -l)"
ratio=$(echo "$ours / $loop" | bc -l)
printf 'serialize / loop = %.3f (goal: at most 0.1): %s\n' "$ratio" \
    "$(echo "$ratio <= 0.1" | bc -l | sed 's/1/met/;s/0/not met/')"
