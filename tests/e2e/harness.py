"""Drives the real program under Wine and Xvfb as a user would.

Everything here works on the Wine of the current run, which a runner opens
with wine_run() (scripts/wine_env.py): its prefix, its display, its server.
"""
import contextlib
import os
import re
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
from pathlib import Path

from xscreen import XScreen

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import wine_env  # noqa: E402

WINE = wine_env.WINE
BUILD = Path(os.environ.get("QF_BUILD", ROOT / "build" / "win64"))
EXE = BUILD / "Quillfind.exe"
QFTOOL = BUILD / "tools" / "qftool.exe"
CATCHER = BUILD / "tools" / "catcher.exe"
ARTIFACTS = Path(os.environ.get("QF_ARTIFACTS", ROOT / "build" / "artifacts"))
# The current run's prefix as this side sees it, and the run (wine_run).
PREFIX = Path(os.environ.get("WINEPREFIX", ""))
RUN = None
SETTINGS_KEY = r"Software\VORNELIX\Quillfind"
MAKER_KEY = r"Software\VORNELIX"

MAIN_TITLE = "__@Qf@__"
TRAY_TITLE = "Wine System Tray"  # the shell's window holding the icons
SEARCH_TITLE = "　検索条件を入力し、検索ボタンを押して下さい。"
ABOUT_TITLE = "Qf検索ヘルパーのﾊﾞｰｼﾞｮﾝ情報"
DEFAULT_TIP = "右クリックでメニュー表示"
BUSY_TIP = "コマンド処理中のためメニュー表示できません"

# Tray menu items, top to bottom, as keyboard steps from the first item
# (the separator is skipped by the menu itself).
MENU_SEARCH, MENU_PORTAL, MENU_MAKER, MENU_ABOUT, MENU_EXIT = 0, 1, 2, 3, 4

# Window messages, and the command and control numbers the tests use with them.
WM_ENDSESSION, WM_COMMAND, WM_SYSCOMMAND = 0x0016, 0x0111, 0x0112
SC_MINIMIZE = 0xF020
IDOK = 1  # the about box's OK, and the close request to the main window
IDM_ABOUTBOX = 0x0010  # the system menu's about entry
ID_SEARCH = 32772  # the tray menu's search command, and the search button
ID_LINK, ID_MODE, ID_QUERY = 1000, 1005, 1006

# The test tool's own exit codes (see tests/e2e/tools/qftool.cpp).
TOOL_EXIT_CODES = {100: "wrong command or arguments", 101: "no such window or control",
                   102: "the registry refused", 103: "the catcher could not write its log",
                   104: "a program could not be started", 105: "the file could not be opened",
                   106: "the clipboard stayed busy"}


@contextlib.contextmanager
def wine_run(folder, programs=(CATCHER,), **options):
    """Opens the Wine of a run (wine_env.WineRun; the catcher at C:\\qf, where
    the prefix's recipe registers it) and points everything here at it."""
    global PREFIX, RUN
    saved = PREFIX, RUN
    with wine_env.WineRun(folder, programs=programs, **options) as run:
        PREFIX, RUN = run.prefix, run
        # The 64-bit tools set the clipboard, and the bridge must outlive them
        # (see qftool's clip-bridge); it says when it has started.
        bridge = run.machine.arch == "win64" and subprocess.Popen(
            [*run.wine, str(QFTOOL), "clip-bridge"], stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            check(not bridge or bridge.stdout.readline().strip() == "ready",
                  "the clipboard bridge did not start")
            yield run
        finally:
            PREFIX, RUN = saved
            if bridge:
                bridge.kill()
                bridge.wait(10)
                bridge.stdout.close()


def wine_command():
    return RUN.wine if RUN else [WINE]


def write_junit(path, suite, results):
    """A JUnit report of (name, seconds, failure message or None) results."""
    root = ET.Element("testsuite", name=suite, tests=str(len(results)),
                      failures=str(sum(1 for r in results if r[2] is not None)))
    for name, seconds, failure in results:
        case = ET.SubElement(root, "testcase", classname=suite, name=name, time=f"{seconds:.1f}")
        if failure is not None:
            ET.SubElement(case, "failure", message=failure)
    Path(path).parent.mkdir(parents=True, exist_ok=True)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


class Failure(AssertionError):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)


def sjis(text):
    return text.encode("cp932")


def hexs(text):
    return sjis(text).hex().upper() if isinstance(text, str) else text.hex().upper()


def wait_until(pred, timeout=10.0, step=0.1, what="condition"):
    end = time.time() + timeout
    while True:
        value = pred()
        if value:
            return value
        if time.time() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(step)


def facts(line):
    """The numbers of a tool's "name=value ..." line, by name."""
    return {k: int(v, 0) for k, v in (kv.split("=") for kv in line.split())}


# ---- Windows-side tools -------------------------------------------------

def run_tool(program, *args, check_rc=True, timeout=30):
    """Runs a Windows program under Wine to its end and gives its output. When
    it fails, the failure names its exit code and the end of its stderr."""
    # Output goes through files: a Wine process may start background
    # processes that would hold a pipe open long after the tool has ended.
    # Wine's own error messages go to the tool's stderr: a tool that ends
    # with Wine's exit code 1 and nothing else would say nothing of why.
    env = dict(os.environ, WINEDEBUG="err+all,fixme-all")
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        r = subprocess.run([*wine_command(), str(program), *map(str, args)],
                           stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout,
                           env=env)
        out.seek(0)
        err.seek(0)
        text = out.read().decode("latin-1")
        tail = err.read().decode("latin-1")[-600:].strip()
    if check_rc and r.returncode != 0:
        meaning = TOOL_EXIT_CODES.get(r.returncode, "from Wine or a crash")
        raise Failure(f"{Path(str(program)).name} {' '.join(map(str, args))}: exit code "
                      f"{r.returncode} ({meaning})" + (f"; stderr: {tail}" if tail else ""))
    return text


def qftool(*args, check_rc=True, timeout=30):
    return run_tool(QFTOOL, *args, check_rc=check_rc, timeout=timeout)


class Key(dict):
    """A registry key as read: its values by name as (type, bytes), its
    subkeys by name in subkeys, its full path in path."""

    def __init__(self, path):
        super().__init__()
        self.path, self.subkeys = path, {}

    def entries(self):
        """The whole tree as a set of ("key", path) and ("value", path, name,
        type, data-hex) entries, for comparing two states."""
        out = {("key", self.path)}
        out |= {("value", self.path, n, str(t), d.hex().upper()) for n, (t, d) in self.items()}
        for k in self.subkeys.values():
            out |= k.entries()
        return out


def tree(sub, keys, values):
    """The Key of sub, from the paths of the keys below it and (path, name,
    type, data) values; None when sub is not among them."""
    found = {}

    def key(path):
        if path.lower() not in found:
            found[path.lower()] = k = Key(path)
            if path.lower() != sub.lower():
                parent, _, name = path.rpartition("\\")
                key(parent).subkeys[name] = k
        return found[path.lower()]

    for path in keys:
        key(path)
    for path, name, typ, data in values:
        key(path)[name] = (typ, data)
    return found.get(sub.lower())


def reg(sub, name=None, saved=False):
    """The registry key under HKCU, with every key and value below it (all of
    HKCU for ""), as a Key, or None when it is missing; with a name, that
    value's (type, bytes), or None. Read by qftool's dump; saved: from the
    prefix's user.reg instead, as the wineserver last wrote it (every 30 s
    while anything changed), with no Windows process started."""
    if saved:
        k = tree(sub, *saved_entries(PREFIX / "user.reg", sub))
    else:
        keys, values = [], []
        for line in qftool("reg-dump", sub, *([name] if name is not None else [])).splitlines():
            kind, *fields = line.split(" ")
            path, *rest = [bytes.fromhex(f).decode("cp932", "replace") for f in fields[:2]]
            if kind == "key":
                keys.append(path)
            else:
                values.append((path, rest[0], int(fields[2]), bytes.fromhex(fields[3])))
        k = tree(sub, keys, values)
    return k if name is None or k is None else k.get(name)


def dword(value):
    """The number of a REG_DWORD value as reg() gives it, or None."""
    if value is None:
        return None
    check(value[0] == 4 and len(value[1]) == 4, f"not a REG_DWORD: {value}")
    return int.from_bytes(value[1], "little", signed=True)


def unescape_saved(text):
    """A name or text of a Wine registry file as it was set."""
    return re.sub(r"\\(x[0-9a-fA-F]{1,4}|[0-7]{1,3}|.)", lambda m: (
        chr(int(m[1][1:], 16)) if m[1][0] == "x" else chr(int(m[1], 8)) if m[1].isdigit()
        else {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1])), text)


def saved_entries(path, sub):
    """The key paths and the text and number values at and below sub in a
    Wine registry file, for tree(): text as code-page bytes with its
    terminator, as a Windows program reads it. Values of other types are left
    out."""
    keys, values, inside = [], [], None
    for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
        if line.startswith("["):
            name = unescape_saved(line[1:].rpartition("]")[0])
            inside = name if name.lower() == sub.lower() or \
                name.lower().startswith(sub.lower() + "\\") else None
            if inside:
                keys.append(sub + inside[len(sub):])
            continue
        m = inside and re.match(r'(@|"(?:[^"\\]|\\.)*")=(?:"(.*)"|dword:([0-9a-f]{8}))$', line)
        if m:
            name = "" if m[1] == "@" else unescape_saved(m[1][1:-1])
            values.append((keys[-1], name) + ((1, unescape_saved(m[2]).encode("cp932") + b"\0")
                                              if m[3] is None
                                              else (4, int(m[3], 16).to_bytes(4, "little"))))
    return keys, values


def reg_set(sub, name, typ, data: bytes, times=1):
    """Sets a value under HKCU, creating its key: the data, repeated that many times."""
    qftool("reg-set", sub, name, typ, data.hex(), times)


def reg_delete_tree(sub):
    qftool("reg-del-tree", sub)


def clipboard_text(text):
    qftool("clip-text", hexs(text) if isinstance(text, str) else text.hex())


def window(title):
    """Facts about the top-level window with that exact title, or None."""
    out = qftool("win", hexs(title)).strip()
    return None if out == "none" else facts(out)


def windows(title):
    out = qftool("win-all", hexs(title)).strip()
    return [facts(line) for line in out.splitlines() if line]


def search_state():
    out = qftool("combo", hexs(SEARCH_TITLE))
    state = {"items": [], "modeitems": []}
    for line in out.splitlines():
        key, _, rest = line.partition(" ")
        if key == "query":
            state["query"] = bytes.fromhex(rest)
        elif key == "sel":
            state["sel"] = tuple(int(x) for x in rest.split())
        elif key == "mode":
            state["mode"] = int(rest)
        elif key == "item":
            state["items"].append(bytes.fromhex(rest))
        elif key == "modeitem":
            state["modeitems"].append(bytes.fromhex(rest))
        elif key == "focus":
            state["focus"] = int(rest)
        elif key == "caption":
            state["caption"] = bytes.fromhex(rest)
    return state


def post(title, message, wparam=0, lparam=0):
    qftool("post", hexs(title), message, wparam, lparam)


def send(title, message, wparam=0, lparam=0):
    qftool("send", hexs(title), message, wparam, lparam)


def tooltip():
    out = qftool("tooltip").strip()
    return bytes.fromhex(out.partition(" ")[2])


# ---- X side: the tray, menus, keys, screenshots -----------------------------

def xdo(*args, check_rc=True):
    r = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=20)
    if check_rc and r.returncode != 0:
        raise Failure(f"xdotool {args}: {r.stderr}")
    return r.stdout.strip()


def tray_window():
    return x_window(TRAY_TITLE)


def tray_geometry():
    w = wait_until(tray_window, 15, what="the tray window")
    geo = dict(line.split("=") for line in xdo("getwindowgeometry", "--shell", w).splitlines())
    return w, int(geo["WIDTH"]), int(geo["HEIGHT"])


def icon_point(index=0):
    w, width, height = tray_geometry()
    return w, 13 + 24 * index, height - 13


def hover_icon(index=0):
    """Rests the pointer on the icon so that the shell shows its tooltip."""
    w, x, y = icon_point(index)
    xdo("mousemove", 600, 600)
    time.sleep(0.2)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.1)
    xdo("mousemove", "--window", w, x + 1, y)


def right_click_icon(index=0):
    w, x, y = icon_point(index)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.2)
    xdo("click", "3")


def double_click_icon(index=0):
    w, x, y = icon_point(index)
    xdo("mousemove", "--window", w, x, y)
    time.sleep(0.2)
    xdo("click", "--repeat", "2", "--delay", "80", "1")


def away_from_icon():
    """Moves the mouse off the icon through the tray's empty part, so its
    tooltip goes and leaves the window in view."""
    tray, width, height = tray_geometry()
    xdo("mousemove", "--window", tray, width - 20, height - 13)
    wait_until(lambda: tooltip() == b"", 6, step=0.2, what="the tooltip to go")
    xdo("mousemove", 700, 500)


def menu_window():
    ids = xdo("search", "--onlyvisible", "--class", "quillfind.exe", check_rc=False).split()
    for i in ids:
        if not xdo("getwindowname", i, check_rc=False):
            return i
    return None


def open_menu(index=0, timeout=4):
    for _ in range(3):
        right_click_icon(index)
        try:
            return wait_until(menu_window, timeout, what="the tray menu")
        except Failure:
            xdo("key", "Escape", check_rc=False)
    raise Failure("the tray menu did not open")


def close_menu():
    m = menu_window()
    if m:
        xdo("windowfocus", m, check_rc=False)
        xdo("key", "Escape", check_rc=False)
        wait_until(lambda: not menu_window(), 5, what="the menu to close")


def choose_menu(item, index=0, timeout=4):
    m = open_menu(index, timeout)
    xdo("windowfocus", m, check_rc=False)
    keys = ["Down"] * (item + 1) + ["Return"]
    xdo("key", "--delay", "60", *keys)


def x_window(title, visible=True):
    """The X window of the top-level window with that exact title, or None:
    asked of the X server, with no Windows process started. Wine keeps the X
    window of a hidden window unmapped."""
    ids = xdo("search", *(["--onlyvisible"] if visible else []), "--name",
              f"^{re.escape(title)}$", check_rc=False).split()
    return ids[0] if ids else None


def x_clipboard(text):
    """Owns the X clipboard with the text until the process it returns is
    ended; Wine's desktop takes the text in when the owner changes."""
    p = subprocess.Popen(["xclip", "-selection", "clipboard", "-quiet"], stdin=subprocess.PIPE,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    p.stdin.write(text.encode())
    p.stdin.close()
    return p


def key(*keys):
    xdo("key", "--delay", "60", *keys)


def type_text(text):
    xdo("type", "--delay", "30", text)


def screenshot(name, crop=None):
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    path = ARTIFACTS / f"{name}.png"
    subprocess.run(["import", "-window", "root", str(path)], check=False, timeout=20,
                   capture_output=True)
    if crop:
        subprocess.run(["convert", str(path), "-crop", crop, "+repage", str(path)], check=False,
                       timeout=20, capture_output=True)
    return path


def pixels(path, left, top, width, height):
    """Rows of (r, g, b) tuples of a region of a screenshot."""
    out = subprocess.run(["convert", str(path), "-crop", f"{width}x{height}+{left}+{top}",
                          "+repage", "-depth", "8", "rgb:-"],
                         capture_output=True, timeout=20).stdout
    check(len(out) == width * height * 3, f"could not read {width}x{height} pixels of {path}")
    return [[tuple(out[(r * width + c) * 3:(r * width + c) * 3 + 3]) for c in range(width)]
            for r in range(height)]


def x_cursor():
    """The pointer image the user sees now, with its hot spot (xscreen.py)."""
    with XScreen() as screen:
        return screen.cursor()


def ctrl_rect(title, control_id):
    """(left, top, right, bottom) of a dialog's control on the screen."""
    rect = facts(qftool("ctrl-rect", hexs(title), control_id))
    return tuple(rect[k] for k in ("left", "top", "right", "bottom"))


def center(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


def click_at(x, y):
    xdo("mousemove", x, y)
    time.sleep(0.15)
    xdo("click", "1")


def click_control(title, control_id):
    click_at(*center(ctrl_rect(title, control_id)))


def drag(x0, y0, x1, y1):
    """Presses the left button at one point, moves in steps and lets go at another."""
    xdo("mousemove", x0, y0)
    time.sleep(0.1)
    xdo("mousedown", "1")
    for i in range(1, 4):
        xdo("mousemove", x0 + (x1 - x0) * i // 3, y0 + (y1 - y0) * i // 3)
        time.sleep(0.1)
    xdo("mouseup", "1")


# ---- the program ----------------------------------------------------------

class Program:
    """One running copy of the program (or of another build's, exe), in the
    current run's Wine."""

    def __init__(self, *args, exe=EXE):
        self.proc = subprocess.Popen([*wine_command(), str(exe), *args],
                                     stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout=15):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait(5)


def start(*args, wait_icon=True):
    before = len(windows(MAIN_TITLE))
    p = Program(*args)
    if wait_icon:
        wait_until(lambda: len(windows(MAIN_TITLE)) > before, 20, what="the main window")
        wait_until(tray_window, 20, what="the tray icon")
        time.sleep(0.3)
    return p


def catcher_log():
    path = PREFIX / "drive_c" / "catcher.log"
    return path.read_text(encoding="latin-1").splitlines() if path.exists() else []


def caught_addresses():
    out = []
    for line in catcher_log():
        # "Z:\...\catcher.exe" "address"
        parts = line.rsplit('"', 2)
        out.append(parts[-2] if len(parts) == 3 else line)
    return out


def reset_catcher():
    path = PREFIX / "drive_c" / "catcher.log"
    if path.exists():
        path.unlink()


def own_copies(program=b"Quillfind.exe"):
    """Process ids of the copies running in this Wine prefix. Other test runs on
    the same machine have their own prefixes, and their copies are not ours."""
    pids = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            if program not in (proc / "cmdline").read_bytes():
                continue
            env = (proc / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={PREFIX}".encode() in env:
            pids.append(int(proc.name))
    return pids


def kill_all_copies():
    # Asked to close first, a copy takes its icon along; a killed one leaves a
    # dead icon in the tray until the pointer passes over it.
    for _ in range(6):
        if not own_copies():
            break
        if window(MAIN_TITLE):
            post(MAIN_TITLE, WM_COMMAND, IDOK)
        time.sleep(0.3)
    for pid in own_copies():
        try:
            os.kill(pid, 9)
        except OSError:
            pass
    wait_until(lambda: not windows(MAIN_TITLE), 10, what="every copy to end")


# ---- a desktop of several monitors -----------------------------------------

@contextlib.contextmanager
def side_by_side_monitors(count, width=1280, height=800):
    """Runs the block on a desktop of `count` monitors of width x height, left
    to right from (0, 0): a nested X server with one screen per monitor joined
    by Xinerama, inside the test's display, and a Wine prefix of its own. Wine
    asks RandR first, which there reports the first screen only, so the prefix
    tells it to take its monitors from Xinerama."""
    screens = []
    for i in range(count):
        screens += ["-origin", f"{i * width},0", "-screen", f"{width}x{height}"]
    with tempfile.TemporaryDirectory(prefix="monitors-", dir=PREFIX.parent) as folder:
        with wine_run(folder, x_server=["Xephyr", "-no-host-grab", "+xinerama", *screens],
                      values=[(r"HKCU\Software\Wine\X11 Driver", "UseXRandR", "REG_SZ", "N")]):
            yield
