"""The version box: how it looks, its link, its pointer, and the icon while it is open."""
import subprocess
import time

from harness import (ABOUT_TITLE, BUSY_TIP, DEFAULT_TIP, ID_LINK, IDM_ABOUTBOX, IDOK, MAIN_TITLE,
                     MENU_ABOUT, MENU_EXIT, SEARCH_TITLE, WM_SYSCOMMAND, caught_addresses, center,
                     check, choose_menu, click_at, click_control, close_menu, ctrl_rect,
                     double_click_icon, drag, hover_icon, key, menu_window, open_menu, pixels, post,
                     qftool, right_click_icon, screenshot, sjis, start, tooltip, tray_window,
                     wait_until, window, windows, x_cursor, xdo)

MAKER_PAGE = "http://www.vornelix.example/amuse"
BLUE = (0, 0, 255)

# The hand as the user must see it: '.' transparent, '#' black, 'o' white.
HAND = [
    "..###...........",
    "..#oo#..........",
    "..#oo#..........",
    "..#oo#..........",
    "..#oo##.........",
    "..#oooo##.......",
    "..#oooooo#......",
    "###oooooooo#....",
    "#o#oooooooo#....",
    "#o#oooooooo#....",
    "#oooooooooo#....",
    "#oooooooooo#....",
    ".#ooooooooo#....",
    "..##oooooo##....",
    "...##oooo##.....",
    "..#oooooooo#....",
    "..##########....",
]


def open_about():
    choose_menu(MENU_ABOUT)
    box = wait_until(lambda: (w := window(ABOUT_TITLE)) and w["visible"] and w, 8,
                     what="the version box")
    time.sleep(0.3)  # let it paint
    return box


def move_off_tray(box):
    """The box opens over the tray; drag it by its caption, as a user would."""
    x, y = box["left"] + 230, box["top"] + 10
    drag(x, y, x + 300, y + 300)
    return wait_until(lambda: (w := window(ABOUT_TITLE)) and w["left"] > 200 and w, 5,
                      what="the box to move")


def wait_closed():
    wait_until(lambda: not windows(ABOUT_TITLE), 5, what="the box to close and go away")


def check_tip(expected):
    hover_icon()
    wait_until(lambda: tooltip() == sjis(expected), 8, what=f"the tip {expected}")


def check_icon_free_again():
    check_tip(DEFAULT_TIP)
    open_menu()
    close_menu()


def pointer_at(x, y):
    xdo("mousemove", x, y - 1)
    time.sleep(0.15)
    xdo("mousemove", x, y)
    time.sleep(0.3)
    return x_cursor()


def pointer_picture(name, shape, region, at):
    """A screenshot of the region with the pointer drawn in: the X server's
    screenshots leave the pointer out."""
    left, top, right, bottom = region
    path = screenshot(name, f"{right - left}x{bottom - top}+{left}+{top}")
    colours = {".": b"\0\0\0\0", "#": b"\0\0\0\xff", "o": b"\xff\xff\xff\xff"}
    data = b"".join(colours.get(ch, b"\x80\x80\x80\xff") for row in shape for ch in row)
    subprocess.run(["convert", str(path), "(", "-size", f"{len(shape[0])}x{len(shape)}",
                    "-depth", "8", "rgba:-", ")", "-geometry", f"+{at[0] - left}+{at[1] - top}", "-composite",
                    str(path)], input=data, check=False, timeout=20, capture_output=True)


def test_box_drawn_with_blue_underlined_link_and_hand_pointer():
    start()
    box = open_about()
    check(box["foreground"], "the box must come to the front")
    shot = screenshot("about-box")
    screenshot("about-box-crop", f"{box['right'] - box['left']}x{box['bottom'] - box['top']}"
                                 f"+{box['left']}+{box['top']}")
    check(qftool("ctrl-text", sjis(ABOUT_TITLE).hex(), ID_LINK).strip() ==
          sjis("VORNELIXホームページへGO!").hex().upper(), "the label's text")

    left, top, right, bottom = ctrl_rect(ABOUT_TITLE, ID_LINK)
    y = (top + bottom) // 2
    # The dialog's own face, beside the label on both sides.
    face = pixels(shot, box["left"] + 8, y, 1, 1)[0][0]
    check(pixels(shot, box["right"] - 8, y, 1, 1)[0][0] == face, "dialog face is not uniform")
    rows = pixels(shot, left, top, right - left, bottom - top)
    blue = [(r, c) for r, row in enumerate(rows) for c, p in enumerate(row) if p == BLUE]
    check(len(blue) > 100, f"the label text is not pure blue ({len(blue)} blue pixels)")
    for r, row in enumerate(rows):
        for c, p in enumerate(row):
            # Transparent: nothing but the face around the text; the text only in blue.
            check(p == face or (p[2] > p[0] + 40 and p[2] > p[1] + 40),
                  f"pixel {p} at label ({c}, {r}) is neither the face {face} nor blue")
    first = min(c for _, c in blue)
    last = max(c for _, c in blue)
    check(first > 5 and last < right - left - 5, "the label's margins must show the face")
    lowest = max(r for r, _ in blue)
    highest = min(r for r, _ in blue)

    def longest_run(row):
        best = run = 0
        for p in row:
            run = run + 1 if p == BLUE else 0
            best = max(best, run)
        return best

    underline = [r for r, row in enumerate(rows) if longest_run(row) >= (last - first) * 9 // 10]
    check(underline and min(underline) > (highest + lowest) // 2,
          f"no blue underline below the text (rows {underline}, text {highest}..{lowest})")

    # The pointer the user sees: the hand over the label, the arrow elsewhere.
    tray = tray_window()
    xdo("mousemove", "--window", tray, 100, 5)
    time.sleep(0.3)
    arrow, arrow_hot = x_cursor()
    check(not arrow[0].startswith(HAND[0]), "the reference pointer must be the arrow")
    shape, hot = pointer_at(*center((left, top, right, bottom)))
    check(hot == (0, 0), f"the hand's hot spot is {hot}")
    for r, row in enumerate(shape):
        expected = HAND[r] + "." * (len(row) - 16) if r < len(HAND) else "." * len(row)
        check(row == expected, f"pointer row {r} is {row!r}, not the hand")
    pointer_picture("about-hand-pointer", shape, (left - 20, top - 10, right + 20, bottom + 30),
                    center((left, top, right, bottom)))
    check(pointer_at(box["left"] + 8, y) == (arrow, arrow_hot),
          "beside the label the pointer must be the arrow")
    check(pointer_at(*center(ctrl_rect(ABOUT_TITLE, IDOK))) == (arrow, arrow_hot),
          "over the OK button the pointer must be the arrow")


def test_icon_busy_while_open_and_ok_closes():
    p = start()
    move_off_tray(open_about())
    check_tip(BUSY_TIP)
    screenshot("about-busy-tip", "400x120+0+0")
    double_click_icon()
    time.sleep(0.6)
    right_click_icon()
    time.sleep(1.0)
    check(menu_window() is None, "a right-click on the busy icon opened a menu")
    search = window(SEARCH_TITLE)
    check(not (search and search["visible"]), "a double-click on the busy icon opened the search")
    check(window(ABOUT_TITLE)["visible"], "the box must stay open")

    click_control(ABOUT_TITLE, IDOK)
    wait_closed()
    check(p.running(), "the program must live on")
    check(not caught_addresses(), "OK must open no page")
    check_icon_free_again()


def test_escape_closes_and_icon_free_again():
    start()
    box = move_off_tray(open_about())
    check_tip(BUSY_TIP)
    click_at(box["left"] + 150, box["top"] + 10)  # back to the box, on its caption
    time.sleep(0.2)
    key("Escape")
    wait_closed()
    check_icon_free_again()


def test_close_box_closes_and_icon_free_again():
    start()
    box = move_off_tray(open_about())
    check_tip(BUSY_TIP)
    click_at(box["right"] - 13, box["top"] + 11)
    wait_closed()
    check(not caught_addresses(), "the close box must open no page")
    check_icon_free_again()


def test_link_opens_maker_page_and_closes():
    p = start()
    open_about()
    click_control(ABOUT_TITLE, ID_LINK)
    wait_until(caught_addresses, 10, what="the browser to be asked")
    wait_closed()
    time.sleep(0.5)
    check(caught_addresses() == [MAKER_PAGE], f"browser got {caught_addresses()}")
    check(p.running(), "the program must live on")
    check_icon_free_again()


def test_repeated_openings_leave_nothing_behind():
    p = start()
    for _ in range(3):
        open_about()
        check(len(windows(ABOUT_TITLE)) == 1, "one box at a time")
        key("Return")  # the default button, OK
        wait_closed()
        time.sleep(0.4)
    # The system-menu entry opens the same box.
    post(MAIN_TITLE, WM_SYSCOMMAND, IDM_ABOUTBOX)
    wait_until(lambda: (w := window(ABOUT_TITLE)) and w["visible"], 8, what="the box")
    key("Return")
    wait_closed()
    check(not caught_addresses(), "no page may open")
    choose_menu(MENU_EXIT)
    p.wait_exit()
