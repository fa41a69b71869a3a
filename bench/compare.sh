#!/usr/bin/env bash
# Whole-process times of Torvane against the tools engineers use today, for the
# same jobs on the same inputs, with a check that outputs agree where the formats
# are the same. Run by hand: bench/compare.sh [RUNS]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-15}
build="${TORVANE_BUILD_DIR:-$here/build-release}"
cli="$build/torvane-cli"

need=()
for p in binutils binutils-arm-none-eabi srecord python3-intelhex coreutils xxd hyperfine time cmake g++ libarchive-zip-perl; do
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

# Inputs: a HEX file just under the 2 MiB a row accepts (32-byte records from
# address 0), two BIN files for a merge with a gap, 8 MiB and 1 MiB of bytes.
/usr/bin/python3 - <<'PY'
import os, random
random.seed(7)
data = bytes(random.getrandbits(8) for _ in range(840 * 1024))
with open("app.hex", "w", newline="\r\n") as f:
    upper = -1
    for i in range(0, len(data), 32):
        if (i >> 16) != upper:
            upper = i >> 16
            rec = bytes([2, 0, 0, 4, upper >> 8, upper & 255])
            f.write(":" + rec.hex().upper() + "%02X" % (-sum(rec) & 255) + "\n")
        chunk = data[i:i + 32]
        rec = bytes([len(chunk), (i >> 8) & 255, i & 255, 0]) + chunk
        f.write(":" + rec.hex().upper() + "%02X" % (-sum(rec) & 255) + "\n")
    f.write(":00000001FF\n")
open("a.bin", "wb").write(os.urandom(512 * 1024))
open("b.bin", "wb").write(os.urandom(256 * 1024))
open("md5.bin", "wb").write(os.urandom(8 * 1024 * 1024))
open("c.bin", "wb").write(os.urandom(1024 * 1024))
for i in range(6):
    open("p%d.bin" % i, "wb").write(os.urandom(1024 * 1024))
PY
[ "$(stat -c %s app.hex)" -le 2097152 ] || { echo "app.hex too large" >&2; exit 1; }
# The same records with LF line ends, as srec_cat, intelhex and Linux toolchains write them.
sed 's/\r$//' app.hex >lf.hex

# A 2 MiB BIN for the format conversions, and an ELF of the same bytes at the flash base.
head -c 2097152 /dev/urandom >two.bin
arm-none-eabi-ld -b binary two.bin -o two.elf --section-start=.data=0x08000000 -e 0

# Outputs that must agree byte for byte.
"$cli" hex2bin --align 1 app.hex >/dev/null
objcopy -I ihex -O binary app.hex objcopy.bin
srec_cat app.hex -intel -o srec.bin -binary
/usr/bin/python3 -c "from intelhex import IntelHex; IntelHex('app.hex').tobinfile('intelhex.bin')"
cmp app.BIN objcopy.bin && cmp app.BIN srec.bin && cmp app.BIN intelhex.bin
"$cli" hex2bin --align 1 lf.hex >/dev/null
cmp lf.BIN objcopy.bin
"$cli" merge -o merged.bin a.bin --offset 100000 --fill FF b.bin >/dev/null 2>&1
srec_cat a.bin -binary -fill 0xFF 0 0x100000 b.bin -binary -offset 0x100000 -o srec-merged.bin -binary
cmp merged.bin srec-merged.bin
# Six 1 MiB files one after the other: the whole 6 MiB image.
six_torvane="$cli merge -o six.bin p0.bin"
six_srec="srec_cat p0.bin -binary"
for i in 1 2 3 4 5; do
    at=$(printf '%X' $((i * 0x100000)))
    six_torvane+=" --offset $at p$i.bin"
    six_srec+=" p$i.bin -binary -offset 0x$at"
done
six_srec+=" -o srec-six.bin -binary"
$six_torvane >/dev/null 2>&1
$six_srec
cmp six.bin srec-six.bin
[ "$("$cli" checksum md5 md5.bin)" = "$(md5sum md5.bin | cut -d' ' -f1)" ]
crc=$("$cli" checksum crc32 md5.bin)
[ "$crc" = "$(/usr/bin/python3 -c "import zlib; print('%08X' % zlib.crc32(open('md5.bin', 'rb').read()))")" ]
[ "${crc,,}" = "$(crc32 md5.bin)" ]
"$cli" bin2c c.bin -o c.h >/dev/null 2>&1
# Conversions between formats: the same bytes back.
"$cli" convert app.hex -o conv.srec >/dev/null
srec_cat conv.srec -motorola -o conv-back.bin -binary && cmp conv-back.bin app.BIN
"$cli" convert two.bin -o two.hex --base 08000000 >/dev/null
objcopy -I binary -O ihex --change-addresses 0x08000000 two.bin objcopy-two.hex
grep -v '^:04000005' objcopy-two.hex | cmp - two.hex
"$cli" convert two.elf -o elf.bin >/dev/null
arm-none-eabi-objcopy -O binary two.elf objcopy-elf.bin && cmp elf.bin objcopy-elf.bin
echo "Outputs agree: HEX to BIN (objcopy, srec_cat, intelhex), merges (srec_cat), MD5 (md5sum), CRC-32 (zlib, crc32)."

declare -a rows
time_job() {  # job, tool, command
    hyperfine -N --style none --warmup 2 --runs "$runs" --export-json t.json "$3" >/dev/null 2>&1
    local ms
    ms=$(/usr/bin/python3 -c "import json; print('%.2f' % (json.load(open('t.json'))['results'][0]['median'] * 1000))")
    rows+=("$1|$2|$ms")
}

time_job "HEX to BIN, 2 MiB HEX" torvane "$cli hex2bin --align 1 app.hex"
time_job "HEX to BIN, 2 MiB HEX" objcopy "objcopy -I ihex -O binary app.hex objcopy.bin"
time_job "HEX to BIN, 2 MiB HEX" srec_cat "srec_cat app.hex -intel -o srec.bin -binary"
time_job "HEX to BIN, 2 MiB HEX" intelhex "/usr/bin/python3 -c \"from intelhex import IntelHex; IntelHex('app.hex').tobinfile('intelhex.bin')\""
time_job "HEX to BIN, LF line ends" torvane "$cli hex2bin --align 1 lf.hex"
time_job "HEX to BIN, LF line ends" objcopy "objcopy -I ihex -O binary lf.hex objcopy-lf.bin"
time_job "merge two BIN, 0xFF gap" torvane "$cli merge -o merged.bin a.bin --offset 100000 --fill FF b.bin"
time_job "merge two BIN, 0xFF gap" srec_cat "srec_cat a.bin -binary -fill 0xFF 0 0x100000 b.bin -binary -offset 0x100000 -o srec-merged.bin -binary"
time_job "merge six 1 MiB BIN" torvane "$six_torvane"
time_job "merge six 1 MiB BIN" srec_cat "$six_srec"
time_job "MD5 of 8 MiB" torvane "$cli checksum md5 md5.bin"
time_job "MD5 of 8 MiB" md5sum "md5sum md5.bin"
time_job "CRC-32 of 8 MiB" torvane "$cli checksum crc32 md5.bin"
time_job "CRC-32 of 8 MiB" zlib "/usr/bin/python3 -c \"import zlib; zlib.crc32(open('md5.bin', 'rb').read())\""
time_job "CRC-32 of 8 MiB" crc32 "crc32 md5.bin"
time_job "HEX to S-record, 2 MiB" torvane "$cli convert app.hex -o conv.srec"
time_job "HEX to S-record, 2 MiB" srec_cat "srec_cat app.hex -intel -o srec-conv.srec -motorola"
time_job "BIN to HEX, 2 MiB" torvane "$cli convert two.bin -o two.hex --base 08000000"
time_job "BIN to HEX, 2 MiB" "torvane --no-sync" "$cli convert two.bin -o two.hex --base 08000000 --no-sync"
time_job "BIN to HEX, 2 MiB" objcopy "objcopy -I binary -O ihex --change-addresses 0x08000000 two.bin objcopy-two.hex"
time_job "BIN to HEX, 2 MiB" srec_cat "srec_cat two.bin -binary -offset 0x08000000 -o srec-two.hex -intel"
time_job "ELF to BIN, 2 MiB" torvane "$cli convert two.elf -o elf.bin"
time_job "ELF to BIN, 2 MiB" "torvane --no-sync" "$cli convert two.elf -o elf.bin --no-sync"
time_job "ELF to BIN, 2 MiB" objcopy "arm-none-eabi-objcopy -O binary two.elf objcopy-elf.bin"
time_job "C array of 1 MiB" torvane "$cli bin2c c.bin -o c.h"
time_job "C array of 1 MiB" "xxd -i" "sh -c 'xxd -i c.bin > xxd.h'"

echo
echo "Median of $runs runs each, on $(nproc) cores; ratio = Torvane's time / the tool's (below 1: Torvane is faster)."
echo "A 'torvane --no-sync' row's ratio is its time / Torvane's with the sync."
echo
printf '| %-24s | %-17s | %10s | %6s |\n' job tool "median ms" ratio
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..26})" "$(printf -- '-%.0s' {1..19})" "$(printf -- '-%.0s' {1..12})" "$(printf -- '-%.0s' {1..8})"
base=""
declare -A nosync
for row in "${rows[@]}"; do
    IFS='|' read -r job tool ms <<<"$row"
    [ "$tool" = torvane ] && base=$ms
    if [ "$tool" = "torvane --no-sync" ]; then
        nosync[$job]=$ms
        ratio=$(/usr/bin/python3 -c "print('%.2f' % ($ms / $base))")
    else
        ratio=$(/usr/bin/python3 -c "print('%.2f' % ($base / $ms))")
    fi
    printf '| %-24s | %-17s | %10s | %6s |\n' "$job" "$tool" "$ms" "$ratio"
done
# The goal of --no-sync: a conversion no slower than objcopy's whole process.
echo
for row in "${rows[@]}"; do
    IFS='|' read -r job tool ms <<<"$row"
    [ "$tool" = objcopy ] && [ -n "${nosync[$job]:-}" ] || continue
    /usr/bin/python3 -c "
n, o = ${nosync[$job]}, $ms
print('%s: torvane --no-sync %.2f ms, objcopy %.2f ms, ratio %.2f (%s)' % ('$job', n, o, n / o, 'at most objcopy\'s time' if n <= o else 'slower than objcopy'))"
done

# Peak memory of the conversions of a 16 MiB image (45 MB of HEX text, 41 MB
# of S-records), as the maximum resident set of the whole process. Torvane
# reads the input through a view of the file that keeps a window of it in
# memory, and writes its records as they are made; objcopy and srec_cat hold
# the image. srec_cat reads no ELF.
head -c 16777216 /dev/urandom >big.bin
srec_cat big.bin -binary -offset 0x08000000 -o big.hex -intel -address-length=4 -obs=16
srec_cat big.bin -binary -offset 0x08000000 -o big.srec -motorola
arm-none-eabi-ld -b binary big.bin -o big.elf --section-start=.data=0x08000000 -e 0
"$cli" convert big.hex -o big-t.srec --no-sync >/dev/null
srec_cat big-t.srec -motorola -offset -0x08000000 -o back.bin -binary && cmp back.bin big.bin
"$cli" convert big.srec -o big-t.hex --no-sync >/dev/null 2>&1
srec_cat big-t.hex -intel -offset -0x08000000 -o back.bin -binary && cmp back.bin big.bin
"$cli" convert big.elf -o big-t.bin --no-sync >/dev/null
cmp big-t.bin big.bin
peak() {  # command: its peak resident memory in MiB, the median of three runs
    local kib=()
    for _ in 1 2 3; do kib+=("$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)"); done
    printf '%s\n' "${kib[@]}" | sort -n | sed -n 2p | awk '{printf "%.1f", $1 / 1024}'
}
echo
echo "Peak memory (maximum resident set) of the conversions of a 16 MiB image; goal: Torvane at most 64 MiB."
echo
printf '| %-28s | %-9s | %8s |\n' job tool "peak MiB"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..30})" "$(printf -- '-%.0s' {1..11})" "$(printf -- '-%.0s' {1..10})"
printf '| %-28s | %-9s | %8s |\n' "HEX to S-record, 16 MiB" torvane "$(peak "$cli" convert big.hex -o big-t.srec --no-sync)"
printf '| %-28s | %-9s | %8s |\n' "HEX to S-record, 16 MiB" srec_cat "$(peak srec_cat big.hex -intel -o big-s.srec -motorola)"
printf '| %-28s | %-9s | %8s |\n' "HEX to S-record, 16 MiB" objcopy "$(peak objcopy -I ihex -O srec big.hex big-o.srec)"
printf '| %-28s | %-9s | %8s |\n' "S-record to HEX, 16 MiB" torvane "$(peak "$cli" convert big.srec -o big-t.hex --no-sync)"
printf '| %-28s | %-9s | %8s |\n' "S-record to HEX, 16 MiB" srec_cat "$(peak srec_cat big.srec -motorola -o big-s.hex -intel)"
printf '| %-28s | %-9s | %8s |\n' "S-record to HEX, 16 MiB" objcopy "$(peak objcopy -I srec -O ihex big.srec big-o.hex)"
printf '| %-28s | %-9s | %8s |\n' "ELF to BIN, 16 MiB" torvane "$(peak "$cli" convert big.elf -o big-t.bin --no-sync)"
printf '| %-28s | %-9s | %8s |\n' "ELF to BIN, 16 MiB" objcopy "$(peak arm-none-eabi-objcopy -O binary big.elf big-o.bin)"
