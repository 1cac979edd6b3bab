"""The program in a Wine prefix without font substitutes, as a new user has
it: the Japanese font names of Windows are missing there, and the program must
find a family with the glyphs by itself (scripts/test makes the prefix and
names it in MRV_PLAIN_PREFIX)."""
import os
import time

import pytest
from PIL import ImageChops

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


def _longest_ink_run(rows_with_ink):
    best = run = 0
    for inked in rows_with_ink:
        run = run + 1 if inked else 0
        best = max(best, run)
    return best


def _box_text_line_height(shot):
    """The box over the black screen: its background is the commonest colour
    at the screen's middle. Returns the tallest run of pixel rows with ink in
    its left half (the button stands at the right)."""
    width, height = shot.size
    middle = shot.crop((width // 2 - 100, height // 2 - 30, width // 2 + 100, height // 2 + 30))
    background = max(middle.getcolors(200 * 60), key=lambda c: c[0])[1]
    bands = [b.point(lambda v, w=w: 255 if v == w else 0) for b, w in zip(shot.split(), background)]
    left, top, right, bottom = ImageChops.multiply(ImageChops.multiply(bands[0], bands[1]),
                                                   bands[2]).getbbox()
    return _longest_ink_run(
        any(sum(shot.getpixel((x, y))) < 300 for x in range(left + 2, (left + right) // 2))
        for y in range(top, bottom))


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
    # Empty boxes in a font without the glyphs leave ink on two separate rows
    # of a line (their tops and bottoms); real glyphs fill most of it.
    time.sleep(0.5)
    assert _box_text_line_height(screenshot()) >= 8
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
    # submenu arrow.
    rows = _ink_rows(shot, x + 25, x + 130, y + lit[0], y + lit[-1] + 1)
    assert len(rows) >= 8, rows
    assert len(set(rows)) >= 6

    # Esc closes the submenu, then the menu, then the program.
    for _ in range(3):
        xdotool("key", "Escape")
        time.sleep(0.3)
    assert p.wait_exit() == 0
