#!/usr/bin/env python3
"""Every Chinese text the toolkit-free code makes has its English in the catalogue.

Reads the string literals (adjacent ones joined, as the compiler joins them) of
core/, config/, tools/ (the logic, not the dialogs) and cli/, and names each one
with a Chinese character that core/messages_en.cpp does not hold. The window's
own texts go through Qt's translations and are checked there.
"""
import glob
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
os.chdir(root)
CJK = re.compile("[\u4e00-\u9fff\u3000-\u303f\uff00-\uffef]")
TOKEN = re.compile(r'(?:u8)?"((?:[^"\\\n]|\\.)*)"|(//[^\n]*)|(/\*.*?\*/)|(\'(?:[^\'\\\n]|\\.)*\')', re.S)
# Texts that are data, not words for the user: the reasons' own table, the catalogue.
SKIP = {"core/chinese_reasons.cpp", "core/messages_en.cpp"}


def literals(path):
    text = open(path, encoding="utf-8").read()
    groups, current = [], None
    for m in TOKEN.finditer(text):
        if m.group(1) is None:
            continue
        if current and text[current[1]:m.start()].strip() == "":
            current = (current[0], m.end(), current[2] + m.group(1))
        else:
            if current:
                groups.append(current)
            current = (m.start(), m.end(), m.group(1))
    if current:
        groups.append(current)
    for start, _, value in groups:
        yield text.count("\n", 0, start) + 1, value


catalogue = set()
for _, value in literals("core/messages_en.cpp"):
    catalogue.add(value)

missing = 0
for pattern in ("core/*.cpp", "core/*.h", "config/*.cpp", "config/*.h", "cli/*.cpp", "cli/*.h", "tools/*/*.cpp",
                "tools/*/*.h"):
    for path in sorted(glob.glob(pattern)):
        if path in SKIP:
            continue
        source = open(path, encoding="utf-8").read()
        if re.search(r"#include <Q", source):
            continue
        for line, value in literals(path):
            if CJK.search(value) and value not in catalogue:
                print(f"{path}:{line}: no English for \"{value}\"")
                missing += 1
sys.exit(1 if missing else 0)
