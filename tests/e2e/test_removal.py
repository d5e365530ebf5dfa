"""The uninstaller's switch: every running copy is asked to close, the settings
go, the maker's key stays, and no window or icon ever appears."""
import shutil
import subprocess
import time
from pathlib import PureWindowsPath

from harness import (EXE, ID_SEARCH, IDOK, MAIN_TITLE, MAKER_KEY, PREFIX, QFTOOL, SEARCH_TITLE,
                     SETTINGS_KEY, WINE, WM_COMMAND, Program, check, hexs, own_copies, post,
                     qftool, dword, reg, reg_set, screenshot,
                     search_state, sjis, start, tray_window, wait_until, window, windows)

SIBLING_KEY = MAKER_KEY + r"\Quillfind2"
QUERY = "検索ヘルパー"


def write_settings():
    reg_set(SETTINGS_KEY, "mode", 4, (1).to_bytes(4, "little"))
    reg_set(SETTINGS_KEY + r"\text", "text00", 1, sjis(QUERY) + b"\0")
    reg_set(SETTINGS_KEY + r"\text", "text01", 1, b"quill\0")
    reg_set(SETTINGS_KEY + r"\WinPos\Search", "posX", 4, (40).to_bytes(4, "little"))
    reg_set(SETTINGS_KEY + r"\WinPos\Search", "posY", 4, (60).to_bytes(4, "little"))
    # Neighbours in the maker's key: one with a name that starts like the
    # program's, and a value named exactly like the program's key.
    reg_set(SIBLING_KEY, "keep", 1, b"sibling\0")
    reg_set(MAKER_KEY, "Quillfind", 1, b"value\0")
    reg_set(MAKER_KEY, "Other", 1, b"other\0")


def check_settings_removed(named_value_kept=True):
    check(reg(SETTINGS_KEY) is None, "the settings key is still there")
    maker = reg(MAKER_KEY)
    check(maker is not None, "the maker's key was removed too")
    values, keys = sorted(maker), sorted(maker.subkeys)
    check(keys == ["Quillfind2"], f"the maker's key lost its other key: {keys}")
    expected = ["Other", "Quillfind"] if named_value_kept else ["Other"]
    check(values == expected, f"the maker's values: {values}")
    check(reg(SIBLING_KEY, "keep") == (1, b"sibling\0"), "the sibling key was touched")
    check(reg(MAKER_KEY, "Other") == (1, b"other\0"), "the maker's value was touched")


def wine_start_time():
    """What starting and ending a small Windows program costs here."""
    times = []
    for _ in range(2):
        t0 = time.time()
        qftool("acp")
        times.append(time.time() - t0)
    return max(times)


def check_copies_gone_and_settings_stay_away(elapsed, shot, seconds):
    """After a removal: no copy, window or icon left, the settings gone, and
    still gone some seconds later. Copies that close at once cost one pause."""
    check(tray_window() is None, "an icon stayed")
    check(not windows(MAIN_TITLE), f"{len(windows(MAIN_TITLE))} main windows left")
    check(elapsed < 1.9 + wine_start_time(), f"removal took {elapsed:.2f} s: two pauses?")
    check_settings_removed()
    screenshot(shot, "300x120+0+0")
    time.sleep(seconds)
    check(reg(SETTINGS_KEY) is None, "the settings key came back")


def run_removal(*args):
    """Runs a copy with the given arguments to its end; its run time in seconds."""
    t0 = time.time()
    Program(*args).wait_exit(10)
    return time.time() - t0


# The folders a test puts copies of the program in.
COPY_FOLDERS = ("Program Files/unregist", "tools")


def clean_up():
    """What these tests leave beyond the program's copies and keys."""
    for top in COPY_FOLDERS:
        shutil.rmtree(PREFIX / "drive_c" / top, ignore_errors=True)


def test_removal_closes_running_copy_and_removes_settings():
    write_settings()
    first = start()
    # The running copy has read the settings: its search window shows the history.
    post(MAIN_TITLE, WM_COMMAND, ID_SEARCH)
    wait_until(lambda: (window(SEARCH_TITLE) or {}).get("visible"), 10,
               what="the search window")
    check(search_state()["items"][:2] == [sjis(QUERY), b"quill"], "history not shown")
    check(tray_window(), "no icon before the removal")
    screenshot("removal-before-running-copy", "300x120+0+0")

    t0 = time.time()
    remover = Program("/UNREGIST")
    first_end = None
    seen_after_first = []
    while remover.running():
        if first_end is None and not first.running():
            first_end = time.time()
        elif first_end is not None:
            # Between the running copy's end and its own: no icon, no main window.
            seen_after_first.append((tray_window(), len(windows(MAIN_TITLE))))
        check(time.time() - t0 < 10, "the removal did not end")
        time.sleep(0.05)
    elapsed = time.time() - t0
    first.wait_exit(5)
    first_end = first_end or time.time()

    check(first_end < t0 + elapsed, "the running copy ended only after the removal")
    check(all(s == (None, 0) for s in seen_after_first),
          f"a window or icon showed during the removal: {seen_after_first}")
    check(elapsed < 3.0, f"removal took {elapsed:.2f} s")
    check_copies_gone_and_settings_stay_away(elapsed, "removal-after-running-copy", 0.5)


def test_removal_without_running_copy_ends_at_once():
    write_settings()
    base = wine_start_time()
    limit = min(base + 0.8, 1.0)  # a pause of a second never fits
    elapsed = run_removal("/UNREGIST")
    check(elapsed < limit, f"removal took {elapsed:.2f} s, a plain start {base:.2f} s")
    check_settings_removed()
    check(not windows(MAIN_TITLE) and tray_window() is None, "a window or icon appeared")
    # With no key left it still ends at once. The key removal then falls
    # back to a value of that name in the maker's key, and takes only that.
    elapsed = run_removal("/UNREGIST")
    check(elapsed < limit, f"second removal took {elapsed:.2f} s")
    check_settings_removed(named_value_kept=False)


def read_requests(path):
    """(requests so far, tick of the last one, tick the settings key went or
    0) that the stand-in wrote."""
    try:
        return tuple(int(n) for n in path.read_text().split())
    except (OSError, ValueError):
        return None


def test_removal_asks_an_ignoring_copy_twice():
    count_file = PREFIX / "drive_c" / "qf-standin.txt"
    if count_file.exists():
        count_file.unlink()
    stand_in = subprocess.Popen([WINE, str(QFTOOL), "stand-in", r"C:\qf-standin.txt", "15"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
    try:
        write_settings()
        wait_until(lambda: read_requests(count_file) and window(MAIN_TITLE), 10,
                   what="the stand-in window")

        t0 = time.time()
        remover = Program("/UNREGIST")
        seen = {}  # request number -> (time seen, tick)
        during = []
        while remover.running():
            got = read_requests(count_file)
            if got and got[0] and got[0] not in seen:
                seen[got[0]] = (time.time(), got[1])
                during.append((tray_window(), len(windows(MAIN_TITLE))))
            check(time.time() - t0 < 10, "the removal did not end")
            time.sleep(0.02)
        end = time.time()
        elapsed = end - t0

        check(sorted(seen) == [1, 2], f"requests seen: {sorted(seen)}")
        requests, _, gone = wait_until(lambda: (r := read_requests(count_file)) and r[2] and r, 5,
                                       what="the stand-in to see the settings go")
        check(requests == 2, "more than two requests")
        # Both on the stand-in's clock: the harness sees each event late.
        check(gone - seen[2][1] >= 800,
              f"the settings went before both pauses were over: {gone - seen[2][1]} ms after "
              "the 2nd request")
        pause = seen[2][1] - seen[1][1]
        check(800 <= pause <= 1800, f"{pause} ms between the two requests")
        check(2.0 <= elapsed < 4.0, f"removal took {elapsed:.2f} s")
        check(all(d == (None, 1) for d in during), f"a window or icon of its own: {during}")
        check(stand_in.poll() is None, "the stand-in should still run")
        check_settings_removed()
    finally:
        if stand_in.poll() is None:
            stand_in.kill()
            stand_in.wait(5)


def test_removal_switch_spellings():
    base = wine_start_time()
    limit = min(base + 0.8, 1.0)  # a pause of a second never fits
    # Lower case, glued into other text, and after a double-byte
    # character whose trail byte is a backslash.
    for arg in ("/unregist", "x/UNREGISTx", "表/unregist"):
        reg_set(SETTINGS_KEY + r"\WinPos\Search", "posX", 4, (40).to_bytes(4, "little"))
        elapsed = run_removal(arg)
        check(elapsed < limit, f"{arg}: took {elapsed:.2f} s")
        check(reg(SETTINGS_KEY) is None, f"{arg}: the settings are still there")
        check(reg(MAKER_KEY) is not None, f"{arg}: the maker's key went")

    # Without the slash it is a normal start that keeps the settings.
    write_settings()
    p = start("-UNREGIST", "UNREGIST")
    check(window(MAIN_TITLE) and tray_window(), "a normal start must show its icon")
    check(reg(SETTINGS_KEY) is not None, "a normal start removed the settings")
    post(MAIN_TITLE, WM_COMMAND, IDOK)
    p.wait_exit(10)
    check(dword(reg(SETTINGS_KEY, "mode")) == 1, "a normal start changed the settings")


def test_removal_closes_every_running_copy():
    copies = []
    write_settings()
    for _ in range(5):
        copies.append(start())
    check(len(windows(MAIN_TITLE)) == 5, f"{len(windows(MAIN_TITLE))} copies run, not 5")
    screenshot("removal-before-five-copies", "300x120+0+0")

    elapsed = run_removal("/UNREGIST")
    check_copies_gone_and_settings_stay_away(elapsed, "removal-after-five-copies", 3)
    check(not any(p.running() for p in copies), "a copy still runs")


def test_removal_switch_for_every_callers_form():
    """Started by CreateProcessA(program, line) as uninstallers, Run entries and
    shortcuts do: the program's own path at the start of the line is never
    searched for the switch, whatever its slashes; anything else is."""
    installed = r"C:\Program Files\unregist\Quillfind.exe"
    tools = r"C:\tools\unregister\Quillfind.exe"
    for path in (installed, tools):
        copy = PREFIX / "drive_c" / PureWindowsPath(path).relative_to("C:/").as_posix()
        copy.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(EXE, copy)
    cases = [  # program, line, removal
        (installed, "/UNREGIST", True),
        (installed, f'"{installed}" /unregist', True),
        (installed, installed.replace("\\", "/"), False),
        (tools, tools.replace("\\", "/"), False),
        (installed, "Quillfind.exe x/UNREGISTx", True),
    ]
    for program, line, removal in cases:
        write_settings()
        qftool("spawn", hexs(line), hexs(program))
        if removal:
            wait_until(lambda: reg(SETTINGS_KEY) is None, 10, what=f"{line}: removal")
            wait_until(lambda: not own_copies(), 10, what=f"{line}: the remover to end")
            check(tray_window() is None, f"{line}: an icon appeared")
            continue
        wait_until(lambda: window(MAIN_TITLE), 20, what=f"{line}: main window")
        wait_until(tray_window, 20, what=f"{line}: the icon")
        check(dword(reg(SETTINGS_KEY, "mode")) == 1, f"{line}: the settings went")
        check(reg(SETTINGS_KEY + r"\text", "text01") == (1, b"quill\0"),
              f"{line}: the history went")
        post(MAIN_TITLE, WM_COMMAND, IDOK)
        wait_until(lambda: not own_copies(), 10, what=f"{line}: the copy to end")
