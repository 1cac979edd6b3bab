"""Everything a user does with the mouse and the keyboard, checked by what
they get: saved files decoded with PIL, the clipboard read back by an X
client, the settings file, the window's state."""
import io
import math
import subprocess
import time

import pytest
from PIL import Image

from harness import Settings, probe, screenshot, wait_for, xdotool

HIGHLIGHT = (0xFF, 0xEE, 0xAA)  # the menu's highlighted row (COLORREF 0xAAEEFF)


@pytest.fixture
def running(program, screen_picture):
    """The program with default settings over the test picture."""
    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_byte(471, 0x00)  # PNG in full colour (the default is 256 colours)
    s.write(p.settings_file)
    xdotool("mousemove", 1200, 780)
    p.start()
    p.wait_window()
    time.sleep(0.5)
    yield p, screen_picture
    if p.process.poll() is None:
        xdotool("key", "Escape")
        try:
            p.wait_exit(10)
        except subprocess.TimeoutExpired:
            pass


def drag(x0, y0, x1, y1, shift_at_release=False):
    xdotool("mousemove", x0, y0)
    xdotool("mousedown", 1)
    xdotool("mousemove", (x0 + x1) // 2, (y0 + y1) // 2)
    xdotool("mousemove", x1, y1)
    time.sleep(0.1)
    if shift_at_release:
        xdotool("keydown", "shift")
        time.sleep(0.1)
    xdotool("mouseup", 1)
    if shift_at_release:
        xdotool("keyup", "shift")
    time.sleep(0.2)


def saved(folder, name, timeout=10):
    path = folder / name
    wait_for(lambda: path.exists() and path.stat().st_size > 0, timeout, what=name)
    time.sleep(0.2)
    return Image.open(path)


def psnr(a, b):
    pa, pb = a.convert("RGB").tobytes(), b.convert("RGB").tobytes()
    mse = sum((x - y) ** 2 for x, y in zip(pa, pb)) / len(pa)
    return 99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)


def test_a_drag_then_ctrl_p_b_j_saves_the_rectangle_in_each_format(running):
    p, picture = running
    drag(101, 61, 260, 190)
    expected = picture.crop((101, 61, 261, 191))  # the pixel under the pointer is included

    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0000.png")
    assert png.size == (160, 130)
    assert png.convert("RGB").tobytes() == expected.tobytes()

    xdotool("key", "ctrl+b")
    bmp = saved(p.folder, "img0001.bmp")
    assert bmp.size == (160, 130)
    assert bmp.convert("RGB").tobytes() == expected.tobytes()

    xdotool("key", "ctrl+j")
    jpg = saved(p.folder, "img0002.jpg")
    assert jpg.size == (160, 130)
    assert psnr(jpg, expected) > 20  # a shifted or flipped picture scores about 10

    # The saved-file message, centred on the selection, goes after about a
    # second (four ticks); nothing else covers the inside of the selection.
    inside = (101, 61, 261, 191)
    wait_for(lambda: screenshot().crop(inside).tobytes() == picture.crop(inside).tobytes(),
             timeout=4, interval=0.2, what="the saved-file message to go")


def test_shift_at_the_release_snaps_the_size_to_the_grid(running):
    p, picture = running
    drag(200, 300, 250, 333, shift_at_release=True)
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0000.png")
    w, h = png.size
    assert w % 8 == 0 and h % 8 == 0 and 0 < w <= 51 and 0 < h <= 34
    assert png.convert("RGB").tobytes() == picture.crop((200, 300, 200 + w, 300 + h)).tobytes()


def test_arrow_keys_move_by_one_or_by_the_grid_and_stop_at_the_edge(running):
    p, picture = running
    drag(40, 500, 139, 579)  # 100 x 80
    for _ in range(3):
        xdotool("key", "Left")
    xdotool("key", "shift+Down")
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0000.png")
    assert png.convert("RGB").tobytes() == picture.crop((37, 508, 137, 588)).tobytes()

    for _ in range(8):
        xdotool("key", "shift+Left")
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0001.png")
    assert png.size == (100, 80)  # stopped at the edge without shrinking
    assert png.convert("RGB").tobytes() == picture.crop((0, 508, 100, 588)).tobytes()

    # The right and bottom edges, 30 and 20 pixels away: by one, then by the
    # grid past the edge; a save after each (a move along one axis also
    # brings the other back on the screen).
    width, height = picture.size
    drag(width - 130, height - 100, width - 31, height - 21)
    for key in ["Right", "Right"] + ["shift+Right"] * 4:
        xdotool("key", key)
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0002.png")
    assert png.size == (100, 80)
    assert png.convert("RGB").tobytes() == picture.crop(
        (width - 100, height - 100, width, height - 20)).tobytes()
    for key in ["Down"] + ["shift+Down"] * 3:
        xdotool("key", key)
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0003.png")
    assert png.size == (100, 80)
    assert png.convert("RGB").tobytes() == picture.crop(
        (width - 100, height - 80, width, height)).tobytes()


def test_double_click_selects_the_framed_area_and_a_single_click_minimises(running):
    p, picture = running
    xdotool("mousemove", 420, 280)
    xdotool("click", "--repeat", 2, "--delay", 60, 1)
    time.sleep(0.8)
    assert p.window()["iconic"] == "0"  # the pending minimise was cancelled
    xdotool("key", "ctrl+p")
    png = saved(p.folder, "img0000.png")
    assert png.size == (198, 148)
    assert png.convert("RGB").tobytes() == picture.crop((301, 201, 499, 349)).tobytes()

    xdotool("mousemove", 1000, 650)
    xdotool("click", 1)
    time.sleep(0.1)
    assert p.window()["iconic"] == "0"  # not at once: a double-click may follow
    wait_for(lambda: p.window()["iconic"] == "1", timeout=5, what="the minimise")


def test_copies_reach_other_programs(running):
    p, picture = running
    drag(500, 420, 579, 469)
    xdotool("key", "ctrl+c")
    time.sleep(1)
    raw = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"],
                         capture_output=True, timeout=10).stdout
    img = Image.open(io.BytesIO(raw))
    assert img.size == (80, 50)
    assert img.convert("RGB").tobytes() == picture.crop((500, 420, 580, 470)).tobytes()

    # The copy minimised the window (minimizeAfterCopy); bring it back by
    # restarting the capture with a fresh focus.
    p.stop()


def test_reduced_copy_has_at_most_256_colours(program, screen_picture):
    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_int(24, 0)  # minimizeAfterCopy off
    s.write(p.settings_file)
    p.start()
    p.wait_window()
    time.sleep(0.5)
    drag(600, 100, 799, 299)
    xdotool("key", "ctrl+shift+c")
    time.sleep(1)
    raw = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"],
                         capture_output=True, timeout=10).stdout
    img = Image.open(io.BytesIO(raw))
    assert img.size == (200, 200)
    assert img.convert("RGB").getcolors(256) is not None
    assert psnr(img, screen_picture.crop((600, 100, 800, 300))) > 15
    xdotool("key", "Escape")
    assert p.wait_exit() == 0


def _menu_rows(x, y):
    """Opens the popup menu at (x, y) and finds its geometry: the top of the
    first row and the row height, from the highlight of the first row."""
    xdotool("mousemove", x, y)
    xdotool("click", 3)
    time.sleep(0.5)
    xdotool("mousemove", x + 30, y + 8)
    time.sleep(0.6)
    shot = screenshot()
    column = [shot.getpixel((x + 60, yy)) for yy in range(y, y + 40)]
    rows = [i for i, c in enumerate(column) if c == HIGHLIGHT]
    assert rows, "no highlighted menu row"
    return shot, y + rows[0], rows[-1] - rows[0] + 1


def test_the_popup_menu_chooses_png_and_opens_the_settings_dialog(running):
    p, picture = running
    drag(700, 500, 759, 539)
    x, y = 200, 150
    shot, first_top, band = _menu_rows(x, y)
    # The first row opens the format submenu to the right; find its left edge
    # where the highlight of the parent row ends.
    row_y = first_top + band // 2
    xs = [xx for xx in range(x, x + 500) if shot.getpixel((xx, row_y)) == HIGHLIGHT]
    parent_right = max(xx for xx in xs if xx < xs[0] + 300)
    sub_x = parent_right + 40
    # Submenu rows: five BMP items, a separator (8 pixels), then "PNG 形式".
    # The submenu's first row lies level with the parent's first row.
    xdotool("mousemove", sub_x, row_y)
    time.sleep(0.4)
    sub_shot = screenshot()
    col = [sub_shot.getpixel((sub_x, yy)) for yy in range(row_y - 30, row_y + 30)]
    hl = [i for i, c in enumerate(col) if c == HIGHLIGHT]
    assert hl, "no highlighted submenu row"
    sub_first_top = row_y - 30 + hl[0]
    item_h = hl[-1] - hl[0] + 1
    png_y = sub_first_top + 5 * item_h + 8 + item_h // 2
    xdotool("mousemove", sub_x, png_y)
    time.sleep(0.3)
    xdotool("click", 1)
    time.sleep(0.5)
    xdotool("key", "ctrl+s")
    png = saved(p.folder, "img0000.png")
    assert png.size == (60, 40)

    # "設定..." is the second row of the main menu.
    _menu_rows(x, y)
    xdotool("mousemove", x + 30, first_top + band + band // 2)
    time.sleep(0.3)
    xdotool("click", 1)
    wait_for(lambda: probe("dialog", "設定").get("found") == "1", what="the settings dialog")
    probe("dlgtext", "設定", 1032, "0")  # the grid
    probe("dlgcommand", "設定", 1)  # OK
    wait_for(lambda: probe("dialog", "設定").get("found") == "0", what="the dialog to close")

    # Cancel changes nothing.
    _menu_rows(x, y)
    xdotool("mousemove", x + 30, first_top + band + band // 2)
    time.sleep(0.3)
    xdotool("click", 1)
    wait_for(lambda: probe("dialog", "設定").get("found") == "1", what="the settings dialog")
    probe("dlgtext", "設定", 1032, "50")
    probe("dlgcommand", "設定", 2)  # Cancel
    wait_for(lambda: probe("dialog", "設定").get("found") == "0", what="the dialog to close")

    time.sleep(0.5)
    xdotool("key", "Escape")
    assert p.wait_exit() == 0
    assert Settings.read(p.settings_file).get_int(16) == 2  # a grid of 0 is stored as 2


def test_a_pinned_frame_saves_what_is_on_the_screen_now(running):
    from harness import change_picture
    p, picture = running
    drag(400, 400, 519, 479)  # 120 x 80; the tool panel sits below its left corner
    xdotool("key", "ctrl+f")
    wait_for(lambda: p.window()["region"] == "1", what="the window region")
    changed = Image.eval(picture, lambda v: 255 - v)
    change_picture(changed)
    # Pinned panel buttons: B, P, J, copy, folder, minimise; P is the second.
    xdotool("mousemove", 401 + 28 + 12, 480 + 14)
    time.sleep(0.3)
    xdotool("click", 1)
    png = saved(p.folder, "img0000.png")
    assert png.convert("RGB").tobytes() == changed.crop((400, 400, 520, 480)).tobytes()


def test_handles_clicked_in_place_keep_the_size_and_the_open_menu_takes_every_key(running):
    """One start: a drag from near the corner on a fresh start, clicks on the
    left and top edges, Esc and the arrow keys with the menu open, a format
    chosen with the keys, and presses beside the open menu."""
    p, picture = running
    expected = picture.crop((3, 3, 53, 43))

    def save_png(name):
        xdotool("key", "ctrl+p")
        png = saved(p.folder, name)
        assert png.size == (50, 40)
        assert png.convert("RGB").tobytes() == expected.tobytes()

    def menu_at(x, y):
        xdotool("mousemove", x, y)
        xdotool("click", 3)
        time.sleep(0.3)

    # No selection yet: a drag from (3, 3) is anchored where it was pressed.
    drag(3, 3, 52, 42)
    save_png("img0000.png")

    # Two clicks, apart, on the left edge and on the top edge: nothing widens.
    for x, y in ((3, 20), (3, 20), (25, 3), (25, 3)):
        xdotool("mousemove", x, y)
        xdotool("click", 1)
        time.sleep(0.7)
    save_png("img0001.png")

    # Esc closes the open menu and nothing else; the arrows move no selection
    # behind it.
    menu_at(300, 300)
    for key in ("Left", "Escape"):
        xdotool("key", key)
        time.sleep(0.2)
    time.sleep(0.5)
    assert p.process.poll() is None, "Esc with the menu open ended the program"
    save_png("img0002.png")

    # Down, Down, Up: 画像フォーマット; Right opens it on "Bitmap 形式"; Down,
    # Enter: 24 bit. The next Ctrl+S saves a BMP.
    menu_at(300, 300)
    for key in ("Down", "Down", "Up", "Right", "Down", "Return"):
        xdotool("key", key)
        time.sleep(0.15)
    xdotool("key", "ctrl+s")
    bmp = saved(p.folder, "img0003.bmp")
    assert bmp.size == (50, 40) and bmp.mode == "RGB"
    assert bmp.tobytes() == expected.tobytes()

    # A left press beside the open menu only closes it: no minimise, and a
    # double-click it starts selects nothing. A right press beside it opens
    # it again there, so the Esc that follows closes the menu and leaves the
    # program running.
    menu_at(300, 300)
    xdotool("mousemove", 700, 500)
    xdotool("click", "--repeat", 2, "--delay", 60, 1)
    time.sleep(0.8)
    assert p.window()["iconic"] == "0"
    save_png("img0004.png")
    menu_at(300, 300)
    menu_at(700, 400)
    xdotool("key", "Escape")
    time.sleep(0.5)
    assert p.process.poll() is None, "the right press beside the menu did not open it again"
    xdotool("key", "Escape")
    assert p.wait_exit() == 0


def test_base_names_that_are_no_file_name_save_in_the_folder_and_never_hang(
        program, screen_picture, tmp_path):
    # A wildcard once made every number look used, so a save walked all 10^8
    # of them; a folder in the name climbed out of the save folder at every
    # save. From a file, both load as "img".
    for n, base in enumerate([b"a*b", b"..\\up"]):
        folder = tmp_path / ("run%d" % n)
        folder.mkdir()
        p = program(folder)
        s = Settings.defaults(str(folder))
        s.data[8 + 108:8 + 209] = base.ljust(101, b"\0")
        s.set_int(96, 8)  # numberDigits
        s.write(p.settings_file)
        p.start()
        p.wait_window()
        time.sleep(0.5)
        drag(300, 300, 359, 339)
        xdotool("key", "ctrl+s")
        saved(folder, "img00000000.bmp")
        xdotool("key", "ctrl+s")
        saved(folder, "img00000001.bmp")
        assert probe("dialog", "MORVANTE").get("found") == "0"  # no message
        asked = time.monotonic()
        xdotool("key", "Escape")
        assert p.wait_exit(10) == 0
        assert time.monotonic() - asked < 8
        assert sorted(f.name for f in folder.iterdir()) == [
            "img00000000.bmp", "img00000001.bmp", "morvante.exe", "mrv_setting.bin"]
        assert bytes(Settings.read(p.settings_file).data[8 + 108:8 + 112]) == b"img\0"
    assert sorted(f.name for f in tmp_path.iterdir()) == ["run0", "run1"]  # nothing above
