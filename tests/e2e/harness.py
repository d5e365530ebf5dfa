"""Drives the real program under Wine and Xvfb as a user would.

The test script prepares the Wine prefix and the display (scripts/wine-env.sh)
and exports WINEPREFIX, DISPLAY and QF_BUILD; everything here works on them.
"""
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from xscreen import XScreen

# Wine's programs as scripts/wine-env.sh names them.
WINE = os.environ.get("QF_WINE", "")
WINESERVER = os.environ.get("QF_WINESERVER", "")
BUILD = Path(os.environ.get("QF_BUILD", Path(__file__).resolve().parents[2] / "build" / "win64"))
EXE = BUILD / "Quillfind.exe"
QFTOOL = BUILD / "tools" / "qftool.exe"
CATCHER = BUILD / "tools" / "catcher.exe"
ARTIFACTS = Path(os.environ.get("QF_ARTIFACTS", Path(__file__).resolve().parents[2] / "build" / "artifacts"))
PREFIX = Path(os.environ.get("WINEPREFIX", ""))
SETTINGS_KEY = r"Software\VORNELIX\Quillfind"
MAKER_KEY = r"Software\VORNELIX"

TEMPLATE = os.environ.get("QF_TEMPLATE", "")
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
                   104: "a program could not be started", 105: "the file could not be opened"}


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
        r = subprocess.run([WINE, str(program), *map(str, args)], stdin=subprocess.DEVNULL,
                           stdout=out, stderr=err, timeout=timeout, env=env)
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


def reg_get(sub, name):
    """(type, bytes) of a value under HKCU, or None."""
    out = qftool("reg-get", sub, name).strip()
    if out in ("nokey", "missing"):
        return None
    typ, _, data = out.partition(" ")
    return int(typ), bytes.fromhex(data)


def reg_dword(sub, name):
    v = reg_get(sub, name)
    if v is None:
        return None
    check(v[0] == 4 and len(v[1]) == 4, f"{name} is not a REG_DWORD: {v}")
    return int.from_bytes(v[1], "little", signed=True)


def reg_list(sub):
    """(value names, key names) as bytes, or None when the key is missing."""
    out = qftool("reg-list", sub)
    if out.strip() == "nokey":
        return None
    values, keys = [], []
    for line in out.splitlines():
        kind, _, h = line.partition(" ")
        (values if kind == "value" else keys).append(bytes.fromhex(h))
    return values, keys


def reg_set(sub, name, typ, data: bytes):
    qftool("reg-set", sub, name, typ, data.hex() or "")


def reg_set_dword(sub, name, value):
    qftool("reg-set-dword", sub, name, value)


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
    """One running copy of the program; another build's copy (exe) can be
    started through another Wine (a command as a list)."""

    def __init__(self, *args, exe=EXE, wine=(WINE,)):
        self.proc = subprocess.Popen([*wine, str(exe), *args], stdin=subprocess.DEVNULL,
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


def register_catcher():
    """Makes the catcher the shell's handler of http addresses in this prefix."""
    win_path = "Z:" + str(CATCHER).replace("/", "\\")
    run_tool("reg", "add", r"HKCR\http\shell\open\command", "/ve", "/d", f'"{win_path}" "%1"',
             "/f")


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


def reg_values(sub, saved_in=None):
    """Every value of a key under HKCU in one call: {name: (type, bytes)}, or
    None when the key is missing. With a prefix folder for saved_in, read from
    its user.reg on this side, as the wineserver last saved it (every 30 s
    while anything changed), so no Windows process is started."""
    if saved_in is not None:
        return saved_values(Path(saved_in) / "user.reg", sub)
    out = qftool("reg-values", sub)
    if out.strip() == "nokey":
        return None
    values = {}
    for line in out.splitlines():
        name, typ, data = (line.split(" ") + ["", ""])[:3]
        values[bytes.fromhex(name).decode("latin-1")] = (int(typ), bytes.fromhex(data))
    return values


def unescape_saved(text):
    """A name or text of a Wine registry file as it was set."""
    return re.sub(r"\\(x[0-9a-fA-F]{1,4}|[0-7]{1,3}|.)", lambda m: (
        chr(int(m[1][1:], 16)) if m[1][0] == "x" else chr(int(m[1], 8)) if m[1].isdigit()
        else {"n": "\n", "r": "\r", "t": "\t"}.get(m[1], m[1])), text)


def saved_values(path, sub):
    """The text and number values of a key in a Wine registry file, in
    reg_values' form: text as code-page bytes with its terminator, as a
    Windows program reads it. Values of other types are left out."""
    key = "[" + sub.replace("\\", "\\\\").lower()
    values, inside = None, False
    for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
        if line.startswith("["):
            # A key with subkeys and no values has no section of its own.
            name = line.rpartition(" ")[0].lower()
            inside = name == key + "]"
            if inside or name.startswith(key + "\\\\"):
                values = values or {}
            continue
        m = inside and re.match(r'(@|"(?:[^"\\]|\\.)*")=(?:"(.*)"|dword:([0-9a-f]{8}))$', line)
        if m:
            name = "" if m[1] == "@" else unescape_saved(m[1][1:-1])
            values[name] = ((1, unescape_saved(m[2]).encode("cp932") + b"\0") if m[3] is None
                            else (4, int(m[3], 16).to_bytes(4, "little")))
    return values


def reg_dump(sub="", machine=False):
    """The whole tree below a key under HKCU (all of HKCU for ""), or under
    HKLM for machine, as a set of ("key", path) and ("value", path, name,
    type, data-hex) entries."""
    entries = set()
    for line in qftool("hklm-dump" if machine else "reg-dump", sub).splitlines():
        kind, *fields = line.split(" ")
        text = [bytes.fromhex(f).decode("cp932", "replace") for f in fields[:2]]
        entries.add(("key", *text) if kind == "key" else ("value", *text, *fields[2:]))
    return entries


# ---- a desktop of several monitors -----------------------------------------

@contextlib.contextmanager
def side_by_side_monitors(count, width=1280, height=800):
    """Runs the block on a desktop of `count` monitors of width x height, left
    to right from (0, 0): a nested X server with one screen per monitor joined
    by Xinerama, inside the test's display, and a Wine prefix of its own. Wine
    asks RandR first, which there reports the first screen only, so the prefix
    tells it to take its monitors from Xinerama."""
    global PREFIX
    check(TEMPLATE, "QF_TEMPLATE names no template prefix")
    root = Path(tempfile.mkdtemp(prefix="monitors-", dir=PREFIX.parent))
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                 timeout=60)
    read_fd, write_fd = os.pipe()
    screens = []
    for i in range(count):
        screens += ["-origin", f"{i * width},0", "-screen", f"{width}x{height}"]
    xephyr = subprocess.Popen(["Xephyr", "-displayfd", str(write_fd), "-nolisten", "tcp",
                               "-no-host-grab", "+xinerama", *screens],
                              pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    saved_env = {k: os.environ.get(k) for k in ("DISPLAY", "WINEPREFIX", "TMPDIR")}
    saved_prefix = PREFIX
    try:
        with os.fdopen(read_fd) as f:
            display = f.readline().strip()
        check(display.isdigit(), "the nested X server did not start")
        subprocess.run(["cp", "-a", TEMPLATE, str(root / "prefix")], check=True, timeout=120)
        (root / "tmp").mkdir()
        PREFIX = root / "prefix"
        os.environ.update(DISPLAY=f":{display}", WINEPREFIX=str(PREFIX), TMPDIR=str(root / "tmp"))
        subprocess.run([WINESERVER, "-p"], **quiet)
        run_tool("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseXRandR", "/d", "N",
                 "/f")
        subprocess.run([WINE, "wineboot"], **quiet)
        yield
    finally:
        if PREFIX != saved_prefix:
            subprocess.run([WINESERVER, "-k"], **quiet)
        PREFIX = saved_prefix
        for k, v in saved_env.items():
            if v is None:
                os.environ.pop(k, None)
            else:
                os.environ[k] = v
        xephyr.kill()
        xephyr.wait(10)
        shutil.rmtree(root, ignore_errors=True)
