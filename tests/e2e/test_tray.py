"""The tray program: icon, menu, ending, several copies, shell restarts."""
import time

from harness import (DEFAULT_TIP, IDOK, MAIN_TITLE, MENU_EXIT, WM_COMMAND, WM_ENDSESSION, check,
                     choose_menu, close_menu, hover_icon, open_menu, post, qftool, screenshot, send,
                     sjis, start, tooltip, tray_window, wait_until, window, windows)


def test_icon_menu_and_exit():
    p = start()
    screenshot("tray-icon", "300x120+0+0")
    hover_icon()
    tip = wait_until(lambda: tooltip(), 8, what="the icon's tooltip")
    check(tip == sjis(DEFAULT_TIP), f"tip was {tip!r}")
    screenshot("tray-tooltip", "300x120+0+0")

    open_menu()
    screenshot("tray-menu", "300x220+0+0")
    close_menu()

    main = window(MAIN_TITLE)
    check(main and not main["visible"], f"main window must exist hidden: {main}")

    choose_menu(MENU_EXIT)
    p.wait_exit()
    wait_until(lambda: tray_window() is None, 10, what="the icon to leave the tray")
    check(window(MAIN_TITLE) is None, "main window left behind")


def test_two_copies_two_icons_and_close_request():
    a = start()
    b = start()
    check(len(windows(MAIN_TITLE)) == 2, "two normal starts must give two main windows")
    screenshot("tray-two-icons", "300x120+0+0")
    # Another process asks one copy to close, as the uninstaller's switch does.
    post(MAIN_TITLE, WM_COMMAND, IDOK)
    wait_until(lambda: not a.running() or not b.running(), 10, what="one copy to end")
    check(len(windows(MAIN_TITLE)) == 1, "exactly one copy must remain")
    post(MAIN_TITLE, WM_COMMAND, IDOK)
    a.wait_exit()
    b.wait_exit()
    wait_until(lambda: tray_window() is None, 10, what="both icons to leave")


def test_end_session_true_ends_false_does_not():
    p = start()
    send(MAIN_TITLE, WM_ENDSESSION, 0)  # cancelled
    time.sleep(1)
    check(p.running(), "a cancelled log-off must change nothing")
    send(MAIN_TITLE, WM_ENDSESSION, 1)
    p.wait_exit()
    wait_until(lambda: tray_window() is None, 10, what="the icon to leave")


def test_taskbar_restart_puts_icon_back():
    p = start()
    out = qftool("taskbar-created")
    check("icon=1" in out, "the program's icon window was not found")
    wait_until(tray_window, 10, what="the icon to come back")
    # The restored icon still serves its menu.
    open_menu()
    screenshot("tray-after-taskbar-restart", "300x220+0+0")
    close_menu()
    post(MAIN_TITLE, WM_COMMAND, IDOK)
    p.wait_exit()


def test_never_visible_and_unknown_arguments():
    p = start("/nonsense", "-x", "--help")
    for _ in range(3):
        main = window(MAIN_TITLE)
        check(main and not main["visible"], "the main window must never be visible")
        time.sleep(0.3)
    choose_menu(MENU_EXIT)
    p.wait_exit()
