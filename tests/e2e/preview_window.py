#!/usr/bin/env python3
"""The preview window: toolbar buttons, keys, page and zoom boxes, wheel, pop-up menu, fit, find."""

from folioscope_e2e import (SAMPLE_PAGES, Failure, check, check_equal, run_cases, start_preview,
                            wait_for)


def toolbar_buttons(session):
    p = start_preview(session)
    check_equal(p.page_count(), SAMPLE_PAGES, "page count")
    before = p.picture()
    for button, page in (("next", 2), ("last", 12), ("previous", 11), ("first", 1)):
        p.press(button)
        before = p.changed_from(before, f"the picture after '{button}'")
        check_equal(p.page(), str(page), f"page box after '{button}'")
    for button, zoom in (("zoom_up", "110"), ("zoom_up", "120"), ("zoom_down", "110"),
                         ("zoom_reset", "100")):
        p.press(button)
        before = p.changed_from(before, f"the picture after '{button}'")
        check_equal(p.zoom(), zoom, f"zoom box after '{button}'")
    # On page 1 the first and previous buttons are disabled: clicks change nothing.
    p.press("previous")
    p.press("first")
    check_equal(p.picture(), before, "picture after the disabled buttons")
    p.check_showing(1, SAMPLE_PAGES)


def keys(session):
    p = start_preview(session)
    before = p.picture()
    for key, page in (("F8", 2), ("Next", 3), ("F7", 2), ("Prior", 1), ("End", 12), ("Home", 1)):
        p.key(key)
        before = p.changed_from(before, f"the picture after {key}")
        check_equal(p.page(), str(page), f"page box after {key}")
    for key in ("F7", "Prior", "Home"):  # nothing before page 1
        p.key(key)
    check_equal(p.picture(), before, "picture after F7, Page Up and Home on page 1")
    check_equal(p.page(), "1", "page box on page 1")
    # Enter in the page box: a page, beyond the last, not a number.
    for typed, page in (("7", "7"), ("999", "12"), ("abc", "1"), ("-3", "1")):
        p.enter("page", typed)
        wait_for(f"page {page} after typing {typed}", lambda: p.page() == page)
    # Enter in the zoom box: the picture follows, the box keeps what was typed.
    p.enter("zoom", "150")
    before = p.changed_from(before, "the picture at 150 %")
    check_equal(p.zoom(), "150", "zoom box")
    p.enter("zoom", "5")
    p.changed_from(before, "the picture at 20 %")
    check_equal(p.zoom(), "5", "zoom box keeps what was typed")
    p.check_showing(1, SAMPLE_PAGES)


def full_width_digits(session):
    p = start_preview(session)
    p.window.paste(*p.PAGE_BOX, "７")
    p.key("Return")
    wait_for("page 7 after typing a full-width 7", lambda: p.page() == "7", timeout=4)
    before = p.picture()
    p.window.paste(*p.ZOOM_BOX, "１５０")
    p.key("Return")
    p.changed_from(before, "the picture at a full-width 150 %")
    p.press("zoom_up")
    wait_for("zoom 160 after the arrow", lambda: p.zoom() == "160", timeout=4)


def wheel_and_context_menu(session):
    p = start_preview(session)
    middle = (300, 400)
    before = p.picture()
    p.window.click(*middle, button=5, repeat=3)
    before = p.changed_from(before, "the page scrolled by the wheel")
    check_equal(p.page(), "1", "page box after scrolling")
    p.window.click(*middle, button=4, modifiers=("ctrl",))
    before = p.changed_from(before, "the picture after Ctrl+wheel")
    check_equal(p.zoom(), "110", "zoom box after Ctrl+wheel up")
    p.window.click(*middle, button=5, modifiers=("ctrl",), repeat=2)
    before = p.changed_from(before, "the picture after Ctrl+wheel down")
    check_equal(p.zoom(), "90", "zoom box after Ctrl+wheel down")
    # The pop-up menu: 表示倍率リセット, 最初のページへ, 最後のページへ, ページ全体, 幅に合わせる.
    for downs, page, zoom in ((3, "12", "90"), (2, "1", "90"), (1, "1", "100")):
        p.window.click(*middle, button=3)
        session.x(["xdotool", "key", "--delay", "80", *(["Down"] * downs), "Return"])
        wait_for(f"page {page} zoom {zoom} from the menu",
                 lambda: p.page() == page and p.zoom() == zoom)
    p.window.click(*middle, button=3)
    session.x(["xdotool", "key", "--delay", "80", *(["Down"] * 4), "Return"])
    fit = wait_for("a fitted zoom from the menu", lambda: (lambda z: z if z != "100" else None)(p.zoom()))
    check(int(fit) < 100, f"the whole page fits at {fit} %")
    p.check_showing(1, SAMPLE_PAGES)


def fit_and_find(session):
    p = start_preview(session)
    p.key("ctrl+0")
    page_fit = int(wait_for("fit page", lambda: (lambda z: z if z != "100" else None)(p.zoom())))
    p.key("ctrl+2")
    width_fit = int(wait_for("fit width", lambda: (lambda z: z if z != str(page_fit) else None)(p.zoom())))
    check(20 <= page_fit < width_fit, f"fit page {page_fit} % below fit width {width_fit} %")
    # Find: the first match from page 1 is on page 11, the next ones go on to page 12.
    p.key("ctrl+f")
    p.window.paste_here("たわみ")
    wait_for("page 11 with the first match", lambda: p.page() == "11")
    for _ in range(10):
        p.key("F3")
        if p.page() == "12":
            break
    check_equal(p.page(), "12", "page box after F3")
    p.key("Escape")
    p.check_showing(12, SAMPLE_PAGES)


def fit_kept_on_resize(session):
    p = start_preview(session)
    p.key("ctrl+2")
    width_fit = wait_for("fit width", lambda: (lambda z: z if z != "100" else None)(p.zoom()))
    session.x(["xdotool", "windowsize", "--sync", p.window.wid, "1000", "858"])
    p.window.moved()
    wait_for("the zoom to follow the wider window",
             lambda: p.zoom() not in ("", width_fit), timeout=4)
    check(int(p.zoom()) > int(width_fit), f"wider window, larger fit than {width_fit} %")


def keyboard_starts_on_page_area(session):
    p = start_preview(session)
    before = p.picture()
    p.key("Down", "Down", "space")
    try:
        dialog = session.window("^印刷$|^ページ設定$|^印字出力設定$|^フォント設定$|^PDF出力$", timeout=1)
    except Failure:
        dialog = None
    check(dialog is None, f"Down, Down, Space opened '{dialog and dialog.title()}'")
    p.changed_from(before, "the page scrolled by the arrow keys")
    p.check_showing(1)


if __name__ == "__main__":
    run_cases("preview", [toolbar_buttons, keys, wheel_and_context_menu, fit_and_find,
                          full_width_digits, fit_kept_on_resize, keyboard_starts_on_page_area],
              env={"CUPS_SERVER": "/nonexistent/no-print-scheduler"})
