"""Start-up, single instance and exit, as a user sees them."""
import subprocess
import time

from harness import Settings, probe, screen_size, wait_for, xdotool


def test_window_covers_the_screen_and_esc_exits_with_code_zero(program):
    first = program()
    Settings.defaults(str(first.folder)).write(first.settings_file)  # no first-run message
    first.start()
    w = first.wait_window()
    width, height = screen_size()
    assert (int(w["left"]), int(w["top"]), int(w["right"]), int(w["bottom"])) == (0, 0, width, height)
    assert probe("count", "CORE")["count"] == "1"

    # A second copy started meanwhile ends by itself, quietly, without a window.
    second = subprocess.Popen(["wine", str(first.exe)], cwd=first.folder,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    assert second.wait(timeout=15) == 0
    assert probe("count", "CORE")["count"] == "1"
    assert first.process.poll() is None

    xdotool("key", "Escape")
    assert first.wait_exit() == 0
    wait_for(lambda: probe("count", "CORE")["count"] == "0", what="the window to go")
