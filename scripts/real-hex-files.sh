#!/usr/bin/env bash
# HEX files as real tools write them, each converted by torvane-cli with no
# options and compared byte for byte with objcopy's BIN of the same file:
#   srec_cat (LF line ends, 32-byte records), objcopy from raw bytes (CR LF,
#   type 04 and 05 at 0x08000000), objcopy below 1 MiB (type 02 segments),
#   Python intelhex (LF), and arm-none-eabi binutils from a linked Cortex-M
#   program whose .data is loaded from flash.
# A tool that is not installed is skipped with a line that says so.
#   scripts/real-hex-files.sh TORVANE-CLI
set -euo pipefail
cli=$(realpath "${1:?usage: real-hex-files.sh TORVANE-CLI}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Data whose length is a multiple of 4, so the default 4-byte alignment adds nothing.
head -c 6144 /dev/urandom >data.raw
checked=0
failed=0

have() { command -v "$1" >/dev/null 2>&1; }

# check HEX WHAT [REFERENCE-BIN]: objcopy's BIN of the file is the reference
# unless one is given.
check() {
    local hex=$1 what=$2 reference=${3:-}
    local bin="${hex%???}BIN"
    if ! "$cli" hex2bin "$hex" >"$hex.log" 2>&1; then
        echo "real HEX files: FAILED: $what ($hex): torvane-cli refused it"
        cat "$hex.log"
        failed=$((failed + 1))
        return
    fi
    if [ -z "$reference" ]; then
        reference="$hex.objcopy"
        objcopy -I ihex -O binary "$hex" "$reference"
    fi
    if cmp -s "$bin" "$reference"; then
        echo "real HEX files: ok: $what"
    else
        echo "real HEX files: FAILED: $what: torvane-cli's BIN differs from $reference"
        cmp "$bin" "$reference" || true
        failed=$((failed + 1))
    fi
    checked=$((checked + 1))
}

if have srec_cat; then
    srec_cat data.raw -binary -offset 0x7800 -o srec-lf.hex -intel
    check srec-lf.hex "srec_cat, LF, at 0x7800"
    # A file of another system: CR line ends alone.
    tr '\n' '\r' <srec-lf.hex >srec-cr.hex
    check srec-cr.hex "srec_cat output with CR line ends"
else
    echo "real HEX files: skipped srec_cat: not installed"
fi

objcopy -I binary -O ihex --change-addresses 0x08000000 data.raw flash.hex
check flash.hex "objcopy, CR LF, type 04/05 at 0x08000000"
objcopy -I binary -O ihex --change-addresses 0x12340 data.raw segment.hex
grep -q '^:020000021' segment.hex || { echo "real HEX files: FAILED: objcopy wrote no type 02 record"; failed=$((failed + 1)); }
check segment.hex "objcopy, type 02 segments at 0x12340"
# objcopy itself refuses blanks at the end of a line: compared with the file without them.
sed 's/\r$/  \r/' flash.hex >BLANKS.HEX
check BLANKS.HEX "upper-case name, blanks before the line ends" flash.hex.objcopy

if /usr/bin/python3 -c 'import intelhex' 2>/dev/null; then
    /usr/bin/python3 - <<'PY'
from intelhex import IntelHex
ih = IntelHex()
ih.loadbin("data.raw", offset=0x20000)
ih.tofile("intelhex.hex", format="hex")
PY
    check intelhex.hex "Python intelhex, LF, at 0x20000"
else
    echo "real HEX files: skipped Python intelhex: not installed"
fi

# check_elf ELF WHAT OBJCOPY: the ELF converted to BIN, HEX and S-records; the
# BIN must be objcopy's, the HEX and the S-records equal to it.
check_elf() {
    local elf=$1 what=$2 tool=$3
    shift 3
    checked=$((checked + 1))
    "$tool" -O binary "$elf" "$elf.objcopy"
    if ! "$cli" convert "$elf" -o "$elf.bin" "$@" >/dev/null || ! cmp -s "$elf.bin" "$elf.objcopy" ||
        ! "$cli" convert "$elf" -o "$elf.hex" >/dev/null || ! "$cli" convert "$elf.hex" -o "$elf.hex.bin" "$@" >/dev/null ||
        ! cmp -s "$elf.hex.bin" "$elf.objcopy" || ! "$cli" convert "$elf" -o "$elf.s19" >/dev/null ||
        ! "$cli" convert "$elf.s19" -o "$elf.s19.bin" "$@" >/dev/null || ! cmp -s "$elf.s19.bin" "$elf.objcopy"; then
        echo "real HEX files: FAILED: $what ($elf) converted differs from $tool's BIN"
        failed=$((failed + 1))
        return
    fi
    echo "real HEX files: $what: converted equal to $tool's BIN"
}

if have as && have ld; then
    # A 64-bit x86-64 executable: two loadable segments.
    printf '    .text\n    .globl _start\n_start:\n    mov $60, %%eax\n    syscall\n    .data\nvalue:\n    .quad 0x1122334455667788\n' >x64.s
    as -o x64.o x64.s && ld -o x64.elf x64.o
    # ld puts the ELF header in a loadable segment of its own, at 0x400000,
    # which objcopy's BIN (made of sections) leaves out: the range from .text.
    check_elf x64.elf "a 64-bit x86-64 ELF file" objcopy --crop 401000-402007
else
    echo "real HEX files: skipped the x86-64 ELF file: binutils is not installed"
fi

if have arm-none-eabi-as && have arm-none-eabi-ld && have arm-none-eabi-objcopy; then
    cat >app.s <<'ASM'
    .syntax unified
    .thumb
    .section .isr_vector, "a"
    .word 0x20002000
    .word reset + 1
    .text
    .thumb_func
reset:
    ldr r0, =counter
    ldr r1, [r0]
    adds r1, #1
    str r1, [r0]
    b reset
    .balign 4
    .data
counter:
    .word 0x12345678
    .word 0x9ABCDEF0
ASM
    cat >app.ld <<'LD'
MEMORY { FLASH (rx) : ORIGIN = 0x08000000, LENGTH = 64K
         RAM (rwx)  : ORIGIN = 0x20000000, LENGTH = 8K }
SECTIONS {
    .text : { KEEP(*(.isr_vector)) *(.text*) . = ALIGN(4); } > FLASH
    .data : { *(.data*) . = ALIGN(4); } > RAM AT > FLASH
}
LD
    arm-none-eabi-as -mcpu=cortex-m3 -o app.o app.s
    arm-none-eabi-ld -T app.ld -o app.elf app.o
    arm-none-eabi-objcopy -O ihex app.elf app.hex
    check app.hex "arm-none-eabi-objcopy, a Cortex-M program with .data loaded from flash"
    # The ELF file itself, and the same program big-endian: its .data at its
    # flash (load) address, as objcopy's BIN has it.
    arm-none-eabi-as -mcpu=cortex-m3 -mbig-endian -o app-be.o app.s
    arm-none-eabi-ld -EB -T app.ld -o app-be.elf app-be.o
    check_elf app.elf "a 32-bit little-endian Cortex-M ELF file" arm-none-eabi-objcopy
    check_elf app-be.elf "a 32-bit big-endian Cortex-M ELF file" arm-none-eabi-objcopy
else
    echo "real HEX files: skipped arm-none-eabi: binutils-arm-none-eabi is not installed"
fi

echo "real HEX files: $checked compared, $failed failed"
[ "$failed" -eq 0 ] && [ "$checked" -gt 0 ]
