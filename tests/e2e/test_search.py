"""The search from the tray: the search window, the request the shell receives,
the history, the mode and the window's place, as a user meets them."""
import time

from harness import (ABOUT_TITLE, DEFAULT_TIP, ID_LINK, ID_MODE, ID_QUERY, ID_SEARCH, IDOK,
                     MENU_ABOUT, MENU_EXIT, MENU_MAKER, MENU_PORTAL, MENU_SEARCH, SC_MINIMIZE,
                     SEARCH_TITLE, SETTINGS_KEY, WM_COMMAND, WM_SYSCOMMAND, away_from_icon,
                     caught_addresses, check, choose_menu, click_at, click_control, clipboard_text,
                     ctrl_rect, double_click_icon, drag, dword, facts, hexs, hover_icon, key,
                     menu_window, open_menu, post, qftool, reg, reg_delete_tree, reg_set,
                     screenshot, search_state, side_by_side_monitors, sjis, start, tooltip,
                     tray_geometry, tray_window, type_text, wait_until, window, xdo)

TEXT_KEY = SETTINGS_KEY + r"\text"
POS_KEY = SETTINGS_KEY + r"\WinPos\Search"
SERVICE = "http://search.zumtal.example/bin/query?p="
SUFFIX = {0: "&hc=0&hs=0", 1: "&s=o", 2: "&s=e"}
MODE_ITEMS = [b"AND", b"OR", sjis("ｴｷｽﾊﾟｰﾄ")]


# The address part of each query these tests search for that is not a plain
# word, written out: how the encoding works is the unit tests' business.
ENCODED = {
    "検索テスト abc": "%8C%9F%8D%F5%83%65%83%58%83%67+abc",
    "mode test": "mode+test",
    "still works": "still+works",
    "ＦＵＬＬ": "%82%65%82%74%82%6B%82%6B",
    "東京 天気": "%93%8C%8B%9E+%93%56%8B%43",
}


def address(query, mode=0):
    """The address the shell must receive; a word of letters and digits
    stands for itself."""
    word = query.decode("ascii") if isinstance(query, bytes) else query
    check(word in ENCODED or word.isascii() and word.isalnum(), f"no address written for {word!r}")
    return SERVICE + ENCODED.get(word, word) + SUFFIX[mode]


def chars(query):
    """Length as the query box counts it (characters, not bytes)."""
    return len(query)


# ---- driving the search window ------------------------------------------

def visible_search():
    w = window(SEARCH_TITLE)
    return w if w and w["visible"] else None


def hidden_search():
    w = window(SEARCH_TITLE)
    return w is not None and not w["visible"]


def wait_query(query):
    want = sjis(query) if isinstance(query, str) else query
    return wait_until(lambda: (lambda s: s if s.get("query") == want else None)(search_state()),
                      8, what=f"the query box to show {want[:40]!r}")


def show_by_double_click(query=None):
    double_click_icon()
    w = wait_until(visible_search, 10, what="the search window")
    if query is not None:
        wait_query(query)
    time.sleep(0.5)  # the icon ignores a second action while busy
    return w


def show_by_menu(query=None):
    choose_menu(MENU_SEARCH)
    w = wait_until(visible_search, 10, what="the search window")
    if query is not None:
        wait_query(query)
    return w


def press(ctrl_id):
    """Clicks a control of the search window."""
    click_control(SEARCH_TITLE, ctrl_id)


def click_caption():
    w = visible_search()
    click_at(w["left"] + 120, w["top"] + 10)


def back_to_window():
    """Brings the search window back in front, as a user clicks back on it,
    should the program the shell started have taken the foreground."""
    if not visible_search()["foreground"]:
        click_caption()
        wait_until(lambda: visible_search()["foreground"], 5, what="the window in front")


def searched(count, what="the address"):
    return wait_until(lambda: (lambda a: a if len(a) >= count else None)(caught_addresses()), 10,
                      what=what)


def history_values():
    """The history values in the registry: name -> (type, bytes)."""
    return reg(TEXT_KEY) or {}


def check_history(queries):
    """Registry and drop-down list both hold exactly these, newest first."""
    want = [sjis(q) if isinstance(q, str) else q for q in queries]
    values = history_values()
    expect = {"text%02X" % i: (1, q + b"\0") for i, q in enumerate(want)}
    check(values == expect, f"history values {values} != {expect}")
    items = search_state()["items"]
    check(items == want, f"drop-down list {items} != {want}")


def check_query_selected(query):
    s = search_state()
    want = sjis(query) if isinstance(query, str) else query
    check(s["query"] == want, f"query box {s['query']!r} != {want!r}")
    n = chars(query) if isinstance(query, str) else len(query)
    check(s["sel"] == (0, n), f"query not fully selected: {s['sel']} for {n} characters")
    check(s["focus"] == ID_QUERY, f"focus on {s['focus']}, not the query box")
    return s


def exit_program(p):
    choose_menu(MENU_EXIT)
    p.wait_exit()


def launch():
    """Starts the program with its icon first in the tray. The shell drops the
    icon of a copy that was killed only when the mouse passes over it."""
    p = start()
    for x in (13, 37, 13):
        xdo("mousemove", "--window", tray_window(), x, tray_geometry()[2] - 13)
        time.sleep(0.1)
    xdo("mousemove", 700, 500)
    return p


# ---- the tests ------------------------------------------------------------

def test_first_start_double_click_and_search():
    query = "検索テスト abc"
    clipboard_text(query)
    p = launch()
    w = show_by_double_click(query)
    check((w["left"], w["top"]) == (40, 40), f"first start must place the window at (40, 40): {w}")
    check(w["foreground"], "the search window must come to the front")
    s = check_query_selected(query)
    check(s["mode"] == 0 and s["modeitems"] == MODE_ITEMS, f"mode box: {s}")
    check(s["items"] == [], f"the list must be empty on a first start: {s['items']}")
    check(s["caption"] == sjis(SEARCH_TITLE), f"caption {s['caption']!r}")
    away_from_icon()
    before = screenshot("search-window-first-start", "400x140+0+0")

    press(ID_SEARCH)
    check(searched(1) == [address(query)], f"caught {caught_addresses()}")
    check(reg(TEXT_KEY, "text00") == (1, sjis(query) + b"\0"), "text00 must hold the query")
    wait_until(lambda: search_state()["items"] == [sjis(query)], 5, what="the list to hold the query")
    check_history([query])
    check(visible_search(), "the window stays open after a search")
    # The mode was never changed, so it is not stored.
    check(reg(SETTINGS_KEY, "mode") is None, "a search must not store the mode")
    back_to_window()
    check_query_selected(query)
    xdo("mousemove", 700, 500)
    after = screenshot("search-window-after-search", "400x140+0+0")
    check(before.exists() and after.exists(), "screenshots missing")
    check(p.running(), "the program ended")


def test_hotkey_brings_up_the_search_window_only_when_set():
    """Wine hands a registered hotkey only to a focused Wine window: the keys go
    to the tray's window, which is Wine's own, not the program's."""
    def press_hotkey():
        xdo("windowfocus", "--sync", tray_window())
        xdo("key", "--clearmodifiers", "ctrl+alt+q")

    reg_set(SETTINGS_KEY, "hotkey", 4, (0x0351).to_bytes(4, "little"))
    clipboard_text("ホットキー")
    p = launch()
    press_hotkey()
    wait_until(visible_search, 10, what="the search window")
    wait_query("ホットキー")
    check_query_selected("ホットキー")
    check(window(SEARCH_TITLE)["foreground"], "the search window must come to the front")
    exit_program(p)

    # With "enter" set, the keys reach the result page: the hotkey closes an
    # open tray menu and brings the window, and Enter searches.
    reg_set(SETTINGS_KEY, "enter", 4, (1).to_bytes(4, "little"))
    clipboard_text("hotkey")
    p = launch()
    open_menu()
    press_hotkey()
    wait_until(visible_search, 10, what="the search window")
    wait_until(lambda: menu_window() is None, 5, what="the tray menu to close")
    wait_query("hotkey")
    key("Return")
    check(searched(1) == [address("hotkey")], f"caught {caught_addresses()}")
    wait_until(lambda: history_values().get("text00") == (1, b"hotkey\0"), 5,
               what="the history to hold the query")
    check(visible_search(), "Enter must search and keep the window")
    exit_program(p)

    # Without the setting the same keys do nothing.
    reg_delete_tree(SETTINGS_KEY)
    p = launch()
    press_hotkey()
    time.sleep(2)  # as long as the window took to come above, and more
    check(not visible_search(), "the keys brought the window up without the setting")
    check(p.running(), "the program ended")


def test_menu_shows_and_every_show_pastes_again():
    clipboard_text("メニューから")
    p = launch()
    w = show_by_menu("メニューから")
    check((w["left"], w["top"]) == (40, 40) and w["foreground"], f"window: {w}")
    check_query_selected("メニューから")
    # Shown again while visible: the paste is repeated with the new clipboard.
    clipboard_text("二回目 xyz")
    show_by_menu("二回目 xyz")
    check_query_selected("二回目 xyz")
    clipboard_text("ﾊﾝｶｸ 3")
    show_by_double_click("ﾊﾝｶｸ 3")
    check_query_selected("ﾊﾝｶｸ 3")
    # A minimised window comes back restored.
    post(SEARCH_TITLE, WM_SYSCOMMAND, SC_MINIMIZE)
    wait_until(lambda: window(SEARCH_TITLE)["iconic"], 5, what="the window to minimise")
    clipboard_text("restored")
    show_by_double_click("restored")
    w = window(SEARCH_TITLE)
    check(w["visible"] and not w["iconic"] and (w["left"], w["top"]) == (40, 40),
          f"not restored: {w}")
    # Only an image on the clipboard: the box ends up empty.
    qftool("clip-image")
    show_by_menu(b"")
    check(caught_addresses() == [], "showing the window must not search")
    check(history_values() == {}, "showing the window must not touch the history")
    check(p.running(), "the program ended")


def test_mode_is_stored_when_chosen_and_used_for_searches():
    clipboard_text("mode test")
    p = launch()
    show_by_double_click("mode test")
    key("Tab")  # to the mode box
    wait_until(lambda: search_state()["focus"] == ID_MODE, 5, what="the mode box's focus")
    key("Down")
    wait_until(lambda: dword(reg(SETTINGS_KEY, "mode")) == 1, 5, what="mode 1 in the registry")
    check(reg(SETTINGS_KEY, "mode") == (4, (1).to_bytes(4, "little")), "mode must be REG_DWORD 1")
    check(reg(TEXT_KEY) is None and caught_addresses() == [], "no search was made")
    exit_program(p)

    p = launch()
    show_by_double_click("mode test")
    check(search_state()["mode"] == 1, "OR must be selected after a restart")
    press(ID_SEARCH)
    check(searched(1) == [address("mode test", 1)], f"caught {caught_addresses()}")

    # The mouse: open the mode box and pick the third entry.
    back_to_window()
    press(ID_MODE)
    drop = facts(qftool("dropped-rect", hexs(SEARCH_TITLE), ID_MODE))
    wait_until(lambda: facts(qftool("dropped-rect", hexs(SEARCH_TITLE), ID_MODE))["dropped"],
               5, what="the mode list to drop down")
    left, _, right, bottom = ctrl_rect(SEARCH_TITLE, ID_MODE)
    click_at((left + right) // 2, bottom + 2 + drop["item"] * 2 + drop["item"] // 2)
    wait_until(lambda: dword(reg(SETTINGS_KEY, "mode")) == 2, 5, what="mode 2 in the registry")
    check(search_state()["mode"] == 2, "the expert mode must be selected")
    press(ID_SEARCH)
    check(searched(2)[1] == address("mode test", 2), f"caught {caught_addresses()}")
    check(p.running(), "the program ended")


def test_mode_out_of_range_uses_first_template():
    reg_set(SETTINGS_KEY, "mode", 4, (7).to_bytes(4, "little"))
    clipboard_text("seven")
    p = launch()
    show_by_double_click("seven")
    check(search_state()["mode"] == -1, "a stored mode 7 must leave the mode box without a choice")
    press(ID_SEARCH)
    check(searched(1) == [address("seven", 0)], f"caught {caught_addresses()}")
    check(dword(reg(SETTINGS_KEY, "mode")) == 7, "a search must not rewrite the mode")
    check(p.running(), "the program ended")


def search_typed(query, how):
    """Types the query over the selected one and starts the search the way given."""
    back_to_window()
    type_text(query)
    if how == "click":
        press(ID_SEARCH)
    else:
        key("Tab", "Tab", how)


def test_history_keeps_sixteen_newest_first():
    clipboard_text("")
    p = launch()
    show_by_double_click(b"")
    queries = ["q%02d" % i for i in range(17)]
    search_typed(queries[0], "click")
    searched(1)
    # Typed one after the other, as fast as a user types: the search leaves the
    # query selected and focused, so each new query replaces the last.
    for i, q in enumerate(queries[1:]):
        xdo("type", "--delay", "20", q)
        xdo("key", "--delay", "40", "Tab", "Tab", ("Return", "space")[i % 2])
    searched(17, "seventeen searches")
    # Each search starts its own handler process, and two started moments apart
    # may write their lines in either order: the log proves every query went
    # out exactly once, the history below proves the order.
    check(sorted(caught_addresses()) == sorted(address(q) for q in queries),
          f"caught {caught_addresses()}")
    wait_until(lambda: len(search_state()["items"]) == 16, 5, what="16 list entries")
    newest = list(reversed(queries))[:16]
    check_history(newest)
    check(reg(TEXT_KEY, "text10") is None, "never more than 16 values")

    # The same query in another letter case moves to the top with its casing.
    search_typed("Q05", "click")
    check(searched(18)[17] == address("Q05"), "Q05 not searched")
    wait_until(lambda: search_state()["items"][:1] == [b"Q05"], 5, what="Q05 at the top")
    check_history(["Q05"] + [q for q in newest if q != "q05"])
    back_to_window()
    check_query_selected("Q05")

    # Full-width letters compare through the locale's case mapping.
    clipboard_text("ｆｕｌｌ")
    show_by_double_click("ｆｕｌｌ")
    press(ID_SEARCH)
    searched(19)
    clipboard_text("ＦＵＬＬ")
    back_to_window()
    show_by_double_click("ＦＵＬＬ")
    press(ID_SEARCH)
    check(searched(20)[19] == address("ＦＵＬＬ"), "ＦＵＬＬ not searched")
    wait_until(lambda: search_state()["items"][:1] == [sjis("ＦＵＬＬ")], 5, what="ＦＵＬＬ first")
    items = search_state()["items"]
    check(sjis("ｆｕｌｌ") not in items and len(items) == 16, f"list {items}")
    check(p.running(), "the program ended")


def test_japanese_texts_and_search_on_any_code_page():
    """Also run under locales whose code page is not 932 (the test command
    does): the program's manifest gives it code page 932 there too, so its
    texts are Japanese, and a query copied from a Unicode program reaches the
    service as Shift-JIS and stays in the history."""
    query = "東京 天気"
    qftool("clip-wide", hexs(query))
    p = launch()
    hover_icon()
    wait_until(lambda: tooltip() == sjis(DEFAULT_TIP), 8, what="the icon's Japanese tip")
    show_by_double_click(query)
    s = search_state()
    check(s["caption"] == sjis(SEARCH_TITLE) and s["modeitems"] == MODE_ITEMS, f"texts: {s}")
    press(ID_SEARCH)
    check(searched(1) == [address(query)], f"caught {caught_addresses()}")
    exit_program(p)

    p = launch()
    show_by_double_click(query)
    check_history([query])
    choose_menu(MENU_ABOUT)
    wait_until(lambda: (w := window(ABOUT_TITLE)) and w["visible"], 8, what="the version box")
    label = qftool("ctrl-text", hexs(ABOUT_TITLE), ID_LINK).strip()
    check(label == hexs("VORNELIXホームページへGO!"), f"the label reads {label}")
    post(ABOUT_TITLE, WM_COMMAND, IDOK)
    check(p.running(), "the program ended")


def test_two_copies_keep_each_others_searches():
    old = ["old0", "old1", "old2"]
    for i, q in enumerate(old):
        reg_set(TEXT_KEY, "text%02X" % i, 1, sjis(q) + b"\0")
    launch()
    start()
    # Each copy read the same three entries at its start; each searches in turn
    # from its own icon, the second one's window in front of the first one's.
    for icon, query in ((0, "A1"), (1, "B2")):
        clipboard_text(query)
        double_click_icon(icon)
        wait_query(query)
        press(ID_SEARCH)
        wait_until(lambda: reg(TEXT_KEY, "text00") == (1, sjis(query) + b"\0"), 10,
                   what=f"{query} stored first")
    want = {"text%02X" % i: (1, sjis(q) + b"\0") for i, q in enumerate(["B2", "A1"] + old)}
    check(history_values() == want, f"history values {history_values()}")


def test_position_is_kept_across_starts():
    clipboard_text("move me")
    p = launch()
    w = show_by_double_click("move me")
    check(reg(POS_KEY) is None, "showing the window must not store a position")
    drag(w["left"] + 150, w["top"] + 10, w["left"] + 150 + 311, w["top"] + 10 + 217)
    moved = wait_until(lambda: (lambda v: v if v["left"] != 40 else None)(visible_search()), 5,
                       what="the window to move")
    check((moved["left"], moved["top"]) == (40 + 311, 40 + 217), f"moved to {moved}")
    wait_until(lambda: dword(reg(POS_KEY, "posX")) == moved["left"], 5, what="posX")
    check(dword(reg(POS_KEY, "posY")) == moved["top"], "posY")
    check(reg(POS_KEY, "posX")[0] == 4 and reg(POS_KEY, "posY")[0] == 4, "REG_DWORD")
    exit_program(p)
    # Ending the program hides, then destroys the window: nothing more is stored.
    check(dword(reg(POS_KEY, "posX")) == moved["left"], "exit changed posX")

    p = launch()
    w = show_by_double_click("move me")
    check((w["left"], w["top"]) == (moved["left"], moved["top"]), f"came back at {w}")
    check(p.running(), "the program ended")


def check_placements(cases, shot=None):
    """Starts the program once per stored corner and checks where the window
    comes up: cases are ((x, y), expect), expect giving the corner from the
    window's size."""
    for (x, y), expect in cases:
        reg_delete_tree(SETTINGS_KEY)
        reg_set(POS_KEY, "posX", 4, x.to_bytes(4, "little", signed=True))
        reg_set(POS_KEY, "posY", 4, y.to_bytes(4, "little", signed=True))
        clipboard_text("clamp")
        p = launch()
        w = show_by_double_click("clamp")
        if shot:
            screenshot(f"{shot}-{x}-{y}")
        cx, cy = w["right"] - w["left"], w["bottom"] - w["top"]
        check((w["left"], w["top"]) == expect(cx, cy),
              f"stored ({x}, {y}) placed at ({w['left']}, {w['top']})")
        # Placing it is not a move by the user: nothing is written back.
        check(dword(reg(POS_KEY, "posX")) == x, "the stored position must stay as it was")
        exit_program(p)


def test_stored_position_is_pulled_into_the_work_area():
    work = facts(qftool("workarea"))
    check_placements([
        ((5000, -300), lambda cx, cy: (work["right"] - cx, work["top"])),
        ((-500, 5000), lambda cx, cy: (work["left"], work["bottom"] - cy)),
    ])


def test_position_on_a_second_monitor_is_kept():
    # Two 1280 x 800 monitors side by side; neither has a task bar.
    with side_by_side_monitors(2):
        check_placements([
            ((1500, 100), lambda cx, cy: (1500, 100)),
            ((3000, 900), lambda cx, cy: (2560 - cx, 800 - cy)),
        ], shot="two-monitors")


def test_enter_escape_and_close_box_hide_without_searching():
    clipboard_text("kept")
    p = launch()
    show_by_double_click("kept")
    press(ID_SEARCH)
    searched(1)
    before = history_values()

    clipboard_text("not searched")
    back_to_window()
    show_by_double_click("not searched")
    key("Return")  # in the query box
    wait_until(hidden_search, 5, what="Enter to hide the window")

    show_by_double_click("not searched")
    key("Tab")  # the mode box, its list closed
    key("Return")
    wait_until(hidden_search, 5, what="Enter in the mode box to hide the window")

    show_by_double_click("not searched")
    key("Escape")
    wait_until(hidden_search, 5, what="Escape to hide the window")

    w = show_by_double_click("not searched")
    click_at(w["right"] - 14, w["top"] + 11)  # the close box
    wait_until(hidden_search, 5, what="the close box to hide the window")

    time.sleep(0.5)
    check(len(caught_addresses()) == 1, f"hiding must not search: {caught_addresses()}")
    check(history_values() == before, "hiding must not change the history")
    check(p.running(), "hiding must not end the program")
    # The list still offers the earlier query.
    show_by_double_click("not searched")
    check(search_state()["items"] == [sjis("kept")], "the list changed")


def test_web_page_commands():
    p = launch()
    choose_menu(MENU_PORTAL)
    check(searched(1) == ["http://www.zumtal.example"], f"caught {caught_addresses()}")
    time.sleep(0.5)
    choose_menu(MENU_MAKER)
    check(searched(2)[1] == "http://www.vornelix.example/amuse", f"caught {caught_addresses()}")
    check(window(SEARCH_TITLE) and not window(SEARCH_TITLE)["visible"],
          "the web pages must not show the search window")
    check(p.running(), "the program ended")


def test_huge_and_missing_clipboard_text():
    qftool("clip-big", 100000)
    p = launch()
    t0 = time.time()
    show_by_double_click()
    s = wait_until(lambda: (lambda s: s if s.get("query", b"").startswith(b"Qaaaaaaaaa") else None)(
        search_state()), 10, what="the pasted text")
    check(time.time() - t0 < 8, "pasting a huge text must not stall the window")
    query = s["query"]
    check(0 < len(query) <= 100000 and set(query) <= set(b"Qa"), f"query {len(query)} bytes")
    check(s["sel"] == (0, len(query)) and s["focus"] == ID_QUERY, f"selection {s['sel']}")
    press(ID_SEARCH)
    check(searched(1) == [address(query)], "the huge query was not searched as shown")
    check(reg(TEXT_KEY, "text00") == (1, query + b"\0"), "text00")

    qftool("clip-image")
    back_to_window()
    show_by_double_click(b"")
    press(ID_SEARCH)
    check(searched(2)[1] == SERVICE + SUFFIX[0], f"empty query: {caught_addresses()}")
    time.sleep(0.5)
    check(reg(TEXT_KEY, "text00") == (1, query + b"\0"), "an empty query must not be stored")
    check(p.running(), "the program ended")


def test_empty_search_keeps_all_sixteen_entries():
    queries = [f"query {i}" for i in range(16)]
    for i, q in enumerate(queries):
        reg_set(TEXT_KEY, "text%02X" % i, 1, sjis(q) + b"\0")
    qftool("clip-image")
    p = launch()
    show_by_double_click(b"")
    press(ID_SEARCH)
    check(searched(1) == [SERVICE + SUFFIX[0]], f"caught {caught_addresses()}")
    time.sleep(0.5)
    check_history(queries)
    check(search_state()["query"] == b"", "the box must stay empty")
    screenshot("search-empty-keeps-history")
    check(p.running(), "the program ended")


def test_long_history_entry_is_cut_for_the_shell_and_kept_whole():
    """Only an edited registry puts more into the box than it can show. Such an
    entry would make an address the shell cannot take: the browser gets the
    longest whole-character start that fits, and the history keeps it whole."""
    query = "検索" * 150
    reg_set(TEXT_KEY, "text00", 1, sjis(query) + b"\0")
    clipboard_text("x")
    p = launch()
    show_by_double_click("x")
    key("Down")  # picks the entry from the closed list
    wait_query(query)
    press(ID_SEARCH)
    # 64 of the 150 pairs make 819 characters; one more character would make 825.
    check(searched(1) == [SERVICE + "%8C%9F%8D%F5" * 64 + SUFFIX[0]], f"caught {caught_addresses()}")
    check(reg(TEXT_KEY, "text00") == (1, sjis(query) + b"\0"), "the history must keep it whole")
    time.sleep(0.5)
    check(p.running(), "the program ended")


def bad_values_start_with_defaults(setup):
    reg_delete_tree(SETTINGS_KEY)
    setup()
    clipboard_text("still works")
    p = launch()
    w = show_by_double_click("still works")
    s = search_state()
    check((w["left"], w["top"]) == (40, 40), f"position {w}")
    check(s["mode"] == 0, f"mode {s['mode']}")
    return p, s


def test_bad_registry_values_fall_back_to_defaults():
    def wrong_types():
        reg_set(SETTINGS_KEY, "mode", 1, b"1\0")
        reg_set(POS_KEY, "posX", 3, (300).to_bytes(4, "little"))
        reg_set(POS_KEY, "posY", 1, b"300\0")
        reg_set(TEXT_KEY, "text00", 4, (0x41).to_bytes(4, "little"))
        reg_set(TEXT_KEY, "text01", 1, b"good\0")

    p, s = bad_values_start_with_defaults(wrong_types)
    check(s["items"] == [b"good"], f"a text00 of the wrong type must be skipped: {s['items']}")
    press(ID_SEARCH)
    check(searched(1) == [address("still works")], f"caught {caught_addresses()}")
    check_history(["still works", "good"])
    exit_program(p)

    def oversized():
        for sub, name in ((SETTINGS_KEY, "mode"), (POS_KEY, "posX"), (POS_KEY, "posY")):
            reg_set(sub, name, 4, b"7", 60000)
        reg_set(TEXT_KEY, "text00", 1, b"7", 60000)

    p, s = bad_values_start_with_defaults(oversized)
    # The tool reports a list entry longer than Wine lets it fetch by its length.
    check(s["items"] == [b"<long 60000>"], f"a long entry is an entry like any other: {s['items']}")
    press(ID_SEARCH)
    check(searched(2)[1] == address("still works"), f"caught {caught_addresses()[1:]}")
    wait_until(lambda: reg(TEXT_KEY, "text01") == (1, b"7" * 60000 + b"\0"), 5,
               what="the long entry to move down")
    check(reg(TEXT_KEY, "text00") == (1, sjis("still works") + b"\0"), "text00")
    check(p.running(), "the program ended")
