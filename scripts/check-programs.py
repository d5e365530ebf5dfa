#!/usr/bin/env python3
"""Checks the built programs and prints one line; exits 1 on a fault.

- No GDI function that takes 8-bit text is imported. GDI reads such text in
  the system's code page, not the process's, so the program's Shift-JIS texts
  must reach it as UTF-16 (the W functions); every gdi32 function whose name
  ends in "A" takes such text or a structure holding it (a face name).
- Each program stays under 400 KiB, the size the release promises.

    check-programs.py PROGRAM.exe [PROGRAM.exe ...]
"""
import os
import re
import subprocess
import sys

OBJDUMP = {"pei-x86-64": "x86_64-w64-mingw32-objdump", "pei-i386": "i686-w64-mingw32-objdump"}
MAX_BYTES = 400 * 1024


def gdi_imports(path):
    head = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", path], capture_output=True,
                          text=True, check=True).stdout
    fmt = re.search(r"file format (\S+)", head).group(1)
    dump = subprocess.run([OBJDUMP[fmt], "-p", path], capture_output=True, text=True,
                          check=True).stdout
    names, in_gdi = [], False
    for line in dump.splitlines():
        if "DLL Name:" in line:
            in_gdi = line.split()[-1].lower() == "gdi32.dll"
        elif in_gdi and (m := re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)):
            names.append(m.group(1))
    return names


def main(paths):
    faults = [f"{p} imports {n}" for p in paths for n in gdi_imports(p) if n.endswith("A")]
    sizes = {p: os.path.getsize(p) for p in paths}
    faults += [f"{p} is {n // 1024} KiB" for p, n in sizes.items() if n >= MAX_BYTES]
    if faults:
        print(f"programs: {len(faults)} faults: " + "; ".join(faults))
        return 1
    kib = ", ".join(f"{n // 1024} KiB" for n in sizes.values())
    print(f"programs: {len(paths)} programs ({kib}), none over 400 KiB, no GDI call with 8-bit text")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
