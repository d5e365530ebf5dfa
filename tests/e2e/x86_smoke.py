#!/usr/bin/env python3
"""The 32-bit program and its installer under i386 Wine in user-mode
emulation, run through scripts/x86-env.sh: one table of steps, each a user's
or an administrator's action and what follows.
Usage: x86_smoke.py [--junit REPORT.xml]

The program and the catcher are the only Windows processes: windows are seen
from the X side, the clipboard is set there, and the registry is read from the
prefix's user.reg, which the wineserver saves every 30 seconds while something
changed. A step that fails ends the run; the steps after it count as failed."""
import argparse
import shutil
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from harness import (ABOUT_TITLE, MAIN_TITLE, MENU_ABOUT, ROOT, SEARCH_TITLE,  # noqa: E402
                     SETTINGS_KEY, Program, caught_addresses, check, choose_menu,
                     double_click_icon, key, reg, screenshot, sjis, tray_window, wait_until,
                     wine_run, write_junit, x_clipboard, x_window, xdo)
import harness  # noqa: E402
from test_search import address  # noqa: E402

# The i686 build, which the run puts at C:\qf.
PROGRAMS = [ROOT / "build" / "win32" / "Quillfind.exe",
            ROOT / "build" / "win32" / "tools" / "catcher.exe"]
EXE = r"C:\qf\Quillfind.exe"
EXE_BUILT = Path(__file__).resolve().parents[2] / "build" / "win32" / "Quillfind.exe"
VERSION = (ROOT / "VERSION").read_text().strip()
SETUP = f"QuillfindSetup-{VERSION}-x86.exe"
# The query of the 64-bit program's first search test, whose address that test pins.
QUERY = "検索テスト abc"
LIMIT = 120  # seconds for a step: generous, for a loaded machine and the emulator
copies = []
# The installer tests' paths and readers, imported once the run's Wine is up:
# they take its prefix as they are imported.
installs = None


def until(pred, what):
    return wait_until(pred, LIMIT, step=1, what=what)


def start(exe=EXE):
    copies.append(Program(exe=exe))
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
    Program("/UNREGIST", exe=EXE).wait_exit(LIMIT)
    copies[0].wait_exit(LIMIT)
    until(lambda: tray_window() is None, "the icon to go")
    until(lambda: reg(SETTINGS_KEY, saved=True) is None, "the key to go from user.reg")


def wine(exe, *args):
    return Program(*args, exe=exe).wait_exit(LIMIT)


def entry():
    return reg(installs.UNINST_KEY, saved=True)


def install():
    shutil.copy(installs.DIST / SETUP, harness.PREFIX / "drive_c" / "qf")
    check(wine(rf"C:\qf\{SETUP}", "/S") == 0, "the installer failed")
    check((installs.INSTDIR / "Quillfind.exe").read_bytes() == EXE_BUILT.read_bytes(),
          "not the built program")
    until(lambda: (entry() or {}).get("DisplayVersion") == (1, f"{VERSION}\0".encode()),
          "the uninstall entry in user.reg")
    start(installs.windows_path(installs.INSTDIR / "Quillfind.exe"))


def upgrade():
    check(wine(rf"C:\qf\{SETUP}", "/S") == 0, "the installer failed over a running copy")
    copies[-1].wait_exit(LIMIT)
    until(lambda: x_window(MAIN_TITLE, visible=False), "the copy started again")
    until(tray_window, "its tray icon")


def uninstall():
    check(wine(*installs.registered("QuietUninstallString", values=entry())) == 0,
          "the uninstaller failed")
    until(lambda: not installs.INSTDIR.exists() and tray_window() is None,
          "the folder and the icon to go")
    until(lambda: entry() is None, "the entry to go from user.reg")


STEPS = [
    ("start: the hidden main window and the tray icon", start),
    ("double-click: the search window", show_search),
    ("search: the catcher gets the 64-bit program's address", search),
    ("the history in user.reg", lambda: until(
        lambda: reg(SETTINGS_KEY + r"\text", saved=True)
        == {"text00": (1, sjis(QUERY) + b"\0")}, "text00 in user.reg")),
    ("the version box opens and closes", about_box),
    ("/UNREGIST: the copy ends, the key is gone", unregister),
    ("the installer, silent: the program, the entry, the installed copy runs", install),
    ("the installer again, over the running copy: it ends and starts again", upgrade),
    ("the quiet uninstall: the copy, the folder and the entry go", uninstall),
]


def run_steps():
    results = []
    clipboard = x_clipboard(QUERY)
    try:
        for name, step in STEPS:
            if any(r[2] for r in results):
                results.append((name, 0, "not run after a failed step"))
                print(f"FAIL {name}: not run after a failed step", flush=True)
                continue
            t0 = time.time()
            try:
                step()
                results.append((name, time.time() - t0, None))
                print(f"PASS {name} ({time.time() - t0:.0f}s)", flush=True)
            except Exception as e:
                results.append((name, time.time() - t0, str(e) or type(e).__name__))
                print(f"FAIL {name} ({time.time() - t0:.0f}s): {e}", flush=True)
                traceback.print_exc(limit=3)
                screenshot("FAILED-x86-smoke")
    finally:
        clipboard.kill()
        for p in copies:
            p.kill()
    return results


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--junit", type=Path, help="also write the results as a JUnit report")
    args = ap.parse_args()
    global installs
    with wine_run(None, arch="win32", programs=PROGRAMS):
        import test_install as installs
        results = run_steps()
    failed = sum(1 for r in results if r[2])
    print(f"x86 smoke: {len(results) - failed} passed, {failed} failed", flush=True)
    if args.junit:
        write_junit(args.junit, "x86 smoke", results)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
