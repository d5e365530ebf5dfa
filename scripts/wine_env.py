#!/usr/bin/env python3
"""The Wine of one test run: a copy of a template prefix, an X server of its
own, a running wineserver, and at the end all of it ended again.

    with WineRun(folder) as run:
        subprocess.run([*run.wine, "program.exe"])

While a run is open, os.environ holds its display and Wine settings, so what
the process starts (xdotool, Wine) works on it. The template prefix is made
once per machine, architecture and recipe version under ~/.cache/quillfind/
from scripts/wine-prefix.reg; the 32-bit one (arch "win32") is made and run in
the i386 chroot that `scripts/x86-env.sh run` prepares and names in
QF_X86_ROOT. QF_LANG picks the locale (ja_JP.UTF-8, code page 932, unless
set); QF_DISPLAY_BASE the first display number tried.

As a command, for what cannot hold a with block:
    wine_env.py up FOLDER [--heap-check]  opens a run and leaves it open (ctest's
                                          fixtures); FOLDER/env is for sh's "."
    wine_env.py down FOLDER               ends it
    wine_env.py user PREFIX ARGS...       Wine with ARGS in a lasting prefix of
                                          a user's own, made from the template
"""
import argparse
import fcntl
import json
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = next((p for p in ("/usr/lib/wine/wineserver64", shutil.which("wineserver"))
                   if p and os.access(p, os.X_OK)), "/usr/lib/wine/wineserver")
RECIPE = Path(__file__).resolve().with_name("wine-prefix.reg")
# Raise whenever the recipe or make_template changes: every machine then makes
# the new template beside the old one, which other runs may still be copying.
TEMPLATE_RECIPE = 3
CACHE = Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache") / "quillfind"
SCREEN = ["Xvfb", "-screen", "0", "1280x800x24"]
# The test prefix hands addresses to the catcher; a user's prefix gets Wine's
# own handler back, the browser.
BROWSER = r'"C:\windows\system32\winebrowser.exe" "%1"'
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_settings():
    lang = os.environ.get("QF_LANG") or "ja_JP.UTF-8"
    return {"LANG": lang, "LC_ALL": lang, "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
            "WINEDLLOVERRIDES": os.environ.get("WINEDLLOVERRIDES",
                                               "mscoree,mshtml,winemenubuilder.exe=d")}


class Host:
    """The 64-bit Wine of this machine."""
    arch, root = "win64", Path("/")

    def template(self):
        return CACHE / f"wine-template-r{TEMPLATE_RECIPE}"

    def inside(self, path):
        return str(path)

    def command(self, program, env):
        return [WINE if program == "wine" else WINESERVER], env


class Chroot:
    """Debian's i386 Wine in the chroot of scripts/x86-env.sh, under emulation."""
    arch = "win32"

    def __init__(self):
        root = os.environ.get("QF_X86_ROOT")
        if not root:
            raise RuntimeError("the 32-bit Wine runs within `bash scripts/x86-env.sh run`")
        self.root = Path(root)

    def template(self):
        return self.root / "qf" / f"wine-template-r{TEMPLATE_RECIPE}"

    def inside(self, path):
        return "/" + str(Path(path).relative_to(self.root))

    def command(self, program, env):
        keep = ("LANG", "LC_ALL", "DISPLAY", "WINEPREFIX", "TMPDIR", "WINEDEBUG",
                "WINEDLLOVERRIDES")
        pairs = [f"{k}={env[k]}" for k in keep if k in env]
        return ["chroot", str(self.root), "/usr/bin/env", "-i", "PATH=/usr/bin:/bin",
                "HOME=/root", "WINEARCH=win32", *pairs, program], None


def machine(arch):
    return Host() if arch == "win64" else Chroot()


class WineRun:
    """A test run's Wine in a folder of its own (folder/prefix, folder/tmp).

    programs are copied to C:\\qf (the catcher among them, as the recipe
    registers it); values are (key, name, type, data) set before the desktop
    starts; x_server is the X server's command without a display number."""

    def __init__(self, folder=None, arch="win64", programs=(), values=(), x_server=SCREEN):
        self.machine = machine(arch)
        self.folder = Path(folder).resolve() if folder else None
        self.programs, self.values, self.x_server = programs, values, x_server
        self.x_pid, self.saved, self.lock, self.remove_folder = None, {}, None, False
        self.env = wine_settings()

    @property
    def prefix(self):
        return self.folder / "prefix"

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    @property
    def wine(self):
        """The command that runs a Windows program in this run."""
        return self.machine.command("wine", self.env)[0]

    def call(self, *args, program="wine", timeout=120):
        cmd, env = self.machine.command(program, self.env)
        return subprocess.run([*cmd, *map(str, args)], env=env and dict(os.environ, **env),
                              timeout=timeout, **QUIET)

    def start(self):
        # Ended by a signal (ctest's time-out, x86-env.sh), the run still ends
        # its Wine and its X server on the way out.
        if signal.getsignal(signal.SIGTERM) == signal.SIG_DFL:
            signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
        template = make_template(self.machine)
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder.mkdir(parents=True)
        else:  # a 32-bit run's folder has to be inside the chroot
            runs = self.machine.root / "qf"
            remove_abandoned(runs)
            self.folder = Path(tempfile.mkdtemp(prefix="run.", dir=runs))
            self.remove_folder = True
        # Held while the run lives: a folder whose lock is free was left by
        # a run that was killed.
        self.lock = open(self.folder / ".lock", "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        (self.folder / "tmp").mkdir()
        self.env.update(WINEPREFIX=self.machine.inside(self.prefix),
                        TMPDIR=self.machine.inside(self.folder / "tmp"))
        subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True, timeout=300)
        qf = self.prefix / "drive_c" / "qf"
        qf.mkdir(exist_ok=True)
        for p in self.programs:
            shutil.copy(p, qf)
        self.env["DISPLAY"] = f":{self.start_x()}"
        self.saved = {k: os.environ.get(k) for k in self.env}
        os.environ.update(self.env)
        # A persistent server with detached streams: it and the desktop process
        # would otherwise hold the output of whichever program started them.
        self.call("-p", program="wineserver")
        for key, name, typ, data in self.values:
            self.call("reg", "add", key, *(["/v", name] if name else ["/ve"]), "/t", typ, "/d",
                      data, "/f")
        self.call("wineboot", timeout=600)

    def start_x(self):
        """Starts the X server on the first free display from QF_DISPLAY_BASE
        and gives its number. The server says when it is ready, and fails
        when another took the number first."""
        n = int(os.environ.get("QF_DISPLAY_BASE") or 90)
        with open(self.folder / "x.log", "w") as log:
            for n in range(n, n + 200):
                if os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
                    continue
                read, write = os.pipe()
                x = subprocess.Popen([*self.x_server, f":{n}", "-nolisten", "tcp", "-displayfd",
                                      str(write)], pass_fds=(write,), stdin=subprocess.DEVNULL,
                                     stdout=log, stderr=log, start_new_session=True)
                os.close(write)
                with os.fdopen(read) as ready:
                    said = ready.readline().strip()
                if said == str(n):
                    self.x_pid = x.pid
                    return n
                x.wait()
        raise RuntimeError(f"no X server could start; see {self.folder / 'x.log'}")

    def stop(self):
        if "WINEPREFIX" in self.env:
            try:
                self.call("-k", program="wineserver")
            except subprocess.TimeoutExpired:
                pass
            # What the server did not end (a program stuck in a system call).
            for pid in processes_with(f"WINEPREFIX={self.env['WINEPREFIX']}"):
                kill(pid)
        if self.x_pid and alive(self.x_pid):
            kill(self.x_pid, signal.SIGTERM)
            for _ in range(50):
                if not alive(self.x_pid):
                    break
                time.sleep(0.1)
        self.x_pid = None
        for k, v in self.saved.items():
            if v is None:
                os.environ.pop(k, None)
            else:
                os.environ[k] = v
        self.saved = {}
        if self.remove_folder:
            shutil.rmtree(self.folder, ignore_errors=True)
        if self.lock:
            self.lock.close()
            self.lock = None

    # A run opened by one process and ended by another (ctest's fixtures).
    def keep_open(self):
        state = {"arch": self.machine.arch, "x_pid": self.x_pid, "env": self.env}
        (self.folder / "run.json").write_text(json.dumps(state))
        names = ("WINEPREFIX", "TMPDIR", "DISPLAY")
        lines = [f"export {k}={shlex.quote(self.env[k])}" for k in names]
        (self.folder / "env").write_text("\n".join(lines + [f"export QF_WINE={WINE}", ""]))

    @classmethod
    def reopen(cls, folder):
        state = json.loads((Path(folder) / "run.json").read_text())
        run = cls(None, state["arch"])
        run.folder = Path(folder).resolve()
        run.env, run.x_pid = state["env"], state["x_pid"]
        return run


def processes_with(marker):
    """Process ids other than this one whose environment holds the marker."""
    found = []
    for proc in Path("/proc").iterdir():
        if proc.name.isdigit() and int(proc.name) != os.getpid():
            try:
                if marker.encode() in (proc / "environ").read_bytes().split(b"\0"):
                    found.append(int(proc.name))
            except OSError:
                pass
    return found


def alive(pid):
    return Path(f"/proc/{pid}").exists()


def remove_abandoned(runs):
    """Removes the run folders whose runs were killed: their locks are free."""
    for folder in runs.glob("run.*"):
        try:
            with open(folder / ".lock") as lock:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                shutil.rmtree(folder, ignore_errors=True)
        except FileNotFoundError:  # a run that is just starting, or a removed one
            if time.time() - folder.stat().st_mtime > 600:
                shutil.rmtree(folder, ignore_errors=True)
        except OSError:
            pass


def kill(pid, sig=signal.SIGKILL):
    try:
        os.kill(pid, sig)
    except OSError:
        pass


def make_template(machine):
    """The template prefix of the architecture, made if missing: built aside
    and moved into place whole, so a run never copies half a prefix; one run
    builds it while others wait."""
    template = machine.template()
    ready = template / ".ready"
    if ready.exists():
        return template
    template.parent.mkdir(parents=True, exist_ok=True)
    with open(f"{template}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if ready.exists():
            return template
        print(f"wine-env: creating the {machine.arch} template Wine prefix (once per machine)",
              flush=True)
        build = Path(tempfile.mkdtemp(prefix=template.name + ".building.", dir=template.parent))
        try:
            fill_template(machine, build)
            (build / "prefix" / ".ready").touch()
            (build / "prefix").rename(template)
        finally:
            shutil.rmtree(build, ignore_errors=True)
    return template


def fill_template(machine, build):
    (build / "tmp").mkdir()
    prefix = build / "prefix"
    # No display: nothing may wait for a dialog while the prefix is made.
    env = dict(os.environ, **wine_settings(), WINEPREFIX=machine.inside(prefix),
               TMPDIR=machine.inside(build / "tmp"), DISPLAY="")
    slow = 20 if machine.arch == "win32" else 1  # user-mode emulation

    def call(program, *args, timeout=120):
        cmd, cmd_env = machine.command(program, env)
        subprocess.run([*cmd, *args], env=cmd_env, timeout=timeout * slow, **QUIET)

    call("wine", "wineboot", "-i")
    marlett = machine.root / "usr/share/wine/fonts/marlett.ttf"
    if marlett.exists():
        shutil.copy(marlett, prefix / "drive_c" / "windows" / "Fonts")
    else:
        print(f"wine-env: {marlett} is missing (package fonts-wine); title-bar buttons will "
              "show letters", flush=True)
    # regedit reads UTF-16; the Japanese font names need it.
    recipe = prefix / "drive_c" / "recipe.reg"
    recipe.write_text(RECIPE.read_text(encoding="utf-8"), encoding="utf-16")
    call("wine", "regedit", "/S", r"C:\recipe.reg")
    recipe.unlink()
    # What wineboot started goes on working for a while: let it finish; the
    # server writes the registry to disk when it ends.
    try:
        call("wineserver", "-w", timeout=60)
    except subprocess.TimeoutExpired:
        pass
    call("wineserver", "-k")
    if "catcher.exe" not in (prefix / "system.reg").read_text(errors="replace"):
        raise RuntimeError(f"the {machine.arch} template prefix lacks its settings")


def user_prefix(prefix, args):
    """Runs Wine in a lasting prefix of the user's, copied from the template
    the first time, with the browser as the http handler; on the user's
    display."""
    prefix = Path(prefix)
    env = dict(os.environ, **wine_settings(), WINEPREFIX=str(prefix))
    if not prefix.exists():
        prefix.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(make_template(Host())), str(prefix)], check=True)
        subprocess.run([WINE, "reg", "add", r"HKCR\http\shell\open\command", "/ve", "/d", BROWSER,
                        "/f"], env=env, timeout=120, **QUIET)
    os.execve(WINE, [WINE, *args], env)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = ap.add_subparsers(dest="what", required=True)
    up = sub.add_parser("up")
    up.add_argument("folder")
    up.add_argument("--heap-check", action="store_true",
                    help="the heaps of every process started later check their blocks")
    sub.add_parser("down").add_argument("folder")
    user = sub.add_parser("user")
    user.add_argument("prefix")
    user.add_argument("args", nargs=argparse.REMAINDER)
    a = ap.parse_args()
    if a.what == "up":
        # GlobalFlag 0x70: tail check, free check, parameter validation.
        heap = [(r"HKLM\System\CurrentControlSet\Control\Session Manager", "GlobalFlag",
                 "REG_DWORD", "0x70")]
        run = WineRun(a.folder, values=heap if a.heap_check else ())
        try:
            run.start()
        except BaseException:
            run.stop()
            raise
        run.keep_open()
    elif a.what == "down":
        WineRun.reopen(a.folder).stop()
    else:
        user_prefix(a.prefix, a.args)


if __name__ == "__main__":
    main()
