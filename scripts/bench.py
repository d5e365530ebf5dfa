#!/usr/bin/env python3
"""Benchmark of the program against a minimal tray program, under Wine.

Run it through scripts/bench.sh, which builds what it needs; it runs on a
display and a Wine prefix of its own (build/wine-bench):

    bash scripts/bench.sh [--short] [--rounds N] [--searches N]

What it measures, each on Quillfind.exe and on tools/minimal.exe (a bare Win32
tray program that shows a small captioned window on a double-click and hands
the same address to ShellExecuteA on its button), in turns within one run:

  start   from starting the process to its icon showing in the tray (the
          shell's tray window, shown only while it holds an icon, being
          mapped on the X screen);
  show    from the second press of a double-click on the tray icon (sent
          with XTest) to the search window being mapped on the X screen;
  search  from the release of the mouse button on "検索" to the http handler
          (the catcher) having started and written down the address;
  memory  the committed private memory of the running process after its
          timed rounds.

It prints the median of each and the ratio real / minimal. Then it makes
--searches searches (300 by default) in the running program by posting it
the search command, and compares the process's kernel handles (registry keys
included), GDI objects, windows and committed private memory before and after;
Wine's GetProcessHandleCount and GetGuiResources give 0, so qftool counts from
outside (handles by duplicating every handle value, GDI objects from the
process's GDI handle table, windows by enumeration, memory with VirtualQueryEx).
Last it shows the counting sees a leak: minimal.exe /leak loses a key, a
font, a window and 64 KiB per search.

--short makes a quick pass for the test run: fewer rounds and searches, the
same figures, and the exit status says only that it ran to its end. A full
run exits 1 when the real program is not flat or a leak goes unseen.
"""
import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402
from xscreen import XScreen  # noqa: E402
from harness import (BUILD, ID_SEARCH, IDOK, MAIN_TITLE, ROOT, SEARCH_TITLE,  # noqa: E402
                     SETTINGS_KEY, WM_COMMAND, catcher_log, center, clipboard_text, ctrl_rect, hexs,
                     icon_point, post, qftool, reg_delete_tree, reset_catcher, wait_until, window,
                     xdo)

MINIMAL = BUILD / "tools" / "minimal.exe"
MINIMAL_MAIN = "__@QfMinimal@__"
MINIMAL_SEARCH = "minimal search"
QUERY = "検索テスト abc"
ADDRESS = "http://search.zumtal.example/bin/query?p=%8C%9F%8D%F5%83%65%83%58%83%67+abc&hc=0&hs=0"
IDCANCEL = 2


class Subject:
    def __init__(self, name, main_title, search_title, command):
        self.name, self.main_title, self.search_title = name, main_title, search_title
        self.command = command
        self.proc = None

    def start(self, screen):
        """Starts the program; the seconds until its icon shows in the tray,
        which the shell shows only while it holds an icon."""
        tray = screen.find(harness.TRAY_TITLE)
        if tray and screen.mapped(tray):
            raise harness.Failure(f"{self.name}: another icon is in the tray")
        t0 = time.monotonic()
        self.proc = subprocess.Popen([*harness.wine_command(), *self.command],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        # The shell may keep its hidden tray window or make it anew.
        while not (tray and screen.mapped(tray)):
            if time.monotonic() - t0 > 20:
                raise harness.Failure(f"{self.name}: no icon")
            time.sleep(0.002)
            if not tray or screen.mapped(tray) is None:
                tray = screen.find(harness.TRAY_TITLE)
        elapsed = time.monotonic() - t0
        wait_until(lambda: window(self.main_title), 20, what=f"{self.name} to start")
        time.sleep(0.5)
        return elapsed

    def stop(self):
        if window(self.main_title):
            post(self.main_title, WM_COMMAND, IDOK)
        try:
            self.proc.wait(15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(5)
        wait_until(lambda: not harness.tray_window(), 10, what=f"{self.name}'s icon to go")
        time.sleep(0.3)

    def visible(self):
        return bool(xdo("search", "--onlyvisible", "--name", f"^{self.search_title}$",
                        check_rc=False))


def hide(s):
    if s.visible():
        post(s.search_title, WM_COMMAND, IDCANCEL)
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
        time.sleep(0.001)
    return time.monotonic() - t0


def time_show_first(s):
    w, x, y = icon_point(0)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.2)
    xdo("click", "--repeat", "2", "--delay", "80", "1")


def time_search(s, screen):
    time.sleep(0.3)
    xdo("mousemove", *center(ctrl_rect(s.search_title, ID_SEARCH)))
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
    return harness.facts(qftool("proc-facts", hexs(title), timeout=120))


def many_searches(s, count):
    """Posts the search command count times and waits until every address
    reached the handler, or none came for ten seconds. Returns the seconds
    taken and the addresses that arrived."""
    reset_catcher()
    t0 = time.monotonic()
    qftool("post-n", hexs(s.search_title), WM_COMMAND, ID_SEARCH, 0, count, timeout=1200)
    arrived, last_change = 0, time.monotonic()
    while arrived < count and time.monotonic() - last_change < 10:
        time.sleep(0.5)
        now = len(catcher_log())
        if now != arrived:
            arrived, last_change = now, time.monotonic()
    time.sleep(1)  # the last handlers end
    return time.monotonic() - t0, arrived


def show_facts(label, a, b):
    delta = {k: b[k] - a[k] for k in a}
    print(f"  {label}: before {a}")
    print(f"  {label}: after  {b}")
    print(f"  {label}: change handles {delta['handles']:+d}, GDI {delta['gdi']:+d}, "
          f"windows {delta['windows']:+d}, private memory {delta['private'] / 1024:+.0f} KiB")
    return delta


def print_ratios(times, rounds):
    """Median and fastest of each figure, and their ratios real / minimal:
    noise on a shared machine only adds time, so the fastest is the fairest.
    Returns the median ratios in one line."""
    print(f"Median and fastest ({2 * rounds} starts, {rounds} rounds of the rest):")
    ratios = []
    for what, unit, scale in (("start", "ms", 1000), ("show", "ms", 1000), ("search", "ms", 1000),
                              ("memory", "KiB", 1 / 1024)):
        q, m = times["Quillfind"][what], times["minimal"][what]
        qm, mm = statistics.median(q) * scale, statistics.median(m) * scale
        qf, mf = min(q) * scale, min(m) * scale
        print(f"  {what:7} Quillfind {qm:7.1f} ({qf:7.1f})   minimal {mm:7.1f} ({mf:7.1f}) {unit:3}"
              f"  ratio {qm / mm:5.2f} ({qf / mf:5.2f})")
        ratios.append(f"{what} {qm / mm:.2f}")
    return ", ".join(ratios)


def program_sizes():
    """The release program (i686) and the tested one (x86_64), in KiB."""
    out = []
    for arch in ("win32", "win64"):
        exe = ROOT / "build" / arch / "Quillfind.exe"
        out.append(f"{arch} {exe.stat().st_size / 1024:.0f} KiB" if exe.exists()
                   else f"{arch} not built")
    return ", ".join(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--short", action="store_true", help="a quick pass for the test run")
    ap.add_argument("--rounds", type=int, help="timed starts, shows and searches per program")
    ap.add_argument("--searches", type=int, help="searches for the flatness check")
    args = ap.parse_args()
    rounds = args.rounds or (3 if args.short else 8)
    searches = args.searches or (30 if args.short else 300)
    leak_searches = 20 if args.short else 100

    sizes = program_sizes()
    print(f"Program size: {sizes}")
    with harness.wine_run(ROOT / "build" / "wine-bench"):
        return bench(args, rounds, searches, leak_searches, sizes)


def bench(args, rounds, searches, leak_searches, sizes):
    reg_delete_tree(SETTINGS_KEY)
    reset_catcher()
    clipboard_text(QUERY)

    real = Subject("Quillfind", MAIN_TITLE, SEARCH_TITLE, [str(harness.EXE)])
    minimal = Subject("minimal", MINIMAL_MAIN, MINIMAL_SEARCH, [str(MINIMAL), ADDRESS])
    subjects = (real, minimal)
    times = {s.name: {"start": [], "show": [], "search": [], "memory": []} for s in subjects}
    screen = XScreen()
    try:
        for s in subjects:  # untimed: the first starts fill the caches
            s.start(screen)
            s.stop()
        # Starts on their own, so what the searches leave behind (handlers
        # ending, settings written) does not fall into them.
        for i in range(rounds * 2):
            for s in subjects if i % 2 == 0 else reversed(subjects):
                times[s.name]["start"].append(s.start(screen))
                s.stop()
        for i in range(rounds):
            for s in subjects if i % 2 == 0 else reversed(subjects):
                s.start(screen)
                # Untimed: the first showing also makes the window's X window.
                post(s.main_title, WM_COMMAND, ID_SEARCH) if s is real else time_show_first(s)
                wait_until(s.visible, 10, what="the first showing")
                times[s.name]["show"].append(time_show(s, screen))
                times[s.name]["search"].append(time_search(s, screen))
                times[s.name]["memory"].append(facts(s.main_title)["private"])
                s.stop()

        ratios = print_ratios(times, rounds)

        print(f"\n{searches} searches in the running program:")
        real.start(screen)
        post(MAIN_TITLE, WM_COMMAND, ID_SEARCH)
        wait_until(real.visible, 10, what="the search window")
        many_searches(real, 20)  # first-use allocations settle
        a = facts(MAIN_TITLE)
        seconds, arrived = many_searches(real, searches)
        b = facts(MAIN_TITLE)
        delta = show_facts("Quillfind", a, b)
        print(f"  {searches} searches took {seconds:.1f} s; {arrived} addresses reached the handler")
        flat = (abs(delta["handles"]) <= 2 and abs(delta["gdi"]) <= 2 and delta["windows"] == 0
                and delta["private"] <= 256 * 1024)
        real.stop()

        leaky = Subject("minimal /leak", MINIMAL_MAIN, MINIMAL_SEARCH,
                        [str(MINIMAL), ADDRESS, "/leak"])
        leaky.start(screen)
        a = facts(MINIMAL_MAIN)
        many_searches(leaky, leak_searches)
        b = facts(MINIMAL_MAIN)
        print(f"\nThe counting sees a deliberate leak ({leak_searches} searches of "
              "minimal.exe /leak):")
        leak = show_facts("minimal /leak", a, b)
        n = leak_searches
        seen = (leak["handles"] >= n and leak["gdi"] >= n and leak["windows"] >= n
                and leak["private"] >= n * 65536)
        leaky.stop()
        print(f"\nQuillfind flat: {'yes' if flat else 'NO'}; leak detected: {'yes' if seen else 'NO'}")
        print(f"bench: completed: median ratios {ratios}; flat {'yes' if flat else 'NO'}; "
              f"size {sizes}")
        return 0 if args.short or (flat and seen) else 1
    finally:
        harness.kill_all_copies()


if __name__ == "__main__":
    sys.exit(main())
