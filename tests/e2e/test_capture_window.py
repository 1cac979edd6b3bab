"""The capture window as a user meets it: the first start, the frozen picture,
the settings file it leaves, the tray mode and the marching frame."""
import time

from harness import (Settings, probe, screenshot, wait_for, xdotool)


def _frozen_region_matches(shot, picture, box):
    """The screenshot equals the picture inside box (left, top, right, bottom)."""
    return shot.crop(box).tobytes() == picture.crop(box).tobytes()


def test_first_start_greets_shows_the_frozen_screen_and_writes_settings_on_exit(
        program, screen_picture):
    xdotool("mousemove", 5, 5)
    p = program().start()
    p.wait_window()
    box = wait_for(lambda: (lambda d: d if d.get("found") == "1" else None)(probe("dialog", "MORVANTE")),
                   what="the first-run message")
    assert box["text"].startswith("初回起動か，新しいバージョンです．")
    xdotool("key", "Return")
    wait_for(lambda: probe("dialog", "MORVANTE").get("found") == "0", what="the message to close")

    w = p.window()
    width, height = screen_picture.size
    assert (int(w["left"]), int(w["top"]), int(w["right"]), int(w["bottom"])) == (0, 0, width, height)
    assert w["topmost"] == "1"
    time.sleep(0.5)
    # Away from the panes, what the user sees is the picture that was on the
    # screen before the program came up, not the program's own window.
    shot = screenshot()
    assert _frozen_region_matches(shot, screen_picture, (300, 300, width, height))

    xdotool("key", "Escape")
    assert p.wait_exit() == 0
    data = p.settings_file.read_bytes()
    # The 568 bytes every version reads, then the block of newer options.
    assert len(data) == 592 and data[:8] == b"ver_0_87" and data[568:576] == b"mrv_ext_"

    # The second start finds its settings: no message this time.
    again = program().start()
    again.wait_window()
    time.sleep(2)
    assert probe("dialog", "MORVANTE").get("found") == "0"
    xdotool("key", "Escape")
    assert again.wait_exit() == 0


def test_tray_mode_from_the_settings_file_starts_full_screen_with_its_icon(program):
    p = program()
    s = Settings.defaults(str(p.folder))
    s.set_int(32, 1)  # inTaskTray
    s.write(p.settings_file)
    p.start()
    w = p.wait_window()
    assert w["iconic"] == "0"
    assert probe("trayicon", "CORE", "MORVANTE")["tray"] == "1"
    xdotool("key", "Escape")
    assert p.wait_exit() == 0
    # The icon goes with the program, and the mode is kept for the next start.
    assert Settings.read(p.settings_file).get_int(32) == 1


def test_the_frame_marches_about_four_times_a_second(program, screen_picture):
    p = program()
    Settings.defaults(str(p.folder)).write(p.settings_file)
    p.start()
    p.wait_window()
    xdotool("mousemove", 400, 400)
    xdotool("mousedown", 1)
    xdotool("mousemove", 500, 480)
    xdotool("mousemove", 600, 500)
    xdotool("mouseup", 1)
    time.sleep(0.5)
    # The ring: two pixels outside the selection's top edge.
    ring = (420, 397, 560, 399)
    frames = []
    for _ in range(6):
        frames.append(screenshot().crop(ring).tobytes())
        time.sleep(0.13)
    changes = sum(1 for a, b in zip(frames, frames[1:]) if a != b)
    assert changes >= 2
    xdotool("key", "Escape")
    assert p.wait_exit() == 0


def test_a_folder_that_cannot_take_the_settings_file_does_not_stop_the_program(program):
    # Running as root, permissions would not stop a write; a directory where
    # the temporary settings file must go does.
    p = program()
    Settings.defaults(str(p.folder)).write(p.settings_file)
    before = p.settings_file.read_bytes()
    (p.folder / "mrv_setting.bin.tmp").mkdir()
    p.start()
    p.wait_window()
    xdotool("key", "Escape")
    assert p.wait_exit() == 0
    assert p.settings_file.read_bytes() == before  # the old file is untouched
