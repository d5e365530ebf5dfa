#!/usr/bin/env python3
"""Packages the built programs into build/dist/: the installers
QuillfindSetup-<version>-x64.exe (the 64-bit program) and -x86.exe (the 32-bit
one), for one user or every user, the portable archives
Quillfind-<version>-win64.zip and -win32.zip, SHA256SUMS, BUILDINFO.txt (the
commit and the tools that made them), LICENSE.txt, CHANGELOG.md with the build
line under the version's heading, and a winget manifest set in winget/. Run
after scripts/build.sh has built both targets.

Reproducible: the same commit gives the same bytes on a machine with the tools
BUILDINFO.txt names. Every time stamp is SOURCE_DATE_EPOCH (by default the
commit's time).

Signing: with QF_SIGN_PFX (a PKCS#12 file) and QF_SIGN_PASSWORD set, the
programs, the uninstallers and the installers are signed with osslsigncode
(Authenticode, SHA-256), time-stamped by QF_SIGN_TIMESTAMP_URL when given.

  dist.py [--build DIR] [--out DIR]   DIR/win32 and DIR/win64 into DIR/dist
  dist.py --buildinfo                 prints BUILDINFO.txt as this machine makes it
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
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PRODUCT = "Qf検索ヘルパー"
PUBLISHER = "VORNELIX"
PACKAGE_ID = "Vornelix.Quillfind"
UNINST_KEY_NAME = "Quillfind"  # the uninstall entry's key: winget's product code
# Architecture: (build folder, zip suffix).
TARGETS = {"x64": ("win64", "win64"), "x86": ("win32", "win32")}
WINGET_SCHEMA = "1.10.0"
# The texts every copy of the programs carries: (file in the repository, name in a release).
TEXTS = (("LICENSE", "LICENSE.txt"), ("THIRD-PARTY-NOTICES.txt", "THIRD-PARTY-NOTICES.txt"))
# What makes the release's bytes: (what, Debian package, command whose first line names it).
TOOLS = [
    ("x64 compiler", "g++-mingw-w64-x86-64-posix", ["x86_64-w64-mingw32-g++-posix", "--version"]),
    ("x86 compiler", "g++-mingw-w64-i686-posix", ["i686-w64-mingw32-g++-posix", "--version"]),
    ("x64 binutils", "binutils-mingw-w64-x86-64", ["x86_64-w64-mingw32-ld", "--version"]),
    ("x86 binutils", "binutils-mingw-w64-i686", ["i686-w64-mingw32-ld", "--version"]),
    ("x64 mingw-w64 runtime", "mingw-w64-x86-64-dev", None),
    ("x86 mingw-w64 runtime", "mingw-w64-i686-dev", None),
    ("NSIS", "nsis", ["makensis", "-VERSION"]),
]
# Installer exit codes as winget reads them.
RETURN_CODES = {1: "cancelledByUser", 2: "packageInUse", 3: "custom"}  # 3: needs administrator rights


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


def commit():
    r = subprocess.run(["git", "-C", str(ROOT), "rev-parse", "HEAD"], capture_output=True,
                       text=True)
    if r.returncode != 0:
        fail("no git commit to name in BUILDINFO.txt")
    dirty = subprocess.run(["git", "-C", str(ROOT), "status", "--porcelain"],
                           capture_output=True, text=True).stdout.strip()
    return r.stdout.strip() + (" with uncommitted changes" if dirty else "")


def tool_versions():
    """(what, package, version) of each tool, the version as Debian's package
    has it and as the tool names itself."""
    out = []
    for what, package, command in TOOLS:
        r = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package],
                           capture_output=True, text=True)
        version = r.stdout.strip() if r.returncode == 0 else "not installed"
        if command:
            try:
                said = subprocess.run(command, capture_output=True, text=True).stdout
                version += f" ({said.splitlines()[0].strip()})" if said.strip() else ""
            except OSError:
                version += " (not on PATH)"
        out.append((what, package, version))
    # The zips are deflated by Python's zlib, whose version can change their bytes.
    out.append(("zip compressor", "zlib", zlib.ZLIB_RUNTIME_VERSION))
    return out


def buildinfo(ver, epoch):
    lines = [f"Quillfind {ver}", f"commit: {commit()}", f"SOURCE_DATE_EPOCH: {epoch}"]
    lines += [f"{what}: {package} {version}" for what, package, version in tool_versions()]
    return "".join(line + "\n" for line in lines)


def build_line(info):
    """The CHANGELOG's release line: the commit and the tools' package versions."""
    facts = dict(line.split(": ", 1) for line in info.splitlines()[1:])
    version = {k: v.split(" ")[1] for k, v in facts.items() if " " in v}
    return (f"Built from commit {facts['commit'].split(' ')[0]} with GCC "
            f"{version['x64 compiler']}, binutils {version['x64 binutils']}, mingw-w64 "
            f"{version['x64 mingw-w64 runtime']} and NSIS {version['NSIS']} (BUILDINFO.txt).")


def changelog(ver, info, out):
    """CHANGELOG.md with the build line under the version's heading."""
    text = (ROOT / "CHANGELOG.md").read_text(encoding="utf-8")
    m = re.search(rf"^## {re.escape(ver)} .*\n", text, re.M)
    if not m:
        fail(f"CHANGELOG.md has no section for {ver}")
    (out / "CHANGELOG.md").write_text(
        text[:m.end()] + f"\n{build_line(info)}\n" + text[m.end():], encoding="utf-8")


def windows_text(path):
    """A text file as Notepad on every Windows reads it: CRLF."""
    return path.read_text(encoding="utf-8").replace("\n", "\r\n").encode("utf-8")


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


def stage_texts(folder, epoch):
    """The licence and the notices as a release carries them, by their names
    there, of the release's time (the installers keep a file's time)."""
    texts = {}
    for source, name in TEXTS:
        texts[name] = folder / name
        texts[name].write_bytes(windows_text(ROOT / source))
        os.utime(texts[name], (epoch, epoch))
    return texts


def installer(ver, arch, program, texts, out):
    setup = out / f"QuillfindSetup-{ver}-{arch}.exe"
    license_txt, notices_txt = (texts[name] for _, name in TEXTS)
    defines = [f"-DVERSION={ver}", f"-DARCH={arch}", f"-DPROGRAM={program}",
               f"-DOUTFILE={setup}", f"-DMAKER_PAGE={maker_page()}",
               f"-DLICENSE={license_txt}", f"-DNOTICES={notices_txt}"]
    if signing():
        defines.append("-DSIGN=" + shlex.join([sys.executable, str(Path(__file__).resolve()),
                                                "--sign"]))
    r = subprocess.run(["makensis", "-V2", "-WX", *defines,
                        str(ROOT / "installer" / "Quillfind.nsi")])
    if r.returncode != 0:
        fail(f"makensis could not make {setup.name}")
    return setup


def portable(ver, arch, program, texts, out, epoch):
    archive = out / f"Quillfind-{ver}-{TARGETS[arch][1]}.zip"
    windows = "32 ビット版または 64 ビット版" if arch == "x86" else "64 ビット版"
    # Notepad on every Windows reads UTF-8 with a byte-order mark and CRLF.
    readme = (ROOT / "installer" / "readme.txt").read_text(encoding="utf-8")
    readme = readme.replace("@VERSION@", ver).replace("@WINDOWS@", windows)
    readme = "\ufeff" + readme.replace("\n", "\r\n")
    stamp = time.gmtime(epoch)[:6]
    files = [("Quillfind.exe", program.read_bytes()), ("readme.txt", readme.encode("utf-8"))]
    files += [(name, path.read_bytes()) for name, path in texts.items()]
    with zipfile.ZipFile(archive, "w") as z:
        for name, data in files:
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # made on Windows: no Unix modes
            info.external_attr = 0x20  # the archive attribute Windows gives a new file
            z.writestr(info, data, compresslevel=9)
    return archive


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def winget(ver, setups, out, epoch):
    """The manifest set a winget submission takes: version, installer, the
    default locale (en-US) and the Japanese one."""
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

    write("version", "version", "DefaultLocale: en-US\n")
    # Where each kind of install goes. The 32-bit program's machine folder is
    # Program Files (x86) on 64-bit Windows and Program Files on 32-bit
    # Windows, so it is left unsaid.
    scopes = {"user": ("", {"x64": r"%LOCALAPPDATA%\Programs\Quillfind",
                            "x86": r"%LOCALAPPDATA%\Programs\Quillfind"}),
              "machine": ("    InstallerSwitches:\n      Custom: /ALLUSERS\n",
                          {"x64": r"%ProgramFiles%\Quillfind"})}
    installers = ""
    for arch, setup in setups.items():
        for scope, (switches, folders) in scopes.items():
            installers += (f"  - Architecture: {arch}\n    Scope: {scope}\n"
                           f"    InstallerUrl: {base}{setup.name}\n"
                           f"    InstallerSha256: {sha256(setup).upper()}\n{switches}")
            if arch in folders:
                installers += (f"    InstallationMetadata:\n"
                               f"      DefaultInstallLocation: '{folders[arch]}'\n")
    codes = "".join(f"  - InstallerReturnCode: {code}\n    ReturnResponse: {response}\n"
                    for code, response in RETURN_CODES.items())
    # winget's nullsoft defaults are the installer's own switches: /S, /D=.
    write("installer", "installer",
          f"InstallerLocale: ja-JP\nInstallerType: nullsoft\n"
          f"InstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n"
          f"UpgradeBehavior: install\nExpectedReturnCodes:\n{codes}"
          f"ReleaseDate: {time.strftime('%Y-%m-%d', time.gmtime(epoch))}\n"
          f"AppsAndFeaturesEntries:\n  - DisplayName: {PRODUCT}\n    Publisher: {PUBLISHER}\n"
          f"    DisplayVersion: {ver}\n    ProductCode: {UNINST_KEY_NAME}\n"
          f"Installers:\n{installers}")
    page = maker_page()
    common = (f"Publisher: {PUBLISHER}\nPublisherUrl: {page}\n{{name}}PackageUrl: {page}\n"
              f"License: MIT\nLicenseUrl: {base}LICENSE.txt\n"
              f"Copyright: Copyright (c) 2026 {PUBLISHER}\n")
    write("locale.en-US", "defaultLocale",
          "PackageLocale: en-US\n" + common.format(name="PackageName: Quillfind\n")
          + "ShortDescription: A small tray tool that starts a web search for the clipboard's text\n"
          "Moniker: quillfind\n")
    write("locale.ja-JP", "locale",
          "PackageLocale: ja-JP\n" + common.format(name=f"PackageName: {PRODUCT}\n")
          + "ShortDescription: 通知領域からクリップボードの文字をすぐにウェブ検索する小さな道具\n")


def package(build, out):
    ver, epoch = version(), source_date_epoch()
    programs = {arch: build / folder / "Quillfind.exe" for arch, (folder, _) in TARGETS.items()}
    for p in programs.values():
        if not p.is_file():
            fail(f"{p} is missing; build both targets first (scripts/build.sh)")
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    info = buildinfo(ver, epoch)
    staging = Path(tempfile.mkdtemp(prefix="qf-dist-"))
    try:
        texts = stage_texts(staging, epoch)
        staged = {arch: stage(p, staging / arch, epoch) for arch, p in programs.items()}
        setups = {arch: installer(ver, arch, p, texts, out) for arch, p in staged.items()}
        made = [*setups.values(),
                *(portable(ver, a, p, texts, out, epoch) for a, p in staged.items())]
        shutil.copyfile(texts["LICENSE.txt"], out / "LICENSE.txt")  # the manifests' LicenseUrl
    finally:
        shutil.rmtree(staging)
    (out / "SHA256SUMS").write_text("".join(f"{sha256(p)}  {p.name}\n" for p in made))
    (out / "BUILDINFO.txt").write_text(info)
    changelog(ver, info, out)
    winget(ver, setups, out, epoch)
    print("dist: " + ", ".join(f"{p.name} ({p.stat().st_size // 1024} KB)" for p in made)
          + ", SHA256SUMS, BUILDINFO.txt, LICENSE.txt, CHANGELOG.md, winget/"
          + (" (signed)" if signing() else ""))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--build", type=Path, default=ROOT / "build")
    ap.add_argument("--out", type=Path)
    ap.add_argument("--buildinfo", action="store_true")
    ap.add_argument("--sign", type=Path, help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.buildinfo:
        sys.stdout.write(buildinfo(version(), source_date_epoch()))
    elif args.sign:
        sign(args.sign)
    else:
        package(args.build.resolve(), (args.out or args.build / "dist").resolve())


if __name__ == "__main__":
    main()
