#!/usr/bin/env python3
"""Benchmark of the search from the tray, on the real program under Wine.

Not part of the test run. Run it by hand once a test environment is up:

    cd /work/main
    cmake --build BUILD --target Quillfind qftool catcher minimal   # BUILD configured with -DQF_BUILD_TESTS=ON
    source scripts/wine-env.sh && qf_env_up /tmp/env-bench
    QF_BUILD=$PWD/BUILD python3 scripts/bench-search.py [--rounds N] [--searches N]
    qf_env_down

What it measures, each on Quillfind.exe and on tools/minimal.exe (a bare Win32
tray program that shows a small captioned window on a double-click and hands
the same address to ShellExecuteA on its button), in turns within one run:

  show    from the second press of a double-click on the tray icon (sent
          with XTest) to the search window being mapped on the X screen;
  search  from the release of the mouse button on "検索" to the http handler
          (the catcher) having started and written down the address.

It prints the median of each and the ratio real / minimal. Then it makes
--searches searches (1000 by default) in the running program by posting it
the search command, and compares the process's kernel handles (registry keys
included), GDI objects, windows and committed private memory before and after;
Wine's GetProcessHandleCount and GetGuiResources give 0, so qftool counts from
outside (handles by duplicating every handle value, GDI objects from the
process's GDI handle table, windows by enumeration, memory with VirtualQueryEx).
Last it shows the counting sees a leak: minimal.exe /leak loses a key, a
font, a window and 64 KiB per search. Exits 1 if the real program is not flat.
"""
import argparse
import ctypes
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402
from harness import (MAIN_TITLE, SEARCH_TITLE, WINE, BUILD, catcher_log, clipboard_text,  # noqa: E402
                     hexs, icon_point, post, qftool, reg_delete_tree, reset_catcher,
                     SETTINGS_KEY, ID_SEARCH, WM_COMMAND, wait_until, window, xdo)

MINIMAL = BUILD / "tools" / "minimal.exe"
MINIMAL_MAIN = "__@QfMinimal@__"
MINIMAL_SEARCH = "minimal search"
QUERY = "検索テスト abc"
ADDRESS = "http://search.zumtal.example/bin/query?p=%8C%9F%8D%F5%83%65%83%58%83%67+abc&hc=0&hs=0"
IDCANCEL = 2


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XScreen:
    """Asks the X server directly whether a window is mapped: a round trip
    takes microseconds, where starting xdotool takes milliseconds."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                  ctypes.POINTER(XWindowAttributes)]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise harness.Failure("cannot open the X display")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]

    def button(self, press):
        """Presses or releases the left button where the pointer is; returns
        the moment the event left for the server."""
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1 if press else 0, 0)
        self.x11.XFlush(self.display)
        return time.monotonic()

    def double_click(self):
        """Returns the moment of the second press, the one that makes it a
        double-click."""
        self.button(True)
        time.sleep(0.02)
        self.button(False)
        time.sleep(0.08)
        t0 = self.button(True)
        time.sleep(0.02)
        self.button(False)
        return t0

    def mapped(self, xid):
        attrs = XWindowAttributes()
        if not self.x11.XGetWindowAttributes(self.display, xid, ctypes.byref(attrs)):
            return False
        return attrs.map_state == 2  # IsViewable


class Subject:
    def __init__(self, name, main_title, search_title, command):
        self.name, self.main_title, self.search_title = name, main_title, search_title
        self.command = command
        self.proc = None

    def start(self):
        self.proc = subprocess.Popen([WINE, *self.command], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: window(self.main_title), 20, what=f"{self.name} to start")
        wait_until(harness.tray_window, 20, what="the tray icon")
        # The shell drops the icon of a killed copy only when the mouse passes it.
        for x in (13, 37, 13):
            xdo("mousemove", "--window", harness.tray_window(), x, harness.tray_geometry()[2] - 13)
            time.sleep(0.1)
        time.sleep(0.5)

    def stop(self):
        if window(self.main_title):
            post(self.main_title, WM_COMMAND, 1, 0)
        try:
            self.proc.wait(15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(5)
        time.sleep(0.3)

    def visible(self):
        return bool(xdo("search", "--onlyvisible", "--name", f"^{self.search_title}$",
                        check_rc=False))


def hide(s):
    if s.visible():
        post(s.search_title, WM_COMMAND, IDCANCEL, 0)
        wait_until(lambda: not s.visible(), 5, step=0.02, what="the window to hide")


def time_show(s, screen):
    hide(s)
    # Wine keeps the X window of a hidden window and maps it again to show it.
    ids = xdo("search", "--name", f"^{s.search_title}$", check_rc=False).split()
    if len(ids) != 1:
        raise harness.Failure(f"{s.name}: {len(ids)} X windows named as its search window")
    xid = int(ids[0])
    time.sleep(0.6)  # the icon ignores actions while it is busy
    w, x, y = icon_point(0)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.2)
    t0 = screen.double_click()
    while not screen.mapped(xid):
        if time.monotonic() - t0 > 10:
            raise harness.Failure(f"{s.name}: the window did not show")
    return time.monotonic() - t0


def time_show_first(s):
    w, x, y = icon_point(0)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.2)
    xdo("click", "--repeat", "2", "--delay", "80", "1")


def time_search(s, screen):
    time.sleep(0.3)
    r = dict(kv.split("=") for kv in qftool("ctrl-rect", hexs(s.search_title), ID_SEARCH).split())
    xdo("mousemove", (int(r["left"]) + int(r["right"])) // 2, (int(r["top"]) + int(r["bottom"])) // 2)
    time.sleep(0.2)
    before = len(catcher_log())
    # Released, the button gives its command.
    screen.button(True)
    time.sleep(0.02)
    t0 = screen.button(False)
    while len(catcher_log()) <= before:
        if time.monotonic() - t0 > 10:
            raise harness.Failure(f"{s.name}: no address reached the handler")
        time.sleep(0.001)
    elapsed = time.monotonic() - t0
    got = harness.caught_addresses()[-1]
    if got != ADDRESS:
        raise harness.Failure(f"{s.name} launched {got}")
    return elapsed


def facts(title):
    out = qftool("proc-facts", hexs(title), timeout=120)
    return {k: int(v) for k, v in (kv.split("=") for kv in out.split())}


def many_searches(s, count):
    """Posts the search command count times and waits until every address
    reached the handler. Returns the seconds taken."""
    reset_catcher()
    t0 = time.monotonic()
    qftool("post-n", hexs(s.search_title), WM_COMMAND, ID_SEARCH, 0, count, timeout=1200)
    wait_until(lambda: len(catcher_log()) >= count, 120, what=f"{count} addresses")
    time.sleep(1)  # the last handlers end
    return time.monotonic() - t0


def show_facts(label, a, b):
    delta = {k: b[k] - a[k] for k in a}
    print(f"  {label}: before {a}")
    print(f"  {label}: after  {b}")
    print(f"  {label}: change handles {delta['handles']:+d}, GDI {delta['gdi']:+d}, "
          f"windows {delta['windows']:+d}, private memory {delta['private'] / 1024:+.0f} KiB")
    return delta


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--rounds", type=int, default=8, help="timed shows and searches per program")
    ap.add_argument("--searches", type=int, default=1000, help="searches for the flatness check")
    args = ap.parse_args()

    harness.kill_all_copies()
    reg_delete_tree(SETTINGS_KEY)
    # The windowed copy: a console handler would take the foreground and cost
    # a console's start in both programs alike.
    harness.register_windowed_catcher()
    reset_catcher()
    clipboard_text(QUERY)

    real = Subject("Quillfind", MAIN_TITLE, SEARCH_TITLE, [str(harness.EXE)])
    minimal = Subject("minimal", MINIMAL_MAIN, MINIMAL_SEARCH, [str(MINIMAL), ADDRESS])
    times = {s.name: {"show": [], "search": []} for s in (real, minimal)}
    screen = XScreen()
    try:
        for half in range(2):
            for s in (real, minimal) if half == 0 else (minimal, real):
                s.start()
                # Untimed: the first showing also makes the window's X window.
                post(s.main_title, WM_COMMAND, ID_SEARCH, 0) if s is real else time_show_first(s)
                wait_until(s.visible, 10, what="the first showing")
                for _ in range((args.rounds + 1) // 2):
                    times[s.name]["show"].append(time_show(s, screen))
                    times[s.name]["search"].append(time_search(s, screen))
                s.stop()

        print(f"Latency, median of {len(times['minimal']['show'])} (milliseconds):")
        for what in ("show", "search"):
            r = statistics.median(times["Quillfind"][what]) * 1000
            m = statistics.median(times["minimal"][what]) * 1000
            print(f"  {what:6}  Quillfind {r:7.1f}   minimal {m:7.1f}   ratio {r / m:5.2f}")

        print(f"\n{args.searches} searches in the running program:")
        real.start()
        post(MAIN_TITLE, WM_COMMAND, ID_SEARCH, 0)
        wait_until(real.visible, 10, what="the search window")
        many_searches(real, 50)  # first-use allocations settle
        a = facts(MAIN_TITLE)
        seconds = many_searches(real, args.searches)
        b = facts(MAIN_TITLE)
        delta = show_facts("Quillfind", a, b)
        print(f"  {args.searches} searches took {seconds:.1f} s")
        flat = (abs(delta["handles"]) <= 2 and abs(delta["gdi"]) <= 2 and delta["windows"] == 0
                and delta["private"] <= 256 * 1024)
        real.stop()

        leaky = Subject("minimal /leak", MINIMAL_MAIN, MINIMAL_SEARCH,
                        [str(MINIMAL), ADDRESS, "/leak"])
        leaky.start()
        a = facts(MINIMAL_MAIN)
        many_searches(leaky, 100)
        b = facts(MINIMAL_MAIN)
        print("\nThe counting sees a deliberate leak (100 searches of minimal.exe /leak):")
        leak = show_facts("minimal /leak", a, b)
        seen = (leak["handles"] >= 100 and leak["gdi"] >= 100 and leak["windows"] >= 100
                and leak["private"] >= 100 * 65536)
        leaky.stop()
        print(f"\nQuillfind flat: {'yes' if flat else 'NO'}; leak detected: {'yes' if seen else 'NO'}")
        return 0 if flat and seen else 1
    finally:
        harness.register_catcher()
        harness.kill_all_copies()
        for s in (minimal,):
            if s.proc and s.proc.poll() is None:
                s.stop()


if __name__ == "__main__":
    sys.exit(main())
