"""The program in a Wine prefix without font substitutes, as a new user has
it: the Japanese font names of Windows are missing there, and the program must
find a family with the glyphs by itself (scripts/test makes the prefix and
names it in MRV_PLAIN_PREFIX)."""
import os
import time

import pytest

from harness import probe, screenshot, wait_for, xdotool

HIGHLIGHT = (0xFF, 0xEE, 0xAA)  # the menu's highlighted row


def _ink_rows(shot, left, right, top, bottom):
    """The pixel rows of the box that have dark pixels, as tuples of the
    dark columns."""
    rows = []
    for y in range(top, bottom):
        dark = tuple(x for x in range(left, right) if sum(shot.getpixel((x, y))) < 300)
        if dark:
            rows.append(dark)
    return rows


def test_in_a_plain_prefix_the_greeting_and_the_menu_are_drawn_with_real_glyphs(
        program, monkeypatch):
    plain = os.environ.get("MRV_PLAIN_PREFIX")
    if not plain:
        pytest.skip("needs the plain prefix of scripts/test (MRV_PLAIN_PREFIX)")
    monkeypatch.setenv("WINEPREFIX", plain)
    xdotool("mousemove", 5, 5)
    p = program().start()
    p.wait_window()
    # The first-run message, in the program's own box (the system's message
    # font has no Japanese glyphs here); Enter closes it as it would a
    # system box.
    box = wait_for(lambda: (lambda d: d if d.get("visible") == "1" else None)(probe("dialog", "MORVANTE")),
                   what="the first-run message")
    assert box["text"].startswith("初回起動か，新しいバージョンです．")
    xdotool("key", "Return")
    wait_for(lambda: probe("dialog", "MORVANTE").get("found") == "0", what="the message to close")

    x, y = 200, 150
    xdotool("mousemove", x, y)
    xdotool("click", 3)
    time.sleep(0.3)
    xdotool("mousemove", x + 30, y + 8)  # lights the first row
    time.sleep(0.6)
    shot = screenshot()
    column = [shot.getpixel((x + 60, yy)) for yy in range(y, y + 40)]
    lit = [i for i, c in enumerate(column) if c == HIGHLIGHT]
    assert lit, "no highlighted menu row"
    # "画像フォーマット" from the label column, clear of the check mark and the
    # submenu arrow. Empty boxes in a font without the glyphs leave ink on
    # two rows only (their tops and bottoms); real glyphs fill the cell.
    rows = _ink_rows(shot, x + 25, x + 130, y + lit[0], y + lit[-1] + 1)
    assert len(rows) >= 8, rows
    assert len(set(rows)) >= 6

    # Esc closes the submenu, then the menu, then the program.
    for _ in range(3):
        xdotool("key", "Escape")
        time.sleep(0.3)
    assert p.wait_exit() == 0
