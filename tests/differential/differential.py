#!/usr/bin/env python3
"""torvane-cli's readers against srec_cat, on valid and damaged files.

Every input is read by `torvane-cli convert IN -o OUT.hex` and by a reference:
srec_cat for Intel HEX and S-records (its Intel HEX output read back), and for
ELF an independent reading of the PT_LOAD program headers below (checked
against objcopy on the files as made). The rule, for every input:

  * both read it: the same bytes at the same addresses;
  * or torvane-cli refuses it: a non-zero exit and a reason line naming the file.

Never other bytes with exit 0. An ELF file read is also converted to BIN, which
is written from the loads' bytes where they lie in the file, not from the
image: the BIN must hold the bytes of the HEX. Where srec_cat refuses a text that torvane-cli
reads on purpose (blanks before a line end, CR alone as a line end), the text
without them must give srec_cat the bytes torvane-cli read.

  differential.py --cli PATH [--seed N] [--cases N] [--seconds S] [--save DIR]
  differential.py --cli PATH --replay DIR     (every file in DIR, by its name's format)

Inputs that break the rule are printed, and with --save kept in DIR.
"""

import argparse
import concurrent.futures
import hashlib
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

# ---------------------------------------------------------------- records


def ihex_record(rtype, address, data):
    body = [len(data), (address >> 8) & 0xFF, address & 0xFF, rtype] + list(data)
    return ":" + "".join("%02X" % b for b in body) + "%02X" % (-sum(body) & 0xFF)


SREC_ADDRESS_BYTES = {0: 2, 1: 2, 2: 3, 3: 4, 5: 2, 6: 3, 7: 4, 8: 3, 9: 2}


def srec_record(rtype, address, data):
    width = SREC_ADDRESS_BYTES[rtype]
    body = [width + len(data) + 1] + [(address >> (8 * i)) & 0xFF for i in reversed(range(width))] + list(data)
    return "S%d" % rtype + "".join("%02X" % b for b in body) + "%02X" % (~sum(body) & 0xFF)


def fix_checksum(line):
    """The line with its checksum made right, when it is a record of hex digits."""
    text = line.rstrip(" \t")
    tail = line[len(text):]
    try:
        if text.startswith(":") and len(text) >= 11 and len(text) % 2 == 1:
            body = bytes.fromhex(text[1:-2])
            return text[:-2] + "%02X" % (-sum(body) & 0xFF) + tail
        if text[:1] in "Ss" and len(text) >= 6 and len(text) % 2 == 0:
            body = bytes.fromhex(text[2:-2])
            return text[:-2] + "%02X" % (~sum(body) & 0xFF) + tail
    except ValueError:
        pass
    return line


def parse_ihex(text):
    """Address -> byte of a well-formed Intel HEX text (an output of srec_cat or torvane-cli)."""
    out = {}
    base = 0
    segmented = False
    for line in text.splitlines():
        line = line.strip()
        if not line.startswith(":"):
            continue
        b = bytes.fromhex(line[1:])
        n, offset, rtype, data = b[0], b[1] << 8 | b[2], b[3], b[4:4 + b[0]]
        if rtype == 0:
            for i, v in enumerate(data):
                at = base + ((offset + i) & 0xFFFF if segmented else offset + i)
                out[at & 0xFFFFFFFF] = v
        elif rtype == 1:
            break
        elif rtype == 2:
            base, segmented = (data[0] << 8 | data[1]) << 4, True
        elif rtype == 4:
            base, segmented = (data[0] << 8 | data[1]) << 16, False
    return out


# ---------------------------------------------------------------- images and writers

ADDRESS_POOLS = [
    lambda r: r.randrange(0, 0x400),
    lambda r: 0xFFFF - r.randrange(0, 0x120),          # across the first 64 KiB boundary
    lambda r: r.randrange(0, 0x100000),                # segment territory
    lambda r: 0x08000000 + r.randrange(0, 0x3000),     # flash
    lambda r: 0x0800FFF0 + r.randrange(0, 0x20),       # flash, across 64 KiB
    lambda r: 0x20000000 + r.randrange(0, 0x1000),
    lambda r: 0x90000000 + r.randrange(0, 0x1000000),  # QSPI
    lambda r: 0xFFFFF000 + r.randrange(0, 0xE00),      # near the top
]


def random_image(r):
    image = {}
    for _ in range(r.randint(1, 4)):
        at = r.choice(ADDRESS_POOLS)(r)
        for i in range(r.randint(1, 300)):
            if at + i <= 0xFFFFFFFF:
                image[at + i] = r.randrange(256)
    return image


def runs(image):
    """(address, bytes) runs of consecutive addresses."""
    out = []
    for a in sorted(image):
        if out and out[-1][0] + len(out[-1][1]) == a:
            out[-1][1].append(image[a])
        else:
            out.append((a, [image[a]]))
    return out


def own_ihex(r, image, start):
    lines = []
    size = r.choice([1, 8, 16, 32, 255])
    upper = None
    # Type 02 segments when every address is below 1 MiB and the writer picks them.
    segmented = max(image) < 0x100000 and r.random() < 0.4
    for at, data in runs(image):
        i = 0
        while i < len(data):
            a = at + i
            if segmented:
                seg = (a >> 4) & 0xF000
                if seg != upper:
                    lines.append(ihex_record(2, 0, [seg >> 8, seg & 0xFF]))
                    upper = seg
                off = a - (seg << 4)
            else:
                if a >> 16 != upper and not (upper is None and a >> 16 == 0):
                    lines.append(ihex_record(4, 0, [a >> 24, (a >> 16) & 0xFF]))
                upper = a >> 16
                off = a & 0xFFFF
            n = min(size, len(data) - i, 0x10000 - off)
            lines.append(ihex_record(0, off, data[i:i + n]))
            i += n
    if start is not None:
        lines.append(ihex_record(5, 0, list(start.to_bytes(4, "big"))))
    lines.append(ihex_record(1, 0, []))
    return lines


def own_srec(r, image, start):
    top = max(image)
    rtype = 1 if top <= 0xFFFF else 2 if top <= 0xFFFFFF else 3
    rtype = max(rtype, r.choice([1, 1, 2, 3]))
    size = r.choice([1, 16, 32, 64])
    lines = [srec_record(0, 0, list(b"torvane"))] if r.random() < 0.8 else []
    count = 0
    for at, data in runs(image):
        for i in range(0, len(data), size):
            lines.append(srec_record(rtype, at + i, data[i:i + size]))
            count += 1
    if r.random() < 0.5:
        lines.append(srec_record(5, count & 0xFFFF, []))
    if start is not None or r.random() < 0.5:
        lines.append(srec_record(10 - rtype, start or 0, []))
    return lines


class Tools:
    def __init__(self, cli, work):
        self.cli = cli
        self.work = work
        self.have_srec_cat = shutil.which("srec_cat") is not None
        self.have_objcopy = shutil.which("objcopy") is not None
        try:
            import intelhex  # noqa: F401
            self.have_intelhex = True
        except ImportError:
            self.have_intelhex = False

    def run(self, args, cwd=None):
        p = subprocess.run(args, capture_output=True, cwd=cwd or self.work, timeout=60)
        return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def tool_file(tools, r, image, start, fmt, folder):
    """A valid file written by a real tool, or None when it is not installed."""
    pieces = runs(image)
    if fmt in ("hex", "s19") and tools.have_srec_cat and r.random() < 0.5:
        args = ["srec_cat"]
        for i, (at, data) in enumerate(pieces):
            name = os.path.join(folder, "p%d.bin" % i)
            with open(name, "wb") as f:
                f.write(bytes(data))
            args += [name, "-binary", "-offset", "0x%X" % at]
        out = os.path.join(folder, "tool." + fmt)
        args += ["-o", out, "-intel" if fmt == "hex" else "-motorola"]
        if fmt == "s19" and r.random() < 0.3:
            args += ["-address-length=4"]
        if fmt == "hex" and r.random() < 0.3:
            args += ["-line-length=%d" % r.choice([20, 44, 76])]
        if start is not None:
            args += ["-execution-start-address=0x%X" % start]
        if tools.run(args)[0] == 0:
            with open(out, "rb") as f:
                return f.read().decode("latin-1")
    if fmt == "hex" and tools.have_intelhex and r.random() < 0.5:
        from intelhex import IntelHex
        ih = IntelHex()
        for a, v in image.items():
            ih[a] = v
        if start is not None:
            ih.start_addr = {"EIP": start}
        out = os.path.join(folder, "ih.hex")
        ih.tofile(out, format="hex")
        with open(out, "rb") as f:
            return f.read().decode("latin-1")
    if tools.have_objcopy and len(pieces) == 1 and pieces[0][0] + len(pieces[0][1]) <= 0xFFFFFFFF:
        raw = os.path.join(folder, "one.bin")
        with open(raw, "wb") as f:
            f.write(bytes(pieces[0][1]))
        out = os.path.join(folder, "oc." + fmt)
        if tools.run(["objcopy", "-I", "binary", "-O", "ihex" if fmt == "hex" else "srec",
                      "--change-addresses", "0x%X" % pieces[0][0], raw, out])[0] == 0:
            with open(out, "rb") as f:
                return f.read().decode("latin-1")
    return None


# ---------------------------------------------------------------- ELF


def make_elf(r, image):
    """A minimal ELF (32 or 64 bit, either byte order) with one PT_LOAD per run,
    its physical address the run's, a virtual address of its own, a section for
    each segment so that objcopy sees the same bytes, and sometimes a .bss-like
    segment without file bytes."""
    wide = r.random() < 0.4
    big = r.random() < 0.4
    e = ">" if big else "<"
    pieces = runs(image)
    if wide:
        pieces = pieces[:3]
    segments = []
    for at, data in pieces:
        segments.append((at, r.randrange(0, 0x40000000) & ~0xFFF, bytes(data), len(data) + r.choice([0, 0, 16])))
    bss = r.random() < 0.3
    ehsize, phsize, shsize = (64, 56, 64) if wide else (52, 32, 40)
    nph = len(segments) + (1 if bss else 0)
    offset = ehsize + nph * phsize
    data_offsets = []
    blob = b""
    for _, _, data, _ in segments:
        data_offsets.append(offset + len(blob))
        blob += data
    shstr = b"\0.shstrtab\0" + b"".join(b".s%d\0" % i for i in range(len(segments)))
    shstr_off = offset + len(blob)
    shoff = shstr_off + len(shstr)
    nsh = len(segments) + 2
    entry = segments[0][0]
    if wide:
        header = struct.pack(e + "16sHHIQQQIHHHHHH", b"\x7fELF" + bytes([2, 2 if big else 1, 1]) + bytes(9), 2, 62, 1,
                             entry, ehsize, shoff, 0, ehsize, phsize, nph, shsize, nsh, nsh - 1)
    else:
        header = struct.pack(e + "16sHHIIIIIHHHHHH", b"\x7fELF" + bytes([1, 2 if big else 1, 1]) + bytes(9), 2, 40, 1,
                             entry, ehsize, shoff, 0, ehsize, phsize, nph, shsize, nsh, nsh - 1)
    ph = b""
    for (paddr, vaddr, data, memsz), off in zip(segments, data_offsets):
        if wide:
            ph += struct.pack(e + "IIQQQQQQ", 1, 7, off, vaddr, paddr, len(data), memsz, 1)
        else:
            ph += struct.pack(e + "IIIIIIII", 1, off, vaddr, paddr, len(data), memsz, 7, 1)
    if bss:
        if wide:
            ph += struct.pack(e + "IIQQQQQQ", 1, 6, 0, 0x20000000, 0x20000000, 0, 0x100, 1)
        else:
            ph += struct.pack(e + "IIIIIIII", 1, 0, 0x20000000, 0x20000000, 0, 0x100, 6, 1)
    sh = bytes(shsize)
    for i, ((paddr, vaddr, data, memsz), off) in enumerate(zip(segments, data_offsets)):
        name = shstr.index(b".s%d\0" % i)
        if wide:
            sh += struct.pack(e + "IIQQQQIIQQ", name, 1, 3, vaddr, off, len(data), 0, 0, 1, 0)
        else:
            sh += struct.pack(e + "IIIIIIIIII", name, 1, 3, vaddr, off, len(data), 0, 0, 1, 0)
    if wide:
        sh += struct.pack(e + "IIQQQQIIQQ", 1, 3, 0, 0, shstr_off, len(shstr), 0, 0, 1, 0)
    else:
        sh += struct.pack(e + "IIIIIIIIII", 1, 3, 0, 0, shstr_off, len(shstr), 0, 0, 1, 0)
    return header + ph + blob + shstr + sh


ARM_PROGRAM = """
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
"""

ARM_LAYOUT = """
MEMORY { FLASH (rx) : ORIGIN = 0x08000000, LENGTH = 64K
         RAM (rwx)  : ORIGIN = 0x20000000, LENGTH = 8K }
SECTIONS {
    .text : { KEEP(*(.isr_vector)) *(.text*) . = ALIGN(4); } > FLASH
    .data : { *(.data*) . = ALIGN(4); } > RAM AT > FLASH
}
"""


def linked_elfs(tools):
    """Cortex-M programs linked by arm-none-eabi binutils (little and big
    endian, .data loaded from flash), when installed."""
    if not all(shutil.which(t) for t in ("arm-none-eabi-as", "arm-none-eabi-ld")):
        return []
    out = []
    for endian, flags in (("le", []), ("be", ["-mbig-endian"])):
        src, ld = os.path.join(tools.work, "app.s"), os.path.join(tools.work, "app.ld")
        obj, elf = os.path.join(tools.work, "app-%s.o" % endian), os.path.join(tools.work, "app-%s.elf" % endian)
        with open(src, "w") as f:
            f.write(ARM_PROGRAM)
        with open(ld, "w") as f:
            f.write(ARM_LAYOUT)
        if tools.run(["arm-none-eabi-as", "-mcpu=cortex-m3"] + flags + ["-o", obj, src])[0] == 0 and \
                tools.run(["arm-none-eabi-ld"] + (["-EB"] if endian == "be" else []) + ["-T", ld, "-o", elf, obj])[0] == 0:
            with open(elf, "rb") as f:
                out.append(f.read())
    return out


def read_elf(b):
    """The reference reading of an ELF file: PT_LOAD file bytes at the physical
    address. A dict, or None for a file it refuses (not ELF, cut off, no data,
    file size past memory size, two values for one address, past 2^32)."""
    if len(b) < 16 or b[:4] != b"\x7fELF" or b[4] not in (1, 2) or b[5] not in (1, 2):
        return None
    wide, e = b[4] == 2, "<" if b[5] == 1 else ">"
    try:
        if wide:
            phoff, = struct.unpack_from(e + "Q", b, 32)
            phentsize, phnum = struct.unpack_from(e + "HH", b, 54)
        else:
            phoff, = struct.unpack_from(e + "I", b, 28)
            phentsize, phnum = struct.unpack_from(e + "HH", b, 42)
        if phnum == 0xFFFF or phentsize < (56 if wide else 32):
            return None
        out = {}
        for i in range(phnum):
            h = phoff + i * phentsize
            if h + phentsize > len(b):
                return None
            if wide:
                ptype, _, off, _, paddr, filesz, memsz = struct.unpack_from(e + "IIQQQQQ", b, h)
            else:
                ptype, off, _, paddr, filesz, memsz = struct.unpack_from(e + "IIIIII", b, h)
            if ptype != 1:
                continue
            if filesz > memsz:
                return None
            if filesz == 0:
                continue  # memory only: where it would lie does not matter
            if off + filesz > len(b) or paddr + filesz > 1 << 32:
                return None
            for k in range(filesz):
                v = b[off + k]
                if out.get(paddr + k, v) != v:
                    return None
                out[paddr + k] = v
        return out or None
    except struct.error:
        return None


def mutate_elf(r, b):
    b = bytearray(b)
    wide = b[4] == 2
    e = "<" if b[5] == 1 else ">"
    phoff = struct.unpack_from(e + ("Q" if wide else "I"), b, 32 if wide else 28)[0]
    phsize = 56 if wide else 32
    kind = r.choice(["flip", "flip_ph", "overlap", "filesz", "truncate", "phnum"])
    if kind == "flip":
        for _ in range(r.randint(1, 4)):
            b[r.randrange(len(b))] = r.randrange(256)
    elif kind == "flip_ph" and phoff + phsize <= len(b):
        b[phoff + r.randrange(phsize)] = r.randrange(256)
    elif kind == "overlap" and phoff + 2 * phsize <= len(b):
        # The second segment loaded over the first one, shifted by a little.
        fmt, at = (e + "Q", 24) if wide else (e + "I", 12)
        first = struct.unpack_from(fmt, b, phoff + at)[0]
        struct.pack_into(fmt, b, phoff + phsize + at, (first + r.randrange(0, 8)) & (0xFFFFFFFF))
    elif kind == "filesz":
        fmt, at = (e + "Q", 32) if wide else (e + "I", 16)
        v = struct.unpack_from(fmt, b, phoff + at)[0]
        struct.pack_into(fmt, b, phoff + at, v + r.randint(1, 64))
    elif kind == "truncate":
        del b[r.randrange(len(b)):]
    else:
        struct.pack_into(e + "H", b, 56 if wide else 44, r.randrange(0, 6))
    return bytes(b)


# ---------------------------------------------------------------- text mutations

HEX_TYPES = {"hex": ":", "s19": "S"}


def split_lines(text):
    return re.split(r"\r\n|\n|\r", text.rstrip("\r\n"))


def mutate_text(r, lines, fmt, other):
    lines = list(lines)
    record = [i for i, l in enumerate(lines) if l[:1] in (":", "S")]
    kind = r.choice(["flip", "flip", "delete_char", "insert_char", "delete_line", "dup_line", "swap", "move",
                     "count", "type", "type", "address", "dup_same", "dup_other", "drop_end", "cat", "trail",
                     "blank", "lower", "truncate", "ext", "start_len", "end_data"])
    fix = r.random() < 0.8
    if not lines or not record:
        return lines, kind
    i = r.choice(record)
    line = lines[i]
    if kind == "flip" and len(line) > 1:
        k = r.randrange(1, len(line))
        lines[i] = line[:k] + r.choice("0123456789ABCDEF0123456789ABCDEFxS: ") + line[k + 1:]
    elif kind == "delete_char" and len(line) > 1:
        k = r.randrange(len(line))
        lines[i] = line[:k] + line[k + 1:]
    elif kind == "insert_char":
        k = r.randrange(len(line) + 1)
        lines[i] = line[:k] + r.choice("0123456789ABCDEF\t :S\x1a") + line[k:]
    elif kind == "delete_line":
        del lines[i]
        fix = False
    elif kind == "dup_line":
        lines.insert(r.randrange(len(lines) + 1), line)
        fix = False
    elif kind == "swap":
        j = r.choice(record)
        lines[i], lines[j] = lines[j], lines[i]
        fix = False
    elif kind == "move":
        del lines[i]
        lines.insert(r.randrange(len(lines) + 1), line)
        fix = False
    elif kind == "count" and len(line) >= 4:
        at = 1 if fmt == "hex" else 2
        n = int(line[at:at + 2], 16) if re.fullmatch(r"[0-9A-Fa-f]{2}", line[at:at + 2]) else 0
        n = (n + r.choice([-2, -1, 1, 2, r.randrange(256)])) & 0xFF
        lines[i] = line[:at] + "%02X" % n + line[at + 2:]
    elif kind == "type" and len(line) >= 9:
        if fmt == "hex":
            lines[i] = line[:7] + "%02X" % r.choice([0, 1, 2, 3, 4, 5, 6]) + line[9:]
        else:
            lines[i] = "S" + r.choice("0123456789") + line[2:]
    elif kind == "address" and len(line) >= 8:
        # The address of another record: a place given twice.
        j = r.choice(record)
        at, width = (3, 4) if fmt == "hex" else (4, 4)
        lines[i] = line[:at] + lines[j][at:at + width] + line[at + width:]
    elif kind in ("dup_same", "dup_other"):
        copy = line
        if kind == "dup_other" and len(line) > 14:
            k = r.randrange(11 if fmt == "hex" else 8, len(line) - 2)
            copy = line[:k] + r.choice("0123456789ABCDEF") + line[k + 1:]
        lines.insert(r.randrange(i + 1, len(lines) + 1), fix_checksum(copy))
        fix = False
    elif kind == "drop_end":
        lines = [l for l in lines if not (l.startswith(":00000001") or l[:2] in ("S7", "S8", "S9", "S5"))]
        fix = False
    elif kind == "cat":
        lines = lines + list(other)
        fix = False
    elif kind == "trail":
        lines = lines + [r.choice(["", "  ", "\x1a", "garbage", "; signed", lines[i], " " + lines[i]])]
        fix = False
    elif kind == "blank":
        lines[i] = line + r.choice([" ", "\t", "  "])
        fix = False
    elif kind == "lower":
        lines[i] = line.lower()
        fix = False
    elif kind == "truncate":
        lines[i] = line[:r.randrange(len(line))]
        lines = lines[:i + 1]
        fix = False
    elif kind == "ext":
        if fmt == "hex":
            value = [r.randrange(256) for _ in range(r.choice([2, 2, 1, 3]))]
            lines.insert(i, ihex_record(r.choice([2, 4]), 0, value))
        else:
            lines.insert(i, srec_record(r.choice([5, 6]), r.randrange(0, 8), []))
        fix = False
    elif kind == "start_len":
        if fmt == "hex":
            lines.insert(i, ihex_record(r.choice([3, 5]), 0, [r.randrange(256) for _ in range(r.choice([0, 2, 4, 6]))]))
        else:
            lines.insert(i, srec_record(r.choice([7, 8, 9]), r.randrange(0, 0x1000), []))
        fix = False
    elif kind == "end_data":
        if fmt == "hex":
            lines.insert(i, ihex_record(1, 0, [r.randrange(256) for _ in range(r.choice([0, 1, 2]))]))
        else:
            lines.insert(i, srec_record(9, 0, [1]))
        fix = False
    if fix and 0 <= i < len(lines):
        lines[i] = fix_checksum(lines[i])
    return lines, kind


# ---------------------------------------------------------------- one case

NORMALISE = re.compile(r"[ \t\x1a]+(?=\n|$)")


class Outcome:
    AGREE = "agree"
    REFUSED = "refused"
    BOTH_REFUSE = "both refuse"
    DEVIATION = "read where srec_cat refuses its spelling"
    FAIL = "FAIL"


def reference(tools, path, fmt, data):
    """(bytes dict or None, why) of the reference reading."""
    if fmt == "elf":
        got = read_elf(data)
        return got, "" if got is not None else "refused"
    rc, out, err = tools.run(["srec_cat", path] + (["-intel"] if fmt == "hex" else []) +
                             ["-o", "-", "-intel", "-address-length=4"])
    if rc != 0:
        return None, err.strip()
    return parse_ihex(out), err.strip()


def torvane(tools, path, out):
    rc, _, err = tools.run([tools.cli, "convert", path, "-o", out])
    if rc != 0:
        return None, rc, err
    with open(out, "rb") as f:
        return parse_ihex(f.read().decode("latin-1")), rc, err


def elf_bin_problem(tools, path, image, folder):
    """Why the BIN torvane-cli writes of an ELF file, from the loads' bytes where
    they lie in the file, is not the image it read for its HEX ("" when it is)."""
    low, high = min(image), max(image) + 1
    if high - low > 4 << 20:
        return ""
    out = os.path.join(folder, "out.bin")
    rc, _, err = tools.run([tools.cli, "convert", path, "-o", out])
    if rc != 0:
        return "converted to HEX, refused as BIN: %s" % err.strip()
    expected = bytearray(high - low)
    for address, value in image.items():
        expected[address - low] = value
    with open(out, "rb") as f:
        if f.read() != bytes(expected):
            return "the BIN holds other bytes than the HEX"
    return ""


def judge(tools, path, fmt, data, folder):
    """The outcome of one input and a line that says why."""
    mine, rc, err = torvane(tools, path, os.path.join(folder, "out.hex"))
    if rc < 0 or rc > 1:
        return Outcome.FAIL, "torvane-cli ended with status %d: %s" % (rc, err.strip())
    if mine is None:
        name = os.path.basename(path)
        reasons = [l for l in err.splitlines() if l.startswith("torvane-cli: ") and name in l and
                   not l.split(name + ": ", 1)[-1].startswith("warning: ")]
        if not reasons or not reasons[0].split(name + ": ", 1)[-1].strip():
            return Outcome.FAIL, "refused without a reason naming the file: %r" % err
        theirs, _ = reference(tools, path, fmt, data)
        return (Outcome.REFUSED if theirs is not None else Outcome.BOTH_REFUSE), reasons[0].split(name + ": ", 1)[-1]
    theirs, why = reference(tools, path, fmt, data)
    if theirs is None and fmt != "elf":
        # Read on purpose where srec_cat refuses the spelling: the same text
        # without blanks before line ends and with LF for CR must give srec_cat
        # the bytes torvane-cli read.
        text = data.decode("latin-1").replace("\r\n", "\n").replace("\r", "\n")
        text = NORMALISE.sub("", text)
        plain = os.path.join(folder, "plain." + fmt)
        with open(plain, "wb") as f:
            f.write(text.encode("latin-1"))
        theirs, why2 = reference(tools, plain, fmt, text.encode("latin-1"))
        if theirs == mine:
            return Outcome.DEVIATION, why
        return Outcome.FAIL, "torvane-cli read %d bytes, srec_cat refuses: %s" % (len(mine), why)
    if theirs is None:
        return Outcome.FAIL, "torvane-cli read %d bytes, the reference refuses the ELF file" % len(mine)
    if theirs != mine:
        diff = sorted(set(theirs.items()) ^ set(mine.items()))[:1]
        return Outcome.FAIL, "other bytes with exit 0 (first difference at 0x%08X)" % diff[0][0]
    if fmt == "elf" and mine:
        problem = elf_bin_problem(tools, path, mine, folder)
        if problem:
            return Outcome.FAIL, problem
    return Outcome.AGREE, ""


def make_case(tools, seed, folder):
    """(format, file bytes, what) of case `seed`."""
    r = random.Random(seed)
    fmt = r.choice(["hex", "hex", "s19", "s19", "elf"])
    image = random_image(r)
    start = r.choice([None, None, min(image)])
    if fmt == "elf":
        if tools.linked and r.random() < 0.25:
            data, what = r.choice(tools.linked), "linked elf"
        else:
            data, what = make_elf(r, image), "elf"
        if r.random() < 0.8:
            data = mutate_elf(r, data)
            what += " mutated"
        return fmt, data, what
    lines = None
    what = "own"
    if r.random() < 0.5:
        text = tool_file(tools, r, image, start, fmt, folder)
        if text is not None:
            lines, what = split_lines(text), "tool"
    if lines is None:
        lines = own_ihex(r, image, start) if fmt == "hex" else own_srec(r, image, start)
    other_image = random_image(r)
    other = own_ihex(r, other_image, None) if fmt == "hex" else own_srec(r, other_image, None)
    kinds = []
    for _ in range(r.choice([0, 1, 1, 1, 2, 3])):
        lines, kind = mutate_text(r, lines, fmt, other)
        kinds.append(kind)
    eol = r.choice(["\r\n", "\n", "\n", "\r\n"])
    text = eol.join(lines) + (eol if r.random() < 0.9 else "")
    return fmt, text.encode("latin-1"), what + (" " + "+".join(kinds) if kinds else "")


# ---------------------------------------------------------------- driver


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cli", required=True)
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--cases", type=int, default=3000)
    ap.add_argument("--seconds", type=float, default=50)
    ap.add_argument("--jobs", type=int, default=max(2, os.cpu_count() or 2))
    ap.add_argument("--save", default=None)
    ap.add_argument("--replay", default=None)
    ap.add_argument("--verbose", action="store_true", help="list the reasons of the refusals where srec_cat reads")
    args = ap.parse_args()
    if shutil.which("srec_cat") is None:
        print("differential: srec_cat is not installed: skipped")
        return 0
    work = tempfile.mkdtemp(prefix="torvane-diff-")
    tools = Tools(os.path.abspath(args.cli), work)
    tools.linked = linked_elfs(tools)
    counts = {}
    failures = []
    lock = threading.Lock()
    began = time.monotonic()

    refusals = {}

    def record(outcome, detail, name, data, fmt):
        with lock:
            counts[outcome] = counts.get(outcome, 0) + 1
            if outcome == Outcome.REFUSED:
                kind = re.sub(r"0x[0-9A-F]+|\d+", "N", detail)
                refusals[kind] = refusals.get(kind, 0) + 1
            if outcome == Outcome.FAIL:
                failures.append((name, detail))
                if args.save:
                    os.makedirs(args.save, exist_ok=True)
                    digest = hashlib.sha1(data).hexdigest()[:12]
                    with open(os.path.join(args.save, "%s-%s.%s" % (fmt, digest, fmt)), "wb") as f:
                        f.write(data)

    def one_file(path):
        fmt = {"hex": "hex", "s19": "s19", "elf": "elf"}.get(path.rsplit(".", 1)[-1])
        if fmt is None:
            return
        folder = tempfile.mkdtemp(dir=work)
        with open(path, "rb") as f:
            data = f.read()
        outcome, detail = judge(tools, path, fmt, data, folder)
        record(outcome, detail, path, data, fmt)
        shutil.rmtree(folder, ignore_errors=True)

    def one_case(seed):
        if time.monotonic() - began > args.seconds:
            return
        folder = tempfile.mkdtemp(dir=work)
        fmt, data, what = make_case(tools, seed, folder)
        path = os.path.join(folder, "in." + fmt)
        with open(path, "wb") as f:
            f.write(data)
        outcome, detail = judge(tools, path, fmt, data, folder)
        if fmt == "elf" and "mutated" not in what and tools.have_objcopy:
            # The reference itself against objcopy, on the files as made.
            hexed = os.path.join(folder, "objcopy.hex")
            ok = tools.run(["objcopy", "-O", "ihex", path, hexed])[0] == 0
            with open(hexed, "rb") if ok else open(path, "rb") as f:
                copied = parse_ihex(f.read().decode("latin-1")) if ok else None
            if copied != read_elf(data):
                outcome, detail = Outcome.FAIL, "objcopy -O ihex reads other bytes than the reference"
        record(outcome, detail, "case %d (%s, %s)" % (seed, fmt, what), data, fmt)
        shutil.rmtree(folder, ignore_errors=True)

    try:
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            if args.replay:
                names = sorted(os.listdir(args.replay))
                list(pool.map(one_file, [os.path.abspath(os.path.join(args.replay, n)) for n in names]))
                print("differential: replayed %d files from %s" % (sum(counts.values()), args.replay))
            else:
                seed = args.seed
                if seed is None:
                    seed = int(os.environ.get("TORVANE_DIFF_SEED", "20261210"))
                print("differential: seed %d" % seed, flush=True)
                list(pool.map(one_case, range(seed, seed + args.cases)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    total = sum(counts.values())
    print("differential: %d cases in %.1f s: %s" % (
        total, time.monotonic() - began, ", ".join("%s %d" % (k, v) for k, v in sorted(counts.items()))))
    if args.verbose:
        for kind, n in sorted(refusals.items(), key=lambda kv: -kv[1]):
            print("differential: refused where srec_cat reads: %5d  %s" % (n, kind))
    for name, detail in failures[:40]:
        detail = " ".join(detail.split())
        print("differential: FAILED: %s: %s" % (name, detail if len(detail) < 300 else detail[:300] + " ..."))
    print("%d passed, %d failed" % (total - len(failures), len(failures)))
    return 1 if failures or total == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
