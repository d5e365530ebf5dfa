#!/usr/bin/env python3
"""The 32-bit program and its installer under i386 Wine in user-mode
emulation, run through scripts/x86-env.sh: one table of steps, each a user's
or an administrator's action and what follows.

The program and the catcher are the only Windows processes: windows are seen
from the X side, the clipboard is set there, and the registry is read from the
prefix's user.reg, which the wineserver saves every 30 seconds while something
changed. A step that fails ends the run; the steps after it count as failed."""
import shutil
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import (ABOUT_TITLE, MAIN_TITLE, MENU_ABOUT, PREFIX, SEARCH_TITLE,  # noqa: E402
                     SETTINGS_KEY, Program, caught_addresses, check, choose_menu,
                     double_click_icon, key, reg_values, screenshot, sjis, tray_window, wait_until,
                     x_clipboard, x_window, xdo)
from test_install import DIST, INSTDIR, UNINST_KEY, VERSION, registered, windows_path  # noqa: E402
from test_search import address  # noqa: E402

WINE = ["bash", str(Path(__file__).resolve().parents[2] / "scripts" / "x86-env.sh"), "wine"]
EXE = r"C:\qf\Quillfind.exe"
EXE_BUILT = Path(__file__).resolve().parents[2] / "build" / "win32" / "Quillfind.exe"
SETUP = f"QuillfindSetup-{VERSION}-x86.exe"
# The query of the 64-bit program's first search test, whose address that test pins.
QUERY = "検索テスト abc"
LIMIT = 120  # seconds for a step: generous, for a loaded machine and the emulator
copies = []


def until(pred, what):
    return wait_until(pred, LIMIT, step=1, what=what)


def start(exe=EXE):
    copies.append(Program(exe=exe, wine=WINE))
    until(lambda: x_window(MAIN_TITLE, visible=False), "the main window")
    until(tray_window, "the tray icon")
    check(not x_window(MAIN_TITLE), "the main window must stay hidden")


def shown_for_keys(title, what):
    """Waits until the window is shown and has the keyboard, so keys reach it."""
    shown = until(lambda: x_window(title), what)
    until(lambda: xdo("getwindowfocus", check_rc=False) == shown, f"{what} to take the keys")


def show_search():
    double_click_icon()
    shown_for_keys(SEARCH_TITLE, "the search window")


def search():
    key("Tab", "Tab", "Return")  # from the query box to the search button
    until(caught_addresses, "the address at the catcher")
    check(caught_addresses() == [address(QUERY)], f"caught {caught_addresses()}")


def about_box():
    choose_menu(MENU_ABOUT, timeout=LIMIT)
    shown_for_keys(ABOUT_TITLE, "the version box")
    key("Return")  # its default button, OK
    until(lambda: not x_window(ABOUT_TITLE, visible=False), "the version box to go")


def unregister():
    Program("/UNREGIST", exe=EXE, wine=WINE).wait_exit(LIMIT)
    copies[0].wait_exit(LIMIT)
    until(lambda: tray_window() is None, "the icon to go")
    until(lambda: reg_values(SETTINGS_KEY, saved_in=PREFIX) is None, "the key to go from user.reg")


def wine(exe, *args):
    return Program(*args, exe=exe, wine=WINE).wait_exit(LIMIT)


def entry():
    return reg_values(UNINST_KEY, saved_in=PREFIX)


def install():
    shutil.copy(DIST / SETUP, PREFIX / "drive_c" / "qf")
    check(wine(rf"C:\qf\{SETUP}", "/S") == 0, "the installer failed")
    check((INSTDIR / "Quillfind.exe").read_bytes() == EXE_BUILT.read_bytes(),
          "not the built program")
    until(lambda: (entry() or {}).get("DisplayVersion") == (1, f"{VERSION}\0".encode()),
          "the uninstall entry in user.reg")
    start(windows_path(INSTDIR / "Quillfind.exe"))


def upgrade():
    check(wine(rf"C:\qf\{SETUP}", "/S") == 0, "the installer failed over a running copy")
    copies[-1].wait_exit(LIMIT)
    until(lambda: x_window(MAIN_TITLE, visible=False), "the copy started again")
    until(tray_window, "its tray icon")


def uninstall():
    check(wine(*registered("QuietUninstallString", values=entry())) == 0, "the uninstaller failed")
    until(lambda: not INSTDIR.exists() and tray_window() is None,
          "the folder and the icon to go")
    until(lambda: entry() is None, "the entry to go from user.reg")


STEPS = [
    ("start: the hidden main window and the tray icon", start),
    ("double-click: the search window", show_search),
    ("search: the catcher gets the 64-bit program's address", search),
    ("the history in user.reg", lambda: until(
        lambda: reg_values(SETTINGS_KEY + r"\text", saved_in=PREFIX)
        == {"text00": (1, sjis(QUERY) + b"\0")}, "text00 in user.reg")),
    ("the version box opens and closes", about_box),
    ("/UNREGIST: the copy ends, the key is gone", unregister),
    ("the installer, silent: the program, the entry, the installed copy runs", install),
    ("the installer again, over the running copy: it ends and starts again", upgrade),
    ("the quiet uninstall: the copy, the folder and the entry go", uninstall),
]


def main():
    clipboard = x_clipboard(QUERY)
    passed = failed = 0
    try:
        for name, step in STEPS:
            if failed:
                failed += 1
                print(f"FAIL {name}: not run after a failed step", flush=True)
                continue
            t0 = time.time()
            try:
                step()
                passed += 1
                print(f"PASS {name} ({time.time() - t0:.0f}s)", flush=True)
            except Exception as e:
                failed += 1
                print(f"FAIL {name} ({time.time() - t0:.0f}s): {e}", flush=True)
                traceback.print_exc(limit=3)
                screenshot("FAILED-x86-smoke")
    finally:
        clipboard.kill()
        for p in copies:
            p.kill()
    print(f"x86 smoke: {passed} passed, {failed} failed", flush=True)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
