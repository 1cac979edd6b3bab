"""The window modes on a desktop with a window manager (openbox, started for
this module after its first test, which has none): a minimised start,
minimise and activate again, pinned frames that save and copy the live
screen, the tray menu and the end of the session. The screen beneath the
program changes by reloading the picture helper."""
import io
import subprocess
import time

import pytest
from PIL import Image, ImageOps

from harness import Settings, change_picture, probe, screenshot, wait_for, wine, xdotool

IDM_SETTINGS, IDM_MINIMIZE, IDM_EXIT = 40026, 40003, 40002
WM_LBUTTONUP, WM_RBUTTONUP = 0x0202, 0x0205


def _png_program(program, **ints):
    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_byte(471, 0x00)  # PNG in full colour
    for offset, value in ints.items():
        s.set_int(int(offset[1:]), value)
    s.write(p.settings_file)
    return p


def _drag(x0, y0, x1, y1):
    xdotool("mousemove", x0, y0)
    xdotool("mousedown", 1)
    xdotool("mousemove", (x0 + x1) // 2, (y0 + y1) // 2)
    xdotool("mousemove", x1, y1)
    time.sleep(0.1)
    xdotool("mouseup", 1)
    time.sleep(0.2)


def _saved(folder, name):
    path = folder / name
    wait_for(lambda: path.exists() and path.stat().st_size > 0, what=name)
    time.sleep(0.2)
    return Image.open(path).convert("RGB")


def _clipboard():
    raw = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/bmp", "-o"],
                         capture_output=True, timeout=10).stdout
    return Image.open(io.BytesIO(raw)).convert("RGB")


def _shows(picture, box):
    """The screen shows `picture` inside box (left, top, right, bottom)."""
    return screenshot().crop(box).tobytes() == picture.crop(box).tobytes()


def test_without_a_window_manager_a_restore_comes_back_full_screen_too(program, screen_picture):
    # Runs first, before the module's window manager starts.
    p = _png_program(program)
    xdotool("mousemove", 1200, 780)
    p.start()
    p.wait_full_screen()
    xdotool("click", 1)  # outside any selection: put away
    wait_for(lambda: p.window()["iconic"] == "1", what="the minimise")
    changed = ImageOps.invert(screen_picture)
    change_picture(changed)
    probe("restore", "CORE", "MORVANTE")
    p.wait_full_screen()
    change_picture(screen_picture)
    assert _shows(changed, (100, 100, 700, 500))  # the X window covers the screen
    p.command(IDM_EXIT)
    assert p.wait_exit() == 0


def test_minimised_start_and_every_activation_come_back_full_screen_with_a_fresh_picture(
        program, screen_picture, window_manager):
    first = screen_picture
    second = ImageOps.invert(first)
    third = ImageOps.mirror(first)
    p = _png_program(program)
    xdotool("mousemove", 1200, 780)
    p.start(minimised=True)
    wait_for(lambda: p.window().get("iconic") == "1", what="the minimised window")

    # Hours later the screen shows something else; the first activation
    # captures it, not the screen of the start.
    change_picture(second)
    p.activate()
    p.wait_full_screen()
    # Full-screen on X too: a change beneath does not show through.
    change_picture(third)
    assert _shows(second, (100, 100, 700, 500))
    _drag(101, 61, 260, 190)
    xdotool("key", "ctrl+p")
    assert _saved(p.folder, "img0000.png").tobytes() == second.crop((101, 61, 261, 191)).tobytes()

    # The tool's round: put away by a click outside, the screen changes,
    # activated again: full-screen over the new picture, pixel for pixel.
    xdotool("mousemove", 900, 600)
    xdotool("click", 1)
    wait_for(lambda: p.window()["iconic"] == "1", what="the minimise")
    change_picture(first)
    p.activate()
    p.wait_full_screen()
    change_picture(second)
    assert _shows(first, (300, 250, 700, 500))  # clear of the last selection
    _drag(301, 361, 500, 480)
    xdotool("key", "ctrl+p")
    assert _saved(p.folder, "img0001.png").tobytes() == first.crop((301, 361, 501, 481)).tobytes()

    # A dialog while pinned does not leave the window stuck: after it, the
    # minimise command still minimises.
    xdotool("key", "ctrl+f")
    wait_for(lambda: p.window()["region"] == "1", what="the pinned region")
    p.command(IDM_SETTINGS)
    wait_for(lambda: probe("dialog", "設定").get("found") == "1", what="the settings dialog")
    probe("dlgcommand", "設定", 2)
    wait_for(lambda: probe("dialog", "設定").get("found") == "0", what="the dialog to close")
    p.command(IDM_MINIMIZE)
    wait_for(lambda: p.window()["iconic"] == "1", what="the minimise after the dialog")
    p.command(IDM_EXIT)
    p.process.wait(timeout=15)


def test_a_pinned_frame_saves_and_copies_the_live_screen_without_its_own_panel(
        program, screen_picture, window_manager):
    p = _png_program(program, o24=0)  # minimizeAfterCopy off
    xdotool("mousemove", 1200, 100)
    p.start()
    p.wait_full_screen()
    width, height = screen_picture.size
    # At the bottom edge the panel, below the selection, is pushed inside it.
    _drag(400, height - 70, 639, height - 1)
    xdotool("key", "ctrl+f")
    wait_for(lambda: p.window()["region"] == "1", what="the pinned region")
    live = ImageOps.invert(screen_picture)
    change_picture(live)
    expected = live.crop((400, height - 70, 640, height)).tobytes()
    # Pinned panel buttons: B, P, J, copy, folder, minimise; the panel's
    # bottom edge lies on the screen's, its left edge on the selection's.
    button_y = height - 14
    xdotool("mousemove", 401 + 28 + 12, button_y)  # P: save as PNG
    time.sleep(0.3)
    xdotool("click", 1)
    assert _saved(p.folder, "img0000.png").tobytes() == expected
    xdotool("mousemove", 401 + 3 * 28 + 12, button_y)  # copy
    time.sleep(0.3)
    xdotool("click", 1)
    wait_for(lambda: _clipboard().tobytes() == expected, what="the live picture on the clipboard")
    p.command(IDM_EXIT)
    assert p.wait_exit() == 0


def test_the_tray_menu_shows_nothing_else_and_the_end_of_the_session_keeps_the_settings(
        program, screen_picture, window_manager):
    p = _png_program(program, o32=1)  # in the tray
    xdotool("mousemove", 1200, 780)
    p.start()
    p.wait_full_screen()
    _drag(200, 200, 299, 279)
    xdotool("key", "ctrl+p")
    _saved(p.folder, "img0000.png")
    xdotool("key", "ctrl+j")
    _saved(p.folder, "img0001.jpg")
    xdotool("mousemove", 900, 600)
    xdotool("click", 1)
    wait_for(lambda: p.window()["visible"] == "0", what="the window to hide in the tray")

    p.tray_click(WM_RBUTTONUP)
    wait_for(lambda: probe("count", "#32768")["count"] == "1", what="the tray menu")
    assert p.window()["visible"] == "0"
    xdotool("mousemove", 700, 500)
    xdotool("click", 1)  # elsewhere: the menu goes
    wait_for(lambda: probe("count", "#32768")["count"] == "0", what="the menu to close")
    time.sleep(0.5)
    assert p.window()["visible"] == "0"

    # Log off: the program ends with the session and keeps what it reached.
    wine("wineboot", "--end-session")
    assert p.wait_exit() == 0
    s = Settings.read(p.settings_file)
    assert s.get_byte(469) & 0xF0 == 0x30  # JPEG, chosen in this session
    assert s.get_int(92) == 2  # the number reached
    assert s.get_int(32) == 1  # still in the tray next time
