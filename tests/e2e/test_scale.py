"""The program's own interface on a desktop at 150 % (a Wine prefix whose
desktop reports 144 dpi): the menu's rows and the tool panel's buttons half
as large again on the screen, and a drag and save still pixel for pixel."""
import os
import subprocess
import time
from pathlib import Path

import pytest
from PIL import Image

from harness import BUILD, Settings, screenshot, xdotool
from test_interaction import HIGHLIGHT, drag, saved

GUTTER = (0xCC, 0xCC, 0xCC)
ROOT = Path(__file__).resolve().parents[2]


@pytest.fixture
def scaled_desktop(monkeypatch):
    """Every Wine program from here on runs in the 144-dpi prefix."""
    prefix = os.environ.get("MRV_WINEPREFIX_DPI")
    if not prefix or not Path(prefix, ".mrv-ready").exists():
        pytest.skip("no 144-dpi Wine prefix (scripts/test makes it)")
    monkeypatch.setenv("WINEPREFIX", prefix)
    subprocess.run(["wineserver", "-p"], timeout=30)
    # Wine's background services start with the first program; started here
    # they hold no pipe of the tests open.
    subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    yield prefix
    subprocess.run(["wineserver", "-k"], timeout=30)


def changed_box(shot, picture, box):
    """The bounding box (inclusive) of the pixels in `box` that differ from the picture."""
    x0, y0, x1, y1 = box
    xs, ys = [], []
    for y in range(y0, y1):
        for x in range(x0, x1):
            if shot.getpixel((x, y)) != picture.getpixel((x, y)):
                xs.append(x)
                ys.append(y)
    assert xs, "nothing drawn in %s" % (box,)
    return min(xs), min(ys), max(xs), max(ys)


def test_at_150_percent_the_menu_and_panel_grow_and_a_save_is_exact(
        program, screen_picture, scaled_desktop):
    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_byte(471, 0x00)  # PNG in full colour
    s.write(p.settings_file)
    xdotool("mousemove", 1200, 780)
    p.start()
    p.wait_window()
    time.sleep(0.5)
    picture = screen_picture

    drag(200, 150, 519, 349)  # the selection (200, 150) 320 x 200
    xdotool("mousemove", 1200, 60)  # the read-out goes, the magnifier with the pointer
    time.sleep(0.6)
    shot = screenshot()
    # The panel below left, at (201, 350): 7 buttons 42 apart, each icon 36
    # square at rest 3 in and 6 down, its box 3 down casting a 6-pixel shadow
    # (the ring, 3 wide, ends at row 352). At 96 dpi this box would be
    # (203, 354, 396, 382).
    assert changed_box(shot, picture, (190, 353, 700, 460)) == (204, 356, 201 + 6 * 42 + 41, 394)
    # Each icon is its cell of the 1.5x strip, pixel for pixel: drawn for
    # the size, not an enlargement of the 1x icons.
    strip = Image.open(ROOT / "resources" / "art" / "tools150.bmp").convert("RGB")
    for k, cell in enumerate((0, 3, 6, 11, 13, 18, 19)):
        icon = shot.crop((204 + 42 * k, 356, 240 + 42 * k, 392)).convert("RGB")
        assert icon.tobytes() == strip.crop((36 * cell, 0, 36 * cell + 36, 36)).tobytes(), cell

    # The menu at (650, 100): the gutter 30 wide, a lit row's bar 25 high
    # (16 at 96 dpi).
    x, y = 650, 100
    xdotool("mousemove", x, y)
    xdotool("click", 3)
    time.sleep(0.5)
    xdotool("mousemove", x + 40, y + 50)  # the second row
    time.sleep(0.6)
    shot = screenshot()
    if (BUILD.parent / "test-logs").is_dir():
        shot.save(BUILD.parent / "test-logs" / "scaled-144.png")  # to look at
    assert [shot.getpixel((x + k, y + 3)) for k in (0, 1, 30, 31)] == [
        (0, 0, 0), GUTTER, GUTTER, (255, 255, 255)]
    # Rows of the lit bar: where any column past the gutter shows it (text
    # covers some columns of some rows).
    lit = [yy for yy in range(y, y + 120)
           if any(shot.getpixel((xx, yy)) == HIGHLIGHT for xx in range(x + 34, x + 200, 3))]
    # The second row's text starts at 100 + 1 + 6 + 24; the bar 4 above it.
    assert lit == list(range(127, 152))
    xdotool("key", "Escape")  # closes the menu
    time.sleep(0.3)

    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0000.png")
    assert png.convert("RGB").tobytes() == picture.crop((200, 150, 520, 350)).tobytes()
    xdotool("key", "Escape")
    assert p.wait_exit() == 0
