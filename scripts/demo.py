#!/usr/bin/env python3
"""A short scripted session on a headless machine: the icon appears, its menu
opens, a search is made from the clipboard, the version box is shown, the
program exits; screenshots of each step are saved. The README's pictures of
the tray menu, the search window and the version box (docs/) are refreshed."""
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness as h  # noqa: E402

DOCS = Path(__file__).resolve().parents[1] / "docs"


def x_rect(xid):
    """(left, top, right, bottom) of an X window on the screen."""
    geo = dict(line.split("=") for line in h.xdo("getwindowgeometry", "--shell", xid).splitlines())
    x, y, w, height = (int(geo[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
    return x, y, x + w, y + height


def keep(name, *rects, margin=0):
    """A screenshot of the region around the given rectangles, for the README."""
    left, top = (max(min(r[i] for r in rects) - margin, 0) for i in (0, 1))
    right, bottom = (max(r[i] for r in rects) + margin for i in (2, 3))
    path = h.screenshot(name, f"{right - left}x{bottom - top}+{left}+{top}")
    DOCS.mkdir(exist_ok=True)
    # Without the time stamps, an unchanged picture stays the same file.
    subprocess.run(["convert", str(path), "-strip", str(DOCS / f"{name}.png")], check=True,
                   timeout=20)


def show_and_keep(item, title, name, message):
    """Chooses a menu item, waits for the window it opens and keeps its picture."""
    h.choose_menu(item)
    w = h.wait_until(lambda: (w := h.window(title)) and w["visible"] and w, 10, what=name)
    h.away_from_icon()
    time.sleep(0.3)
    print(message)
    keep(name, (w["left"], w["top"], w["right"], w["bottom"]))


def main():
    with h.wine_run(h.ROOT / "build" / "wine-demo"):
        session()


def session():
    h.clipboard_text("東京 天気")
    p = h.start()
    print("The icon is in the notification area.")
    h.screenshot("1-tray-icon", "320x120+0+0")

    menu = h.open_menu()
    time.sleep(0.5)  # let it paint
    print("Its menu is open.")
    keep("tray-menu", x_rect(h.tray_window()), x_rect(menu), margin=6)
    h.close_menu()

    time.sleep(0.5)
    show_and_keep(h.MENU_SEARCH, h.SEARCH_TITLE, "search-window",
                  "The search window holds the clipboard text.")

    h.post(h.SEARCH_TITLE, h.WM_COMMAND, h.ID_SEARCH)  # the search button
    h.wait_until(h.caught_addresses, 10, what="the browser to be asked")
    print("The browser was asked to open:", h.caught_addresses()[-1])
    time.sleep(0.5)
    h.screenshot("4-after-search", "640x200+0+0")
    h.key("Escape")

    show_and_keep(h.MENU_ABOUT, h.ABOUT_TITLE, "version-box", "The version box is open.")
    h.post(h.ABOUT_TITLE, h.WM_COMMAND, h.IDOK)  # its OK button
    h.wait_until(lambda: not h.windows(h.ABOUT_TITLE), 10, what="the version box to close")

    h.choose_menu(h.MENU_EXIT)
    p.wait_exit()
    print("The program ended and took its icon away.")
    print(f"Screenshots: {h.ARTIFACTS}; the README's pictures: {DOCS}")


if __name__ == "__main__":
    main()
