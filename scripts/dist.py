#!/usr/bin/env python3
"""Packages the built programs into build/dist/: the per-user installers
QuillfindSetup-<version>-x86.exe (the i686 program, the release) and
QuillfindSetup-<version>-x64.exe, and the portable archive
Quillfind-<version>-win32.zip. Run after scripts/build.sh has built both targets."""
import subprocess
import sys
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BUILD = ROOT / "build"
DIST = BUILD / "dist"


def version():
    text = (ROOT / "VERSION").read_text().strip()
    parts = text.split(".")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        sys.exit(f"dist: VERSION must hold major.minor.patch, not {text!r}")
    return text


def installer(ver, arch, program):
    out = DIST / f"QuillfindSetup-{ver}-{arch}.exe"
    r = subprocess.run(["makensis", "-V2", "-WX", f"-DVERSION={ver}", f"-DARCH={arch}",
                        f"-DPROGRAM={program}", f"-DOUTFILE={out}",
                        str(ROOT / "installer" / "Quillfind.nsi")])
    if r.returncode != 0:
        sys.exit(f"dist: makensis could not make {out.name}")
    return out


def portable(ver, program):
    out = DIST / f"Quillfind-{ver}-win32.zip"
    # Notepad on every Windows reads UTF-8 with a byte-order mark and CRLF.
    readme = (ROOT / "installer" / "readme.txt").read_text(encoding="utf-8")
    readme = "\ufeff" + readme.replace("@VERSION@", ver).replace("\n", "\r\n")
    stamp = time.localtime(program.stat().st_mtime)[:6]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data in (("Quillfind.exe", program.read_bytes()),
                           ("readme.txt", readme.encode("utf-8"))):
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data)
    return out


def main():
    ver = version()
    programs = {arch: BUILD / folder / "Quillfind.exe" for arch, folder in
                (("x86", "win32"), ("x64", "win64"))}
    for p in programs.values():
        if not p.is_file():
            sys.exit(f"dist: {p} is missing; build both targets first (scripts/build.sh)")
    DIST.mkdir(parents=True, exist_ok=True)
    for old in DIST.iterdir():
        old.unlink()
    made = [installer(ver, arch, p) for arch, p in programs.items()]
    made.append(portable(ver, programs["x86"]))
    print("dist: " + ", ".join(f"{p.name} ({p.stat().st_size // 1024} KB)" for p in made))


if __name__ == "__main__":
    main()
