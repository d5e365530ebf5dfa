#!/usr/bin/env python3
"""Packages the built programs into build/dist/: the per-user installers
QuillfindSetup-<version>-x64.exe (the 64-bit program) and -x86.exe (the 32-bit
one), the portable archives Quillfind-<version>-win64.zip and -win32.zip,
SHA256SUMS, and a winget manifest set in winget/. Run after scripts/build.sh
has built both targets.

Reproducible: the same commit gives the same bytes. Every time stamp is
SOURCE_DATE_EPOCH (by default the commit's time).

Signing: with QF_SIGN_PFX (a PKCS#12 file) and QF_SIGN_PASSWORD set, the
programs, the uninstallers and the installers are signed with osslsigncode
(Authenticode, SHA-256), time-stamped by QF_SIGN_TIMESTAMP_URL when given.

  dist.py [--build DIR] [--out DIR]   DIR/win32 and DIR/win64 into DIR/dist
  dist.py --sign FILE                 signs one file in place (makensis calls it)
"""
import argparse
import hashlib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PRODUCT = "Qf検索ヘルパー"
PUBLISHER = "VORNELIX"
PACKAGE_ID = "Vornelix.Quillfind"
UNINST_KEY_NAME = "Quillfind"  # the uninstall entry's key: winget's product code
# Architecture: (build folder, zip suffix).
TARGETS = {"x64": ("win64", "win64"), "x86": ("win32", "win32")}
WINGET_SCHEMA = "1.6.0"


def fail(message):
    sys.exit(f"dist: {message}")


def version():
    text = (ROOT / "VERSION").read_text().strip()
    if not re.fullmatch(r"\d+\.\d+\.\d+", text):
        fail(f"VERSION must hold major.minor.patch, not {text!r}")
    return text


def maker_page():
    """The maker's software page, from the one place the program has it."""
    m = re.search(r'kMakerPage\[\] = "([^"]+)"', (ROOT / "app" / "WebPages.h").read_text())
    if not m:
        fail("app/WebPages.h names no kMakerPage")
    return m.group(1)


def source_date_epoch():
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    r = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                       capture_output=True, text=True)
    if r.returncode != 0 or not r.stdout.strip().isdigit():
        fail("no git commit to date the release by; set SOURCE_DATE_EPOCH")
    return int(r.stdout.strip())


def signing():
    return bool(os.environ.get("QF_SIGN_PFX"))


def sign(path):
    """Signs a file in place (Authenticode, SHA-256)."""
    path = Path(path)
    signed = path.with_name(path.name + ".signed")
    with tempfile.NamedTemporaryFile("w", delete=False) as pw:  # not on the command line
        pw.write(os.environ.get("QF_SIGN_PASSWORD", ""))
    try:
        cmd = ["osslsigncode", "sign", "-pkcs12", os.environ["QF_SIGN_PFX"], "-readpass", pw.name,
               "-h", "sha256", "-n", PRODUCT, "-i", maker_page(), "-in", str(path),
               "-out", str(signed)]
        if os.environ.get("QF_SIGN_TIMESTAMP_URL"):
            cmd += ["-ts", os.environ["QF_SIGN_TIMESTAMP_URL"]]
        r = subprocess.run(cmd, capture_output=True, text=True)
        if r.returncode != 0:
            fail(f"osslsigncode could not sign {path.name}: {r.stdout}{r.stderr}")
        os.replace(signed, path)
    finally:
        os.unlink(pw.name)
        signed.unlink(missing_ok=True)


def stage(program, folder, epoch):
    """A copy of a program to package: its time is the release's, signed when signing."""
    folder.mkdir(parents=True, exist_ok=True)
    copy = folder / "Quillfind.exe"
    shutil.copyfile(program, copy)
    if signing():
        sign(copy)
    os.utime(copy, (epoch, epoch))
    return copy


def installer(ver, arch, program, out):
    setup = out / f"QuillfindSetup-{ver}-{arch}.exe"
    defines = [f"-DVERSION={ver}", f"-DARCH={arch}", f"-DPROGRAM={program}",
               f"-DOUTFILE={setup}", f"-DMAKER_PAGE={maker_page()}"]
    if signing():
        defines.append("-DSIGN=" + shlex.join([sys.executable, str(Path(__file__).resolve()),
                                                "--sign"]))
    r = subprocess.run(["makensis", "-V2", "-WX", *defines,
                        str(ROOT / "installer" / "Quillfind.nsi")])
    if r.returncode != 0:
        fail(f"makensis could not make {setup.name}")
    return setup


def portable(ver, arch, program, out, epoch):
    archive = out / f"Quillfind-{ver}-{TARGETS[arch][1]}.zip"
    windows = "32 ビット版または 64 ビット版" if arch == "x86" else "64 ビット版"
    # Notepad on every Windows reads UTF-8 with a byte-order mark and CRLF.
    readme = (ROOT / "installer" / "readme.txt").read_text(encoding="utf-8")
    readme = readme.replace("@VERSION@", ver).replace("@WINDOWS@", windows)
    readme = "\ufeff" + readme.replace("\n", "\r\n")
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(archive, "w") as z:
        for name, data in (("Quillfind.exe", program.read_bytes()),
                           ("readme.txt", readme.encode("utf-8"))):
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # made on Windows: no Unix modes
            info.external_attr = 0x20  # the archive attribute Windows gives a new file
            z.writestr(info, data, compresslevel=9)
    return archive


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def winget(ver, setups, out, epoch):
    """The manifest set a winget submission takes: version, installer, default locale."""
    folder = out / "winget"
    folder.mkdir()
    base = os.environ.get("QF_DOWNLOAD_URL", f"https://www.vornelix.example/amuse/quillfind/{ver}/")
    head = f"PackageIdentifier: {PACKAGE_ID}\nPackageVersion: {ver}\n"

    def write(kind, schema, body):
        name = f"{PACKAGE_ID}.yaml" if kind == "version" else f"{PACKAGE_ID}.{kind}.yaml"
        (folder / name).write_text(
            f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{schema}"
            f".{WINGET_SCHEMA}.schema.json\n{head}{body}"
            f"ManifestType: {schema}\nManifestVersion: {WINGET_SCHEMA}\n", encoding="utf-8")

    write("version", "version", "DefaultLocale: ja-JP\n")
    installers = "".join(
        f"  - Architecture: {arch}\n    InstallerUrl: {base}{setup.name}\n"
        f"    InstallerSha256: {sha256(setup).upper()}\n" for arch, setup in setups.items())
    write("installer", "installer",
          f"InstallerLocale: ja-JP\nInstallerType: nullsoft\nScope: user\n"
          f"InstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n"
          f"InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n"
          f"  InstallLocation: /D=<INSTALLPATH>\n"
          f"UpgradeBehavior: install\nReleaseDate: {time.strftime('%Y-%m-%d', time.gmtime(epoch))}\n"
          f"AppsAndFeaturesEntries:\n  - DisplayName: {PRODUCT}\n    Publisher: {PUBLISHER}\n"
          f"    DisplayVersion: {ver}\n    ProductCode: {UNINST_KEY_NAME}\n"
          f"InstallationMetadata:\n  DefaultInstallLocation: '%LOCALAPPDATA%\\Programs\\Quillfind'\n"
          f"Installers:\n{installers}")
    page = maker_page()
    write("locale.ja-JP", "defaultLocale",
          f"PackageLocale: ja-JP\nPublisher: {PUBLISHER}\nPublisherUrl: {page}\n"
          f"PackageName: {PRODUCT}\nPackageUrl: {page}\n"
          "# The repository has no licence file yet: the maintainer names the licence here.\n"
          "License: TO BE SET BY THE MAINTAINER\n"
          f"Copyright: Copyright (C) 2026 {PUBLISHER}\n"
          "ShortDescription: 通知領域からクリップボードの文字をすぐにウェブ検索する小さな道具\n"
          "Moniker: quillfind\n")


def package(build, out):
    ver, epoch = version(), source_date_epoch()
    programs = {arch: build / folder / "Quillfind.exe" for arch, (folder, _) in TARGETS.items()}
    for p in programs.values():
        if not p.is_file():
            fail(f"{p} is missing; build both targets first (scripts/build.sh)")
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    staging = Path(tempfile.mkdtemp(prefix="qf-dist-"))
    try:
        staged = {arch: stage(p, staging / arch, epoch) for arch, p in programs.items()}
        setups = {arch: installer(ver, arch, p, out) for arch, p in staged.items()}
        made = [*setups.values(), *(portable(ver, a, p, out, epoch) for a, p in staged.items())]
    finally:
        shutil.rmtree(staging)
    (out / "SHA256SUMS").write_text("".join(f"{sha256(p)}  {p.name}\n" for p in made))
    winget(ver, setups, out, epoch)
    print("dist: " + ", ".join(f"{p.name} ({p.stat().st_size // 1024} KB)" for p in made)
          + ", SHA256SUMS, winget/" + (" (signed)" if signing() else ""))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", type=Path, default=ROOT / "build")
    ap.add_argument("--out", type=Path)
    ap.add_argument("--sign", type=Path, help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.sign:
        sign(args.sign)
    else:
        package(args.build.resolve(), (args.out or args.build / "dist").resolve())


if __name__ == "__main__":
    main()
