#!/usr/bin/env bash
# torvane-cli diff against the tools engineers compare images with today,
# side by side on the same inputs, and the memory it takes: two 16 MiB HEX
# files that differ in three bytes (srec_cmp), two 64 MiB BIN files, equal
# and with three differing bytes (cmp, cmp -l), and two HEX files whose data
# lies at both ends of the 32-bit space. Run by hand: bench/diff.sh [RUNS]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-10}
build="${TORVANE_BUILD_DIR:-$here/build-release}"
cli="$build/torvane-cli"

need=()
for p in srecord diffutils hyperfine time cmake g++; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
if [ ! -x "$cli" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVANE_GUI=OFF -DTORVANE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target torvane-cli >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

/usr/bin/python3 - <<'PY'
import os

def record(f, b):
    f.write(":" + bytes(b).hex().upper() + "%02X" % (-sum(b) & 255) + "\n")

def write_hex(path, segments):
    with open(path, "w") as f:
        for base, data in segments:
            upper = -1
            for i in range(0, len(data), 32):
                a = base + i
                if (a >> 16) != upper:
                    upper = a >> 16
                    record(f, [2, 0, 0, 4, upper >> 8, upper & 255])
                chunk = data[i:i + 32]
                record(f, [len(chunk), (a >> 8) & 255, a & 255, 0] + list(chunk))
        record(f, [0, 0, 0, 1])

def flip(data, places):
    data = bytearray(data)
    for at in places:
        data[at] ^= 0x40
    return bytes(data)

image = os.urandom(16 << 20)
write_hex("a.hex", [(0, image)])
write_hex("b.hex", [(0, flip(image, (100, 5000000, 12345678)))])
flash = os.urandom(64 << 20)
open("a.bin", "wb").write(flash)
open("same.bin", "wb").write(flash)
open("b.bin", "wb").write(flip(flash, (1000, 30000000, 60000000)))
low, high = os.urandom(4096), os.urandom(4096)
write_hex("ends-a.hex", [(0, low), (0xFFFFF000, high)])
write_hex("ends-b.hex", [(0, low), (0xFFFFF000, flip(high, (4095,)))])
PY

# The answers agree: equal or not, and the differing bytes cmp -l lists.
set +e
"$cli" diff a.hex a.hex >/dev/null; [ $? -eq 0 ] || { echo "diff of a file with itself is not 0" >&2; exit 1; }
"$cli" diff a.hex b.hex >hex.txt; [ $? -eq 1 ] || { echo "diff a.hex b.hex is not 1" >&2; exit 1; }
srec_cmp a.hex -intel b.hex -intel >/dev/null 2>&1; [ $? -ne 0 ] || { echo "srec_cmp finds them equal" >&2; exit 1; }
"$cli" diff a.bin same.bin >/dev/null; [ $? -eq 0 ] || { echo "equal BIN files differ" >&2; exit 1; }
"$cli" diff a.bin b.bin >bin.txt; [ $? -eq 1 ] || { echo "diff a.bin b.bin is not 1" >&2; exit 1; }
set -e
grep -q "differ: 3 bytes differ in 3 ranges" hex.txt
[ "$(cmp -l a.bin b.bin | wc -l)" -eq 3 ]
grep -q "differ: 3 bytes differ in 3 ranges" bin.txt
echo "Answers agree: srec_cmp and cmp -l find the same files different, and the same three bytes."

declare -a rows
time_job() {  # job, tool, command
    # Output to a pipe, not /dev/null: cmp stops early when its output is discarded.
    hyperfine -N -i --output=pipe --style none --warmup 2 --runs "$runs" --export-json t.json "$3" >/dev/null 2>&1
    local ms
    ms=$(/usr/bin/python3 -c "import json; print('%.2f' % (json.load(open('t.json'))['results'][0]['median'] * 1000))")
    rows+=("$1|$2|$ms")
}
peak() {  # command: its peak resident memory in KiB
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
}

time_job "two 16 MiB HEX, 3 differ" torvane "$cli diff a.hex b.hex"
time_job "two 16 MiB HEX, 3 differ" srec_cmp "srec_cmp a.hex -intel b.hex -intel"
time_job "two 64 MiB BIN, equal" torvane "$cli diff a.bin same.bin"
time_job "two 64 MiB BIN, equal" cmp "cmp a.bin same.bin"
time_job "two 64 MiB BIN, 3 differ" torvane "$cli diff a.bin b.bin"
time_job "two 64 MiB BIN, 3 differ" "cmp -l" "cmp -l a.bin b.bin"
time_job "data at 0 and 0xFFFFF000" torvane "$cli diff ends-a.hex ends-b.hex"
time_job "data at 0 and 0xFFFFF000" srec_cmp "srec_cmp ends-a.hex -intel ends-b.hex -intel"

echo
echo "Median of $runs runs each, on $(nproc) cores; ratio = Torvane's time / the tool's (goal: HEX at most 0.5 of srec_cmp, BIN at most 1.5 of cmp)."
echo
printf '| %-26s | %-8s | %10s | %6s |\n' job tool "median ms" ratio
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..28})" "$(printf -- '-%.0s' {1..10})" "$(printf -- '-%.0s' {1..12})" "$(printf -- '-%.0s' {1..8})"
base=""
for row in "${rows[@]}"; do
    IFS='|' read -r job tool ms <<<"$row"
    [ "$tool" = torvane ] && base=$ms
    ratio=$(/usr/bin/python3 -c "print('%.2f' % ($base / $ms))")
    printf '| %-26s | %-8s | %10s | %6s |\n' "$job" "$tool" "$ms" "$ratio"
done

echo
echo "Peak resident memory of torvane-cli diff (KiB), beside the data the two images hold:"
printf '| %-26s | %12s | %10s |\n' job "data (KiB)" "peak KiB"
printf '| %-26s | %12s | %10s |\n' "two 16 MiB HEX" 32768 "$(peak "$cli" diff a.hex b.hex)"
printf '| %-26s | %12s | %10s |\n' "two 64 MiB BIN (streamed)" 131072 "$(peak "$cli" diff a.bin b.bin)"
printf '| %-26s | %12s | %10s |\n' "data at 0 and 0xFFFFF000" 16 "$(peak "$cli" diff ends-a.hex ends-b.hex)"
printf '| %-26s | %12s | %10s |\n' "the same, --fill FF" 16 "$(peak "$cli" diff ends-a.hex ends-b.hex --fill FF)"
