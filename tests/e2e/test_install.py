"""The release as a user meets it: the per-user installer, installing over a
running copy, the uninstaller, and the installer's pages. The x64 installer
runs here; the x86 one installs the i686 program and cannot run on this kernel."""
import os
import pwd
import shutil
import subprocess
import time
from pathlib import Path

from harness import (BUILD, MAIN_TITLE, MAKER_KEY, PREFIX, SEARCH_TITLE, SETTINGS_KEY, WINE,
                     Failure, caught_addresses, center, check, click_at, clipboard_text,
                     double_click_icon, key, own_copies, qftool, reg_delete_tree, reg_dump,
                     reg_list, reg_set, reg_values, screenshot, search_state, sjis, tray_window,
                     wait_until, window, windows)

VERSION = (Path(__file__).resolve().parents[2] / "VERSION").read_text().strip()
SETUP = BUILD.parent / "dist" / f"QuillfindSetup-{VERSION}-x64.exe"
PRODUCT = "Qf検索ヘルパー"
SETUP_TITLE = PRODUCT + " セットアップ"
UNINSTALL_TITLE = PRODUCT + " アンインストール"
UNINST_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillfind"
SIBLING_KEY = MAKER_KEY + r"\Quillfind2"
USERS = PREFIX / "drive_c" / "users"
PROFILE = USERS / pwd.getpwuid(os.getuid()).pw_name  # Wine names it after the user
INSTDIR = PROFILE / "AppData" / "Local" / "Programs" / "Quillfind"
MENU = PROFILE / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" / "Programs"
SHORTCUTS = (MENU / f"{PRODUCT}.lnk", MENU / "StartUp" / f"{PRODUCT}.lnk")
# Keys Wine writes by itself: scratch settings that any window's start rewrites,
# and the console host's defaults, written when the first console program runs.
WINE_NOISE = (r"Software\Wine\Temporary System Parameters", "Console")
QUERY = "release test"
ADDRESS = "http://search.zumtal.example/bin/query?p=release+test&s=o"


def windows_path(path):
    return "C:\\" + str(path.relative_to(PREFIX / "drive_c")).replace("/", "\\")


def wine(*args, timeout=60):
    return subprocess.run([WINE, *map(str, args)], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout).returncode


def snapshot():
    """HKEY_CURRENT_USER and the profile folders: keys, values, folders, files and sizes."""
    files = set()
    for root, dirs, names in os.walk(USERS):
        for n in dirs + names:
            path = Path(root, n)
            files.add(("file", str(path.relative_to(USERS)), path.is_dir() or path.stat().st_size))
    return reg_dump(""), files


def differences(before, after):
    """What changed, but the keys Wine writes by itself."""
    return [f"{'+' if e in now else '-'} {e}" for was, now in zip(before, after)
            for e in sorted(was ^ now, key=str)
            if not any(e[1] == k or e[1].startswith(k + "\\") for k in WINE_NOISE)]


def check_as_before(before):
    """HKCU and the profile are as they were. The uninstaller's copy in the
    temporary folder is removed a moment after it ends."""
    try:
        wait_until(lambda: not differences(before, snapshot()), 10, step=0.5)
    except Failure:
        raise Failure("left behind or changed:\n" + "\n".join(differences(before, snapshot())))


def reg_sz(text):
    return 1, sjis(text) + b"\0"


def installed_facts():
    exe = INSTDIR / "Quillfind.exe"
    check(sorted(p.name for p in INSTDIR.glob("*")) == ["Quillfind.exe", "uninstall.exe"],
          f"installed files: {list(INSTDIR.glob('*'))}")
    check(exe.read_bytes() == (BUILD / "Quillfind.exe").read_bytes(), "not the built program")
    for lnk in SHORTCUTS:
        check(lnk.is_file() and windows_path(exe).encode("utf-16-le") in lnk.read_bytes(),
              f"{lnk} does not lead to {exe}")
    folder = windows_path(INSTDIR)
    expected = {
        "DisplayName": reg_sz(PRODUCT), "DisplayVersion": reg_sz(VERSION),
        "Publisher": reg_sz("VORNELIX"), "DisplayIcon": reg_sz(f"{folder}\\Quillfind.exe,0"),
        "InstallLocation": reg_sz(folder), "UninstallString": reg_sz(f'"{folder}\\uninstall.exe"'),
        "QuietUninstallString": reg_sz(f'"{folder}\\uninstall.exe" /S'),
        "NoModify": (4, b"\1\0\0\0"), "NoRepair": (4, b"\1\0\0\0")}
    values = reg_values(UNINST_KEY) or {}
    check({k: values.get(k) for k in expected} == expected, f"the uninstall entry: {values}")
    size = int.from_bytes(values.get("EstimatedSize", (4, b""))[1], "little")
    files = sum(p.stat().st_size for p in INSTDIR.glob("*")) // 1024
    check(abs(size - files) <= 4, f"EstimatedSize {size} KB, files {files} KB")


def uninstalled_facts():
    check(not INSTDIR.exists(), f"{INSTDIR} is still there")
    check(not any(lnk.exists() for lnk in SHORTCUTS), "a shortcut is still there")
    check(reg_list(UNINST_KEY) is None, "the uninstall entry is still there")
    check(reg_list(SETTINGS_KEY) is None, "the settings are still there")


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


def registered(name):
    """A command line of the uninstall entry as program and arguments."""
    command = reg_values(UNINST_KEY)[name][1].rstrip(b"\0").decode()
    program, _, args = command[1:].partition('"')
    return [program, *args.split()]


def remove_leftovers():
    """Takes away what a failed run left behind, so the next test starts clean."""
    for program in (b"Quillfind.exe", SETUP.name.encode(), b"\\Un.exe"):
        for pid in own_copies(program):
            os.kill(pid, 9)
    shutil.rmtree(INSTDIR, ignore_errors=True)
    for lnk in SHORTCUTS:
        lnk.unlink(missing_ok=True)
    reg_delete_tree(UNINST_KEY)
    reg_delete_tree(MAKER_KEY)


def search_once():
    """A search from the tray icon with the mode switched to OR by keyboard."""
    clipboard_text(QUERY)
    double_click_icon()
    wait_until(lambda: (window(SEARCH_TITLE) or {}).get("visible")
               and search_state().get("query") == QUERY.encode(), 10, what="the search window")
    key("Tab", "Down", "Tab", "space")
    wait_until(caught_addresses, 10, what="the catcher to be called")
    check(caught_addresses() == [ADDRESS], f"caught {caught_addresses()}")


def test_install_search_upgrade_over_running_copy_and_uninstall():
    remove_leftovers()
    try:
        before = snapshot()  # without the maker's key, which the program makes

        check(wine(SETUP, "/S") == 0, "the installer failed")
        installed_facts()
        pid = start_from(SHORTCUTS[1])
        search_once()
        settings = (reg_values(SETTINGS_KEY), reg_values(SETTINGS_KEY + r"\text"))
        check(settings[0].get("mode") == (4, (1).to_bytes(4, "little")), f"mode: {settings[0]}")
        screenshot("install-1-installed-copy-searched", "640x200+0+0")

        # Installing again over the running copy: Windows would refuse to
        # replace a running program, so the copy must have ended first.
        with open(INSTDIR / "Quillfind.exe", "ab") as f:
            f.write(b"old")
        check(wine(SETUP, "/S") == 0, "the installer failed over a running copy")
        check(not windows(MAIN_TITLE), "a main window is left after the installer")
        wait_until(lambda: ended(pid), 2, what="the old copy's process to end")
        check(tray_window() is None, "the old copy's icon stayed")
        installed_facts()
        check((reg_values(SETTINGS_KEY), reg_values(SETTINGS_KEY + r"\text")) == settings,
              "the settings changed")

        # Uninstalling while a copy runs: it is closed, and everything goes.
        pid = start_from(SHORTCUTS[0])
        # It hands over to a copy of itself and returns at once.
        check(wine(*registered("QuietUninstallString")) == 0, "the uninstaller failed")
        wait_until(lambda: not INSTDIR.exists(), 20, what="the uninstaller to remove the folder")
        wait_until(lambda: ended(pid), 5, what="the running copy to end")
        uninstalled_facts()
        check(reg_list(MAKER_KEY) is None, "the maker's key is left empty")
        check_as_before(before)
    finally:
        remove_leftovers()


def wizard(title):
    """The wizard's window and its next button (control 1), or None. Its own
    pages add a space to the title, so the title is matched at its start."""
    out = qftool("wizard", sjis(title).hex(), 1).strip()
    if out == "none":
        return None
    facts = dict(kv.split("=") for kv in out.split())
    return {k: bytes.fromhex(v) if k == "text" else int(v) for k, v in facts.items()}


def walk_pages(title, pages):
    """Shows each page in turn: waits for the next button to read as given and
    to be ready, takes a picture of the wizard and clicks the button."""
    for shot, label in pages:
        w = wait_until(lambda: (w := wizard(title)) and w["enabled"] and w["text"] == sjis(label)
                       and w, 20, what=f"the page {shot}")
        time.sleep(0.3)  # the page paints itself
        screenshot(shot, f"{w['right'] - w['left']}x{w['bottom'] - w['top']}"
                         f"+{w['left']}+{w['top']}")
        click_at(*center((w["cleft"], w["ctop"], w["cright"], w["cbottom"])))


def test_installer_and_uninstaller_pages():
    remove_leftovers()
    try:
        # Another program of the maker: its key stays, and the maker's with it.
        reg_set(SIBLING_KEY, "keep", 1, b"sibling\0")
        before = snapshot()
        subprocess.Popen([WINE, str(SETUP)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        walk_pages(SETUP_TITLE, [("installer-1-welcome", "次へ(&N) >"),
                                 ("installer-2-folder", "インストール(&I)"),
                                 ("installer-3-installed", "次へ(&N) >"),
                                 ("installer-4-finish", "完了(&F)")])
        # The last page starts the program unless told not to.
        pid = installed_copy()
        installed_facts()

        subprocess.Popen([WINE, *registered("UninstallString")], stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        walk_pages(UNINSTALL_TITLE, [("installer-5-uninstall", "ｱﾝｲﾝｽﾄｰﾙ(&U)"),
                                     ("installer-6-uninstalled", "閉じる(&C)")])
        wait_until(lambda: ended(pid), 5, what="the running copy to end")
        uninstalled_facts()
        check_as_before(before)
    finally:
        remove_leftovers()
