#!/usr/bin/env python3
"""The preview's side panel: F9 and the toolbar button, an outline entry leading to its page."""

from folioscope_e2e import check_equal, run_cases, start_preview

# The "目次" button on the toolbar, and a point in the outline tab's tree (its first rows).
PANEL_BUTTON = (145, 15)
OUTLINE_ROW = (60, 112)


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


if __name__ == "__main__":
    run_cases("side_panel", [f9_and_an_outline_entry])
