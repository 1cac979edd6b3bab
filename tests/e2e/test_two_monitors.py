"""The program on a desktop of two monitors: 1024x700 at (0, 0) and 800x600
at (1024, 0), a 1824x700 virtual screen with a hole below the second
monitor. scripts/test runs this file alone, in a nested Xinerama display
with a Wine prefix that reads the monitors through Xinerama."""
import os
import time

import pytest
from PIL import Image

from harness import Settings, monitors, probe, screenshot, wait_for, xdotool

pytestmark = pytest.mark.skipif(os.environ.get("MRV_TWO_MONITORS") != "1",
                                reason="needs the two-monitor display (scripts/test)")

FIRST = (0, 0, 1024, 700)
SECOND = (1024, 0, 1824, 600)
HOLE = (1024, 600, 1824, 700)


def frozen(picture):
    """What the program shows and saves: the picture, black in the hole."""
    img = picture.copy()
    img.paste((0, 0, 0), HOLE)
    return img


def drag(x0, y0, x1, y1):
    xdotool("mousemove", x0, y0)
    xdotool("mousedown", 1)
    xdotool("mousemove", (x0 + x1) // 2, (y0 + y1) // 2)
    xdotool("mousemove", x1, y1)
    time.sleep(0.2)
    xdotool("mouseup", 1)
    time.sleep(0.3)


def saved(folder, name):
    path = folder / name
    wait_for(lambda: path.exists() and path.stat().st_size > 0, 10, what=name)
    time.sleep(0.2)
    return Image.open(path).convert("RGB")


def changed_box(shot, expected, box):
    """The bounding box (left, top, right, bottom) of the pixels inside `box`
    where the screenshot differs from the frozen picture, or None."""
    a = shot.crop(box).tobytes()
    b = expected.crop(box).tobytes()
    width = box[2] - box[0]
    xs, ys = [], []
    for i in range(0, len(a), 3):
        if a[i:i + 3] != b[i:i + 3]:
            x, y = box[0] + (i // 3) % width, box[1] + (i // 3) // width
            # The display shows nothing in the hole; a pane there is missing
            # from the box, which the callers see by its size.
            if not (HOLE[0] <= x < HOLE[2] and HOLE[1] <= y < HOLE[3]):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def inside(box, monitor):
    return (box[0] >= monitor[0] and box[1] >= monitor[1] and box[2] <= monitor[2]
            and box[3] <= monitor[3])


def test_the_window_selections_and_panes_span_and_respect_both_monitors(program,
                                                                         screen_picture):
    assert monitors() == [FIRST, SECOND], "the display does not show the two monitors"
    assert screen_picture.size == (1824, 700)
    expected = frozen(screen_picture)

    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_byte(471, 0x00)  # PNG in full colour
    s.write(p.settings_file)
    xdotool("mousemove", 400, 650)
    p.start()
    p.wait_full_screen()
    w = p.window()
    assert (int(w["left"]), int(w["top"]), int(w["right"]), int(w["bottom"])) == (0, 0, 1824, 700)
    time.sleep(0.5)

    # The magnifier by the first monitor's inner edge stays on the first:
    # due right of the pointer it would reach over onto the second.
    xdotool("mousemove", 1000, 300)
    time.sleep(0.6)
    zoom = changed_box(screenshot(), expected, (800, 150, 1300, 450))
    assert zoom is not None, "no magnifier"
    assert inside(zoom, FIRST), zoom

    # One across both monitors and down into the hole: the hole is black.
    # The X server keeps the pointer out of the hole; the keys move the
    # selection there.
    drag(900, 400, 1199, 579)
    for _ in range(13):
        xdotool("key", "shift+Down")  # by the grid, 8 pixels: 504 .. 684
    for _ in range(4):
        xdotool("key", "Up")
    xdotool("key", "ctrl+p")
    across = saved(p.folder, "img0000.png")
    assert across.size == (300, 180)
    assert across.tobytes() == expected.crop((900, 500, 1200, 680)).tobytes()
    assert across.getpixel((1100 - 900, 650 - 500)) == (0, 0, 0)

    # A selection on the second monitor, saved pixel for pixel.
    drag(1100, 100, 1299, 249)
    xdotool("key", "ctrl+p")
    assert saved(p.folder, "img0001.png").tobytes() == expected.crop((1100, 100, 1300, 250)).tobytes()

    # The menu by the second monitor's right edge, low enough that it would
    # reach into the hole, and its submenu open: both on the second monitor.
    xdotool("key", "space")  # the magnifier off: only the menu differs
    xdotool("mousemove", 1500, 300)
    xdotool("click", 3)
    time.sleep(0.6)
    menu = changed_box(screenshot(), expected, (1310, 260, 1824, 700))
    assert menu is not None, "no menu"
    height = menu[3] - menu[1]
    xdotool("key", "Escape")
    time.sleep(0.3)
    x, y = 1810, 700 - height - 10
    assert y + height > 600
    xdotool("mousemove", x, y)
    xdotool("click", 3)
    time.sleep(0.5)
    xdotool("key", "Down")  # the first row, the format submenu's entry
    xdotool("key", "Right")  # which opens it
    time.sleep(0.6)
    both = changed_box(screenshot(), expected, (1310, 0, 1824, 700))
    assert both is not None and both[2] - both[0] > menu[2] - menu[0] + 50, both
    assert inside(both, SECOND) and both[3] - both[1] >= height, both

    xdotool("key", "Escape")
    xdotool("key", "Escape")
    xdotool("key", "Escape")
    assert p.wait_exit() == 0
