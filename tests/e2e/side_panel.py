#!/usr/bin/env python3
"""The preview's side panel: F9 and the toolbar button, an outline entry leading to its page,
page pictures that the wheel scrolls and a click opens."""

from folioscope_e2e import check_equal, run_cases, start_preview, wait_for

# The "目次" button on the toolbar, and a point in the outline tab's tree (its first rows).
PANEL_BUTTON = (145, 15)
OUTLINE_ROW = (60, 112)
# The "サムネイル" tab, the list of page pictures under it, and the picture of page 6 once the
# list is scrolled by six notches of the wheel (each notch three steps of a quarter picture).
THUMBNAILS_TAB = (86, 86)
THUMBNAIL_LIST = (4, 100, 180, 740)
PAGE_6_AFTER_SIX_NOTCHES = (57, 340)


def f9_and_an_outline_entry(session):
    p = start_preview(session)
    hidden = p.picture()
    p.key("F9")
    shown = p.changed_from(hidden, "the picture with the side panel")
    # A click on the first rows of the outline (the title page or chapter 1), then three rows
    # down: "2.  荷重および外力" or its first section, both on page 4. Enter goes there.
    p.window.click(*OUTLINE_ROW)
    p.key("Down", "Down", "Down", "Return")
    p.changed_from(shown, "the picture after Enter on an outline entry")
    check_equal(p.page(), "4", "page box after Enter on an outline entry")
    p.key("F9")
    p.press("first")
    check_equal(p.picture(), hidden, "picture of page 1 with the panel hidden again")
    p.window.click(*PANEL_BUTTON)
    p.changed_from(hidden, "the picture after the toolbar button")


def steady_digest(window, rect, before=None):
    """The pixels of rect once two readings agree (and differ from before, when given)."""
    last = [None]

    def probe():
        now = window.digest(rect)
        same, last[0] = now == last[0], now
        return now if same and now != before else None
    return wait_for("a steady list of page pictures", probe, timeout=8, interval=0.1)


def thumbnails_scroll_and_lead_to_their_page(session):
    p = start_preview(session)
    p.key("F9")
    p.window.click(*THUMBNAILS_TAB)
    top = steady_digest(p.window, THUMBNAIL_LIST)
    # The wheel over the list scrolls the list (its pictures drawn as they come into view),
    # not the pages.
    for _ in range(6):
        p.window.click(95, 400, button=5)
    steady_digest(p.window, THUMBNAIL_LIST, before=top)
    check_equal(p.page(), "1", "page box after the wheel over the page pictures")
    p.window.click(*PAGE_6_AFTER_SIX_NOTCHES)
    wait_for("page 6 after a click on its picture", lambda: p.page() == "6" or None)


if __name__ == "__main__":
    run_cases("side_panel", [f9_and_an_outline_entry, thumbnails_scroll_and_lead_to_their_page])
