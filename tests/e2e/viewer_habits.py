#!/usr/bin/env python3
"""The habits people bring from other viewers: the common keys, the place a report was left
at (across two runs), continuous pages scrolled by the wheel and the scroll bar, and the text
of a page copied to the clipboard."""

import os
import shutil

from folioscope_e2e import (SAMPLE_REPORT, Preview, check, check_equal, preview_title, run_cases,
                            start_preview, wait_for)

MAIN_TITLE = "^Folioscope$"


def ended_by_itself(session, when, *restart_args):
    """Waits for the program to end with status 0, then starts it again (on restart_args), so
    that the case goes on, and ends, with a running program as every case does."""
    wait_for("the program to end", lambda: session.app.poll() is not None)
    check_equal(session.app.returncode, 0, f"exit status {when}")
    session.processes.remove(session.app)
    session.start(*restart_args)


def zoom_and_window_keys(session):
    p = start_preview(session)
    before = p.picture()
    for key, zoom in (("ctrl+plus", "110"), ("ctrl+plus", "120"), ("ctrl+minus", "110"),
                      ("ctrl+1", "100"), ("ctrl+minus", "90")):
        p.key(key)
        before = p.changed_from(before, f"the picture after {key}")
        check_equal(p.zoom(), zoom, f"zoom box after {key}")
    _, _, width, height = p.window.geometry()
    p.key("F11")
    p.window.moved()
    wait_for("the window to fill the screen", lambda: p.window.geometry()[2:] == (1280, 1024))
    p.key("F11")
    p.window.moved()
    wait_for("the window back at its size", lambda: p.window.geometry()[2:] == (width, height))
    # No print queue here: Ctrl+P reaches the print command, which says so in a warning.
    p.key("ctrl+p")
    warning = session.window("^警告$", timeout=5)
    warning.key("Return")
    session.gone("^警告$")
    p.key("ctrl+w")
    session.gone(preview_title(SAMPLE_REPORT))
    main = session.window(MAIN_TITLE)
    main.key("ctrl+o")
    dialog = session.window("^テキストファイルを開く$")
    dialog.key("Escape")
    session.gone("^テキストファイルを開く$")
    main.key("ctrl+q")
    ended_by_itself(session, "after Ctrl+Q")
    session.window(MAIN_TITLE)


def end_from_preview(session):
    p = start_preview(session)
    p.key("ctrl+q")
    check(not session.find_windows(MAIN_TITLE), "no main window shown on the way out")
    ended_by_itself(session, "after Ctrl+Q in the preview")
    session.window(MAIN_TITLE)


def place_kept_across_runs(session):
    path = os.path.join(session.tmp, "report.txt")
    shutil.copy(SAMPLE_REPORT, path)
    p = start_preview(session, path)
    p.enter("page", "7")
    wait_for("page 7", lambda: p.page() == "7")
    p.enter("zoom", "150")
    wait_for("zoom 150", lambda: p.zoom() == "150")
    session.x(["xdotool", "windowsize", "--sync", p.window.wid, "900", "700"])
    session.x(["xdotool", "windowmove", "--sync", p.window.wid, "200", "150"])
    p.window.moved()
    place = p.window.geometry()
    check_equal(place[2:], (900, 700), "size of the first run's window")
    p.key("ctrl+q")
    ended_by_itself(session, "after the first run", path)  # the same HOME, so its settings
    again = Preview(session, path)
    check_equal(again.page(), "7", "page box of the second run")
    check_equal(again.zoom(), "150", "zoom box of the second run")
    check_equal(again.window.geometry(), place, "window of the second run")
    # Another report of the same run and folder starts where the settings start.
    other = os.path.join(session.tmp, "other.txt")
    shutil.copy(SAMPLE_REPORT, other)
    again.key("ctrl+q")
    ended_by_itself(session, "after the second run", other)
    fresh = Preview(session, other)
    check_equal((fresh.page(), fresh.zoom()), ("1", "100"), "page and zoom of a new report")

def continuous_scrolling(session):
    p = start_preview(session)
    p.window.click(236, 15)  # the toolbar toggle "連続表示"
    check_equal(p.page(), "1", "page box in continuous mode")
    # The wheel scrolls from one page into the next (on a single page it stays there); the
    # page box follows the page at the top.
    left, top, width, height = p.window.geometry()
    for _ in range(10):  # 8 pixels a notch: a page is about 120 notches
        # Over the page each time: reading the page box parks the pointer on the desktop.
        session.x(["xdotool", "mousemove", "--sync", str(left + 300), str(top + 400)])
        session.x(["xdotool", "click", "--repeat", "30", "--delay", "10", "5"])
        if p.page() == "2":
            break
    check_equal(p.page(), "2", "page box after scrolling down by the wheel")
    # The scroll bar dragged from its top to its bottom end: the last page comes to the top.
    p.key("Home")
    wait_for("page 1 at the top", lambda: p.page() == "1")
    bar_x = left + width - 8
    session.x(["xdotool", "mousemove", "--sync", str(bar_x), str(top + 73 + 22)])
    session.x(["xdotool", "mousedown", "1"])
    for y in range(top + 73 + 22, top + height - 30, 40):
        session.x(["xdotool", "mousemove", "--sync", str(bar_x), str(y)])
    session.x(["xdotool", "mouseup", "1"])
    session.park_pointer()
    wait_for("the last page at the top", lambda: p.page() == "12")
    # Paging still pages: Home scrolls back to the first page.
    before = p.picture()
    p.key("Home")
    p.changed_from(before, "the first page after Home")
    check_equal(p.page(), "1", "page box after Home")
    # Off again: the single page, where the window started.
    p.window.click(236, 15)
    wait_for("the single page", lambda: p.picture() != before)
    p.check_showing(1)


def copy_page_text(session):
    p = start_preview(session)
    sentinel = "<nothing copied>"
    session.x(["xclip", "-selection", "clipboard", "-i"], stdin=sentinel)
    p.window.click(300, 400)  # the keyboard on the page
    p.key("ctrl+a", "ctrl+c")
    clipboard = lambda: session.x(["xclip", "-selection", "clipboard", "-o"], check_rc=False)
    copied = wait_for("the page's text on the clipboard",
                      lambda: (lambda t: t if t != sentinel else None)(clipboard()), timeout=4)
    lines = copied.split("\n")
    check(any("みなと台三丁目共同住宅" in line for line in lines), f"copied text: {copied!r}")
    check(lines.index(next(l for l in lines if "設計者" in l)) <
          lines.index(next(l for l in lines if "作成日" in l)), "lines in reading order")


if __name__ == "__main__":
    run_cases("viewer", [zoom_and_window_keys, end_from_preview, place_kept_across_runs,
                         continuous_scrolling, copy_page_text],
              env={"CUPS_SERVER": "/nonexistent/no-print-scheduler"})
