"""The release as a user and an administrator meet it: the per-user installer,
installing over a running copy, the uninstaller, the installer's pages, what
goes wrong (a held file, a copy that will not close) and the switches, and the
release files beside the installers. The x64 installer runs here; the x86 one
runs in the x86 smoke step, under emulation."""
import contextlib
import hashlib
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

import yaml

from harness import (BUILD, MAIN_TITLE, MAKER_KEY, PREFIX, QFTOOL, SEARCH_TITLE, SETTINGS_KEY,
                     WINE, Failure, caught_addresses, center, check, click_at, clipboard_text,
                     double_click_icon, key, own_copies, qftool, reg, reg_delete_tree, reg_set,
                     run_tool, screenshot, search_state, sjis, tray_window, wait_until, window,
                     windows)
from test_about import MAKER_PAGE

ROOT = Path(__file__).resolve().parents[2]
VERSION = (ROOT / "VERSION").read_text().strip()
DIST = BUILD.parent / "dist"
SETUP = DIST / f"QuillfindSetup-{VERSION}-x64.exe"
PRODUCT = "Qf検索ヘルパー"
SETUP_TITLE = PRODUCT + " セットアップ"
UNINSTALL_TITLE = PRODUCT + " アンインストール"
UNINST_LIST = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
UNINST_KEY = UNINST_LIST + r"\Quillfind"
SIBLING_KEY = MAKER_KEY + r"\Quillfind2"
USERS = PREFIX / "drive_c" / "users"
PROFILE = USERS / pwd.getpwuid(os.getuid()).pw_name  # Wine names it after the user
INSTDIR = PROFILE / "AppData" / "Local" / "Programs" / "Quillfind"
OTHER_DIR = PROFILE / "QuillfindElsewhere"
MENU = PROFILE / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
SHORTCUTS = (MENU / f"{PRODUCT}.lnk", MENU / "StartUp" / f"{PRODUCT}.lnk")
MACHINE_DIR = PREFIX / "drive_c" / "Program Files" / "Quillfind"
COMMON_MENU = PREFIX / "drive_c" / "ProgramData" / MENU.relative_to(PROFILE / "AppData" / "Roaming")
# Each kind of install: its folder, its shortcuts, whether its entry is under HKLM.
SCOPES = {"user": (INSTDIR, SHORTCUTS, False),
          "machine": (MACHINE_DIR, tuple(COMMON_MENU / lnk.relative_to(MENU) for lnk in SHORTCUTS),
                      True)}
TEXTS = {name: ROOT / name.replace("LICENSE.txt", "LICENSE")
         for name in ("LICENSE.txt", "THIRD-PARTY-NOTICES.txt")}
# Keys Wine writes by itself: scratch settings that any window's start rewrites,
# and the console host's defaults, written when the first console program runs.
WINE_NOISE = (r"Software\Wine\Temporary System Parameters", "Console")
# The uninstaller's temporary copies, left to NSIS: it removes them when it can.
NSIS_TEMP = re.compile(r"(~nsu|ns)\w*\.tmp$")
QUERY = "release test"
ADDRESS = "http://search.zumtal.example/bin/query?p=release+test&s=o"


def windows_path(path):
    return "C:\\" + str(path.relative_to(PREFIX / "drive_c")).replace("/", "\\")


def wine(*args, timeout=60):
    return subprocess.run([WINE, *map(str, args)], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout).returncode


def registry():
    """All of HKCU, and the one key of HKLM an install writes."""
    machine = reg("HKLM\\" + UNINST_KEY)
    return reg("").entries() | (machine.entries() if machine is not None else set())


def snapshot():
    """The registry and the profiles, Program Files and the all-users menu:
    keys, values, folders, files and sizes."""
    files = set()
    for top in (USERS, MACHINE_DIR.parent, COMMON_MENU):
        for root, dirs, names in os.walk(top):
            dirs[:] = [d for d in dirs if not NSIS_TEMP.match(d)]
            for n in dirs + names:
                path = Path(root, n)
                files.add(("file", str(path.relative_to(PREFIX)),
                           path.is_dir() or path.stat().st_size))
    return registry(), files


def differences(before, after):
    """What changed, but the keys Wine writes by itself."""
    return [f"{'+' if e in now else '-'} {e}" for was, now in zip(before, after)
            for e in sorted(was ^ now, key=str)
            if not any(e[1] == k or e[1].startswith(k + "\\") for k in WINE_NOISE)]


def check_as_before(before, what="left behind or changed"):
    """HKCU and the profile are as they were: HKCU at once, the profile within
    moments (the uninstaller's own file goes once it has ended)."""
    changed = differences(before[:1], (registry(),))
    if changed:
        raise Failure(f"{what}:\n" + "\n".join(changed))
    try:
        wait_until(lambda: not differences(before, snapshot()), 10, step=0.5)
    except Failure:
        raise Failure(f"{what}:\n" + "\n".join(differences(before, snapshot())))


def windows_text(name):
    return TEXTS[name].read_bytes().replace(b"\n", b"\r\n")


def reg_sz(text):
    return 1, sjis(text) + b"\0"


def entry_values(machine=False):
    """The uninstall entry's values as reg() gives them, or None."""
    return reg(("HKLM\\" if machine else "") + UNINST_KEY)


def installed_facts(autostart=True, scope="user"):
    folder_path, shortcuts, machine = SCOPES[scope]
    exe = folder_path / "Quillfind.exe"
    check(sorted(p.name for p in folder_path.glob("*")) == sorted([*TEXTS, "Quillfind.exe",
                                                                   "uninstall.exe"]),
          f"installed files: {list(folder_path.glob('*'))}")
    check(exe.read_bytes() == (BUILD / "Quillfind.exe").read_bytes(), "not the built program")
    check(all((folder_path / name).read_bytes() == windows_text(name) for name in TEXTS),
          "the licence texts are not the repository's")
    for lnk in shortcuts[:2 if autostart else 1]:
        check(lnk.is_file() and windows_path(exe).encode("utf-16-le") in lnk.read_bytes(),
              f"{lnk} does not lead to {exe}")
    check(shortcuts[1].exists() == autostart, f"the Start-up shortcut, asked for: {autostart}")
    folder = windows_path(folder_path)
    expected = {
        "DisplayName": reg_sz(PRODUCT), "DisplayVersion": reg_sz(VERSION),
        "Publisher": reg_sz("VORNELIX"), "DisplayIcon": reg_sz(f"{folder}\\Quillfind.exe,0"),
        "URLInfoAbout": reg_sz(MAKER_PAGE), "HelpLink": reg_sz(MAKER_PAGE),
        "InstallLocation": reg_sz(folder), "UninstallString": reg_sz(f'"{folder}\\uninstall.exe"'),
        "QuietUninstallString": reg_sz(f'"{folder}\\uninstall.exe" /S _?={folder}'),
        "NoModify": (4, b"\1\0\0\0"), "NoRepair": (4, b"\1\0\0\0")}
    values = entry_values(machine) or {}
    check({k: values.get(k) for k in expected} == expected, f"the uninstall entry: {values}")
    size = int.from_bytes(values.get("EstimatedSize", (4, b""))[1], "little")
    files = sum(p.stat().st_size for p in folder_path.glob("*")) // 1024
    check(abs(size - files) <= 2, f"EstimatedSize {size} KB, files {files} KB")


def uninstalled_facts():
    check(not INSTDIR.exists(), f"{INSTDIR} is still there")
    check(not any(lnk.exists() for lnk in SHORTCUTS), "a shortcut is still there")
    check(reg(UNINST_KEY) is None, "the uninstall entry is still there")
    check(reg(SETTINGS_KEY) is None, "the settings are still there")


def installed_copy():
    """The one running copy, which must be the installed program: its process id."""
    wait_until(lambda: windows(MAIN_TITLE) and tray_window(), 20, what="the installed copy's icon")
    pids = own_copies()
    check(len(pids) == 1, f"copies running: {pids}")
    cmdline = Path(f"/proc/{pids[0]}/cmdline").read_bytes()
    check(windows_path(INSTDIR / "Quillfind.exe").encode() in cmdline, f"started {cmdline!r}")
    return pids[0]


def start_from(lnk):
    """Starts the installed program through a shortcut, as the shell does at
    log-on or from the Start menu."""
    check(wine("start", "/unix", lnk) == 0, f"starting {lnk.name} failed")
    return installed_copy()


def ended(pid):
    return not Path(f"/proc/{pid}").exists()


def registered(name, machine=False, values=None):
    """A command line of the uninstall entry (or of the entry's values given)
    as program and arguments."""
    command = (values or entry_values(machine))[name][1].rstrip(b"\0").decode()
    program, _, args = command[1:].partition('"')
    return [program, *args.split()]


def quiet_uninstall():
    return wine(*registered("QuietUninstallString"))


def remove_leftovers():
    """Takes away what an install or a failed run left behind."""
    for program in (b"Quillfind.exe", SETUP.name.encode(), b"\\Un.exe", b"uninstall.exe",
                    b"qftool.exe"):
        for pid in own_copies(program):
            os.kill(pid, 9)
    for folder in (INSTDIR, OTHER_DIR, MACHINE_DIR):
        shutil.rmtree(folder, ignore_errors=True)
    with contextlib.suppress(OSError):  # the per-user programs folder, when empty
        INSTDIR.parent.rmdir()
    for lnk in (*SHORTCUTS, *SCOPES["machine"][1]):
        lnk.unlink(missing_ok=True)
    run_tool("reg", "delete", f"HKLM\\{UNINST_KEY}", "/f", check_rc=False)
    reg_delete_tree(UNINST_KEY)
    if (entries := reg(UNINST_LIST)) is not None and not entries and not entries.subkeys:
        reg_delete_tree(UNINST_LIST)
    reg_delete_tree(MAKER_KEY)


def release_files_agree():
    """SHA256SUMS matches the files beside it, and the winget manifests match
    the installers and the uninstall entry the x64 one has just made."""
    sums = dict(line.split("  ")[::-1] for line in (DIST / "SHA256SUMS").read_text().splitlines())
    files = {p.name: hashlib.sha256(p.read_bytes()).hexdigest() for p in DIST.glob("Quillfind*")}
    check(len(files) == 4 and sums == files, f"SHA256SUMS {sums}, files {files}")
    version, inst, locale, english = (
        yaml.safe_load((DIST / "winget" / f"Vornelix.Quillfind{kind}.yaml").read_text("utf-8"))
        for kind in ("", ".installer", ".locale.ja-JP", ".locale.en-US"))
    entry = {k: v[1].rstrip(b"\0").decode("cp932") for k, v in reg(UNINST_KEY).items()
             if v[0] == 1}
    facts = [{m["PackageIdentifier"] for m in (version, inst, locale)},
             {m["PackageVersion"] for m in (version, inst, locale)}, version["DefaultLocale"],
             inst["InstallerType"], inst["ExpectedReturnCodes"][2], "InstallerSwitches" in inst,
             inst["UpgradeBehavior"], inst["AppsAndFeaturesEntries"],
             {(i["Architecture"], i["Scope"]): (i["InstallerSha256"].lower(),
                                                i["InstallerUrl"].rsplit("/")[-1],
                                                i.get("InstallerSwitches"))
              for i in inst["Installers"]},
             (locale["PackageLocale"], locale["PackageName"], locale["Publisher"], locale["PackageUrl"]),
             {(m["License"], m["LicenseUrl"][-11:]) for m in (locale, english)},
             {p.name[-9:]: sorted(zipfile.ZipFile(p).namelist()) for p in DIST.glob("*.zip")}]
    setups = {arch: SETUP.name.replace("x64", arch) for arch in ("x64", "x86")}
    check(facts == [{"Vornelix.Quillfind"}, {VERSION}, "en-US", "nullsoft",
                    {"InstallerReturnCode": 3, "ReturnResponse": "custom"}, False, "install",
                    [{"DisplayName": entry["DisplayName"], "Publisher": entry["Publisher"],
                      "DisplayVersion": entry["DisplayVersion"],
                      "ProductCode": UNINST_KEY[len(UNINST_LIST) + 1:]}],
                    {(arch, scope): (files[name], name, switches) for arch, name in setups.items()
                     for scope, switches in (("user", None), ("machine", {"Custom": "/ALLUSERS"}))},
                    ("ja-JP", entry["DisplayName"], entry["Publisher"], entry["URLInfoAbout"]),
                    {("MIT", "LICENSE.txt")},
                    {z: sorted([*TEXTS, "Quillfind.exe", "readme.txt"])
                     for z in ("win32.zip", "win64.zip")}],
          f"the winget manifests say {facts}; the entry {entry}")


def search_once():
    """A search from the tray icon with the mode switched to OR by keyboard."""
    clipboard_text(QUERY)
    double_click_icon()
    wait_until(lambda: (window(SEARCH_TITLE) or {}).get("visible")
               and search_state().get("query") == QUERY.encode(), 10, what="the search window")
    key("Tab", "Down", "Tab", "space")
    wait_until(caught_addresses, 10, what="the catcher to be called")
    check(caught_addresses() == [ADDRESS], f"caught {caught_addresses()}")


# Before and after each test of this file (run.py calls it).
clean_up = remove_leftovers


def test_install_search_upgrade_over_running_copy_and_uninstall():
    before = snapshot()  # without the maker's key, which the program makes

    check(wine(SETUP, "/S") == 0, "the installer failed")
    installed_facts()
    release_files_agree()
    pid = start_from(SHORTCUTS[1])
    search_once()
    settings = (reg(SETTINGS_KEY), reg(SETTINGS_KEY + r"\text"))
    check(settings[0].get("mode") == (4, (1).to_bytes(4, "little")), f"mode: {settings[0]}")
    screenshot("install-1-installed-copy-searched", "640x200+0+0")

    # Installing again over the running copy: Windows would refuse to
    # replace a running program, so the copy must have ended first, and
    # the new program is started in its place.
    with open(INSTDIR / "Quillfind.exe", "ab") as f:
        f.write(b"old")
    check(wine(SETUP, "/S") == 0, "the installer failed over a running copy")
    wait_until(lambda: ended(pid), 2, what="the old copy's process to end")
    installed_facts()
    check((reg(SETTINGS_KEY), reg(SETTINGS_KEY + r"\text")) == settings,
          "the settings changed")
    pid = installed_copy()

    # Uninstalling while a copy runs: it is closed, and everything goes
    # before the quiet uninstall returns.
    check(quiet_uninstall() == 0, "the uninstaller failed")
    check(reg(UNINST_KEY) is None, "the uninstall entry is there after the uninstall")
    wait_until(lambda: ended(pid) and not INSTDIR.exists(), 5,
               what="the copy to end and the uninstaller's copy to remove the folder")
    uninstalled_facts()
    check(reg(MAKER_KEY) is None, "the maker's key is left empty")
    check_as_before(before)


AUTOSTART_BOX = 1200  # the folder page's checkbox
SCOPE_BOXES = (1203, 1204)  # the first page's choice, after its picture, title and text


def wizard(title, control=1):
    """The wizard's window and one of its controls (by default the next
    button), or None. Its own pages add a space to the title, so the title is
    matched at its start."""
    out = qftool("wizard", sjis(title).hex(), control).strip()
    if out == "none":
        return None
    facts = dict(kv.split("=") for kv in out.split())
    return {k: bytes.fromhex(v) if k == "text" else int(v) for k, v in facts.items()}


def control_center(w):
    return center((w["cleft"], w["ctop"], w["cright"], w["cbottom"]))


def walk_pages(title, pages):
    """Shows each page in turn: waits for the next button to read as given and
    to be ready, takes a picture of the wizard, does what the page is given to
    do, and clicks the button."""
    for shot, label, *actions in pages:
        w = wait_until(lambda: (w := wizard(title)) and w["enabled"] and w["text"] == sjis(label)
                       and w, 20, what=f"the page {shot}")
        time.sleep(0.3)  # the page paints itself
        screenshot(shot, f"{w['right'] - w['left']}x{w['bottom'] - w['top']}"
                         f"+{w['left']}+{w['top']}")
        for action in actions:
            action()
        click_at(*control_center(w))


def untick_autostart():
    """The folder page offers starting at log-on, ticked: the user unticks it."""
    box = wizard(SETUP_TITLE, AUTOSTART_BOX)
    check(box and box["checked"] == 1 and box["text"] == sjis(f"ログオン時に {PRODUCT} を起動する(&L)"),
          f"the folder page's checkbox: {box}")
    click_at(*control_center(box))
    wait_until(lambda: wizard(SETUP_TITLE, AUTOSTART_BOX)["checked"] == 0, 5,
               what="the checkbox to clear")


def for_this_user():
    """With administrator rights (Wine's) the first page offers both kinds,
    this user's chosen."""
    boxes = [(b["text"], b["checked"]) for b in (wizard(SETUP_TITLE, i) for i in SCOPE_BOXES)]
    check(boxes == [(sjis("このユーザーのためにインストールする(&U)"), 1),
                    (sjis("すべてのユーザーのためにインストールする(&A)"), 0)], f"choice: {boxes}")


def test_installer_and_uninstaller_pages():
    # Another program of the maker: its key stays, and the maker's with it.
    reg_set(SIBLING_KEY, "keep", 1, b"sibling\0")
    before = snapshot()
    subprocess.Popen([WINE, str(SETUP)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
    walk_pages(SETUP_TITLE, [("installer-1-welcome", "次へ(&N) >", for_this_user),
                             ("installer-2-folder", "インストール(&I)", untick_autostart),
                             ("installer-3-installed", "次へ(&N) >"),
                             ("installer-4-finish", "完了(&F)")])
    # The last page starts the program unless told not to.
    pid = installed_copy()
    installed_facts(autostart=False)

    subprocess.Popen([WINE, *registered("UninstallString")], stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    walk_pages(UNINSTALL_TITLE, [("installer-5-uninstall", "ｱﾝｲﾝｽﾄｰﾙ(&U)"),
                                 ("installer-6-uninstalled", "閉じる(&C)")])
    wait_until(lambda: ended(pid), 5, what="the running copy to end")
    uninstalled_facts()
    check_as_before(before)


@contextlib.contextmanager
def running(*tool_args, ready, program=QFTOOL):
    """Runs the test tool (or a copy of it) with these arguments while the block runs."""
    proc = subprocess.Popen([WINE, str(program), *map(str, tool_args)], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_until(ready, 20, what=f"qftool {tool_args[0]}")
        yield
    finally:
        proc.kill()
        proc.wait(10)


def program_held(*sharing):
    """The installed program held open, as a virus scanner or a hung copy may
    (with "read" sharing it can still be run)."""
    (PREFIX / "drive_c" / "held.txt").unlink(missing_ok=True)
    return running("hold", windows_path(INSTDIR / "Quillfind.exe"), 60, r"C:\held.txt", *sharing,
                   ready=(PREFIX / "drive_c" / "held.txt").exists)


@contextlib.contextmanager
def running_copy_held():
    """The installed program running while its file is held: the uninstall
    closes the copy, cannot move the file, and starts the copy again."""
    pid = start_from(SHORTCUTS[0])
    with program_held("read"):
        yield
    check(ended(pid) and installed_copy(), "the closed copy was not started again")


def copy_that_will_not_close():
    """A copy of the installed program that ignores close requests: the test
    tool put in its place, with a window titled as the program's main window."""
    shutil.copyfile(QFTOOL, INSTDIR / "Quillfind.exe")
    return running("stand-in", r"C:\stand-in.txt", 60, ready=lambda: window(MAIN_TITLE),
                   program=windows_path(INSTDIR / "Quillfind.exe"))


def startup_shortcut_removed():
    SHORTCUTS[1].unlink()
    return contextlib.nullcontext()


def hotkey_stored():
    """The combination /HOTKEY stores, put there by an earlier install."""
    reg_set(SETTINGS_KEY, "hotkey", 4, (0x0351).to_bytes(4, "little"))
    return contextlib.nullcontext()


def without_admin_rights():
    """The command run as an administrator's program that is not elevated."""
    return contextlib.nullcontext(lambda program, *args: wine(
        QFTOOL, "without-admin", re.sub("^/", "Z:/", str(program)).replace("/", "\\"), *args))


def install_and_use(*args):
    """An install whose program has kept settings."""
    check(wine(SETUP, "/S", *args) == 0, f"installing with {args} failed")
    reg_set(SETTINGS_KEY + r"\text", "text00", 1, b"quill\0")


# What goes wrong, or what a switch asks for, over an earlier install that has
# kept settings: what happens meanwhile (entered before the state "as before"
# is taken; it may give the command's runner), the installer's arguments (None:
# the quiet uninstall), the exit code, and what the registry and the folders
# then hold (all of the registry at once when the command returns); last, the
# earlier installs when not a per-user one (the first is the one the command meets).
CASES = [
    ("an upgrade while the program is held", program_held, [], 2, "as before"),
    ("an uninstall while the program is held", program_held, None, 2, "as before"),
    ("an uninstall while a copy runs and its file is held", running_copy_held, None, 2,
     "as before"),
    ("an uninstall while a copy will not close", copy_that_will_not_close, None, 2, "as before"),
    ("a quiet uninstall", None, None, 0, "clean"),
    ("an upgrade with /NOAUTOSTART", None, ["/NOAUTOSTART"], 0, "no autostart"),
    ("an upgrade after the Start-up shortcut was removed", startup_shortcut_removed, [], 0,
     "no autostart"),
    ("an upgrade into another folder", None, [f"/D={windows_path(OTHER_DIR)}"], 0, "elsewhere"),
    ("an upgrade with /HOTKEY", None, ["/HOTKEY"], 0, "hotkey"),
    ("an upgrade over a stored hotkey", hotkey_stored, [], 0, "hotkey"),
    ("a machine upgrade", None, ["/ALLUSERS"], 0, "machine", "machine"),
    ("a machine quiet uninstall", None, None, 0, "clean", "machine"),
    ("a machine upgrade beside a per-user install", None, ["/ALLUSERS"], 0, "both", "machine",
     "user"),
    ("a per-user upgrade beside a machine install", None, [], 0, "both", "user", "machine"),
    ("a machine uninstall beside a per-user install", None, None, 0, "user", "machine", "user"),
    ("a per-user uninstall beside a machine install", None, None, 0, "machine", "user", "machine"),
    ("a machine install without administrator rights", without_admin_rights, ["/ALLUSERS"], 3,
     "as before"),
    ("a machine uninstall without administrator rights", without_admin_rights, None, 3,
     "as before", "machine"),
]
SWITCHES = {"user": [], "machine": ["/ALLUSERS"]}


def test_failures_change_nothing_and_choices_are_kept():
    states = {"clean": snapshot()}
    for state, installs in (("user", [[]]), ("elsewhere", [[f"/D={windows_path(OTHER_DIR)}"]]),
                            ("hotkey", [["/HOTKEY"]]), ("machine", [["/ALLUSERS"]]),
                            ("both", [[], ["/ALLUSERS"]])):
        remove_leftovers()
        for args in installs:
            install_and_use(*args)
        states[state] = snapshot()
    installed_facts()
    installed_facts(scope="machine")
    check(any(f[1].endswith(f"{OTHER_DIR.name}/Quillfind.exe") for f in states["elsewhere"][1]),
          f"/D= did not install into {OTHER_DIR}")
    keyboard = {("value", SETTINGS_KEY, "hotkey", "4", "51030000"),
                ("value", SETTINGS_KEY, "enter", "4", "01000000")}
    check(keyboard <= states["hotkey"][0] and not keyboard & states["user"][0],
          "/HOTKEY, and only /HOTKEY, stores Ctrl+Alt+Q and Enter searching")
    registry_state, files = states["user"]
    states["no autostart"] = registry_state, {f for f in files
                                              if not f[1].endswith(f"StartUp/{PRODUCT}.lnk")}
    for name, meanwhile, args, code, expected, *installs in CASES:
        installs = installs or ["user"]
        remove_leftovers()
        for scope in installs:
            install_and_use(*SWITCHES[scope])
        # Not this release's program, as an upgrade meets it.
        folder, _, machine = SCOPES[installs[0]]
        with open(folder / "Quillfind.exe", "ab") as f:
            f.write(b"old")
        run_tool("reg", "add", f"{'HKLM' if machine else 'HKCU'}\\{UNINST_KEY}", "/v",
                 "DisplayVersion", "/d", "1.0.0", "/f")
        with (meanwhile or contextlib.nullcontext)() as runner:
            states["as before"] = snapshot()
            run = runner or wine
            rc = (run(*registered("QuietUninstallString", machine)) if args is None
                  else run(SETUP, "/S", *args))
            check(rc == code, f"{name}: exit code {rc}, not {code}")
            check_as_before(states[expected], f"{name}: not {expected}")


def test_signed_release():
    """Given a certificate, the packaging signs the installer, the program and
    the uninstaller: a throw-away one is made, and each shows its signature."""
    work = Path(tempfile.mkdtemp(prefix="signing-", dir=PREFIX.parent))
    for command in (f"req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=test "
                    f"-keyout {work}/key.pem -out {work}/cert.pem",
                    f"pkcs12 -export -inkey {work}/key.pem -in {work}/cert.pem "
                    f"-out {work}/cert.pfx -passout pass:test"):
        subprocess.run(["openssl", *command.split()], check=True, capture_output=True)
    subprocess.run([sys.executable, ROOT / "scripts" / "dist.py", "--build", BUILD.parent,
                    "--out", work / "dist"],
                   check=True, capture_output=True, env=dict(
                       os.environ, QF_SIGN_PFX=f"{work}/cert.pfx", QF_SIGN_PASSWORD="test"))
    check(wine(work / "dist" / SETUP.name, "/S") == 0, "the signed installer failed")
    for signed in (work / "dist" / SETUP.name, INSTDIR / "Quillfind.exe",
                   INSTDIR / "uninstall.exe"):
        r = subprocess.run(["osslsigncode", "verify", "-CAfile", work / "cert.pem", "-in",
                            signed], capture_output=True, text=True)
        check(r.returncode == 0 and "Signature verification: ok" in r.stdout,
              f"{signed.name}: {r.stdout[-600:]}{r.stderr[-300:]}")
    shutil.rmtree(work)
