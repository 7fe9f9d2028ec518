#!/usr/bin/env python3
"""Lists product files over 400 lines and functions over 60 lines; exits 1 if there is any.

Functions are found the simple way our style makes possible (clang-format, braces attached): a definition
starts on a line at column 0 that is not a class, struct, enum or namespace and ends with '{' (or opens a
constructor's initialiser list), and ends at the next '}' at column 0.
Usage: scripts/check-sizes.py [FOLDER...]   (default: every product folder)
"""
import pathlib
import re
import sys

FILE_LIMIT, FUNCTION_LIMIT = 400, 60
START = re.compile(r"^[A-Za-z~].*(\)\s*(const)?\s*(override)?\s*\{|\)\s*:\s*.*)\s*$")
NOT_FUNCTION = re.compile(r"^(class|struct|namespace|enum|union)\b")


def check(path):
    lines = path.read_text(encoding="utf-8", errors="replace").split("\n")
    found = []
    if len(lines) - 1 > FILE_LIMIT:
        found.append(f"{path}: {len(lines) - 1} lines")
    start = None
    for number, line in enumerate(lines, 1):
        if start is None and START.match(line) and not NOT_FUNCTION.match(line):
            start = number
        elif start is not None and line.startswith("}"):
            if number - start + 1 > FUNCTION_LIMIT:
                found.append(f"{path}:{start}: function of {number - start + 1} lines")
            start = None
    return found


def main(folders):
    found = []
    for folder in folders or ["app", "desktop", "player", "media", "engine", "opening", "info", "toolkit", "files"]:
        for path in sorted(pathlib.Path(folder).rglob("*")):
            if path.suffix in (".cpp", ".h"):
                found += check(path)
    print("\n".join(found) if found else "no file over 400 lines, no function over 60")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
