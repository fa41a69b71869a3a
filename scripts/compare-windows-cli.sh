#!/usr/bin/env bash
# Runs the Linux and the Windows torvane-cli on the same files and compares
# what they write, byte for byte: a HEX to BIN, a merge, an exported project
# and its run, check values, a test image and a C array. The project files
# differ only in the folder their absolute file names start with; that part
# is compared after it is replaced on both sides.
#   scripts/compare-windows-cli.sh LINUX-BUILD-DIR WINDOWS-BUILD-DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
linux_cli="$(cd "$1" && pwd)/torvane-cli"
windows_cli="$(cd "$2" && pwd)/torvane-cli.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The inputs: a HEX file with an extended linear address (CRLF line ends, as
# the decoder wants them) and a BIN file.
mkdir "$work/in"
printf ':020000040800F2\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n' >"$work/in/app.hex"
printf ':10001000101112131415161718191A1B1C1D1E1F68\r\n:00000001FF\r\n' >>"$work/in/app.hex"
head -c 1000 /dev/urandom >"$work/in/data.bin"
# A name no single-byte ANSI code page can spell reaches the program whole.
cp "$work/in/app.hex" "$work/in/固件.hex"

# run SIDE COMMAND...: the command in SIDE's own copy of the inputs; stdout
# to SIDE/NAME.out, with the console's CR before LF taken away.
run() {
    local side=$1 name=$2
    shift 2
    local cli=$linux_cli
    [ "$side" = windows ] && cli="$here/scripts/wine-run.sh $windows_cli"
    (cd "$work/$side" && $cli "$@" 2>>"$work/$side/stderr" | tr -d '\r' >"$work/$side/$name.out") || {
        echo "torvane-cli ($side) failed: $*" >&2
        cat "$work/$side/stderr" >&2
        return 1
    }
}

for side in linux windows; do
    cp -r "$work/in" "$work/$side"
    run "$side" hex2bin hex2bin --align 8 --fill FF --no-keep-before-offset app.hex
    run "$side" merge merge -o merged.bin --no-keep-before-offset app.hex --offset 100 --fill FF data.bin
    run "$side" export export --config proj.ini --layout merge --no-keep-before-offset app.hex --offset 2000 --fill FF data.bin
    run "$side" run run merge --config proj.ini -o run.bin
    run "$side" md5 checksum md5 merged.bin
    run "$side" sum32 checksum sum32 app.BIN
    run "$side" testbin testbin -o test.bin --length 4096 --start 10 --end 1F --fill 5A
    run "$side" bin2c bin2c data.bin -o data.h
    run "$side" named hex2bin --align 4 --no-keep-before-offset 固件.hex
done

# The folders as each program names them in the project file.
linux_folder="$work/linux/"
windows_folder="Z:$(printf '%s' "$work/windows/" | tr '/' '\\')"
sed "s|$linux_folder|<folder>/|g" "$work/linux/proj.ini" >"$work/linux/proj.cmp"
sed "s|$(printf '%s' "$windows_folder" | sed 's/\\/\\\\/g')|<folder>/|g" "$work/windows/proj.ini" >"$work/windows/proj.cmp"

failed=0
for file in app.BIN 固件.BIN merged.bin run.bin test.bin data.h proj.cmp md5.out sum32.out; do
    if cmp -s "$work/linux/$file" "$work/windows/$file"; then
        echo "same: $file ($(wc -c <"$work/linux/$file") bytes)"
    else
        echo "DIFFERENT: $file"
        cmp "$work/linux/$file" "$work/windows/$file" || true
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "the Windows and the Linux torvane-cli wrote the same files"
exit "$failed"
