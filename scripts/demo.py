#!/usr/bin/env python3
"""A short scripted session on a headless machine: the icon appears, its menu
opens, a search is made from the clipboard, the program exits; screenshots of
each step are saved."""
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness as h  # noqa: E402


def main():
    h.register_catcher()
    h.reset_catcher()
    h.clipboard_text("東京 天気")
    p = h.start()
    print("The icon is in the notification area.")
    h.screenshot("1-tray-icon", "320x120+0+0")

    h.open_menu()
    print("Its menu is open.")
    h.screenshot("2-tray-menu", "320x220+0+0")
    h.close_menu()

    time.sleep(0.5)
    h.choose_menu(h.MENU_SEARCH)
    h.wait_until(lambda: (h.window(h.SEARCH_TITLE) or {}).get("visible"), 10,
                 what="the search window")
    time.sleep(0.5)
    print("The search window holds the clipboard text.")
    h.screenshot("3-search-window", "640x200+0+0")

    h.post(h.SEARCH_TITLE, 0x0111, 32772, 0)  # the search button
    h.wait_until(h.caught_addresses, 10, what="the browser to be asked")
    print("The browser was asked to open:", h.caught_addresses()[-1])
    time.sleep(0.5)
    h.screenshot("4-after-search", "640x200+0+0")

    h.choose_menu(h.MENU_EXIT)
    p.wait_exit()
    print("The program ended and took its icon away.")
    print(f"Screenshots: {h.ARTIFACTS}")


if __name__ == "__main__":
    main()
