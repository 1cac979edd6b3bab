"""Black-box harness (shared by the tests and scripts/run): morvante.exe under Wine in the virtual display that
scripts/test started (DISPLAY, WINEPREFIX and MRV_BUILD come from it).

Each test gets a fresh folder with its own copy of the program, so the
settings file and saved images of one test never meet another's.
"""
import os
import shutil
import subprocess
import time
from pathlib import Path

from PIL import Image, ImageDraw

BUILD = Path(os.environ.get("MRV_BUILD", Path(__file__).resolve().parents[2] / "build" / "windows"))
EXE = BUILD / "morvante.exe"
TOOLS = BUILD / "e2e-tools"


def environment_problem():
    """Why the harness cannot run here, or None."""
    missing = [v for v in ("DISPLAY", "WINEPREFIX") if not os.environ.get(v)]
    if missing:
        return "run through scripts/test (needs %s)" % ", ".join(missing)
    if not EXE.exists():
        return "%s is not built" % EXE
    return None


def wine(*args, timeout=30):
    """Runs a Windows program to completion and returns its output."""
    out = subprocess.run(["wine", *map(str, args)], capture_output=True, timeout=timeout)
    return out.stdout.decode("utf-8", "replace")


def probe(*args):
    """Asks the probe helper; returns its key=value pairs as a dict of strings."""
    text = wine(TOOLS / "probe.exe", *args)
    pairs = {}
    for word in text.split():
        if "=" in word:
            k, v = word.split("=", 1)
            pairs[k] = v
    return pairs


def wait_for(predicate, timeout=15.0, interval=0.1, what="condition"):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    raise AssertionError("timed out waiting for " + what)


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=10)


def screenshot():
    """The X screen as a PIL RGB image."""
    raw = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                         check=True, timeout=20).stdout
    from io import BytesIO
    return Image.open(BytesIO(raw)).convert("RGB")


def screen_size():
    """The virtual screen (every monitor); on one monitor, the screen.
    Asked again when a probe started in a busy moment (a window manager
    coming up) printed nothing."""
    info = wait_for(lambda: (lambda i: i if "virtual_width" in i else None)(probe("screen")),
                    what="the screen size")
    return int(info["virtual_width"]), int(info["virtual_height"])


def monitors():
    """The monitors as (left, top, right, bottom) in desktop coordinates."""
    text = wine(TOOLS / "probe.exe", "monitors")
    return [tuple(int(v) for v in line.split("=", 1)[1].split(","))
            for line in text.split() if line.startswith("monitor=")]


def make_test_picture(width, height):
    """A picture no part of which looks like another: colour ramps so every
    pixel differs from its neighbours in a known way, an "F" so a flip shows,
    and a white box framed by a 1-pixel black line."""
    img = Image.new("RGB", (width, height))
    px = img.load()
    for y in range(height):
        for x in range(width):
            px[x, y] = ((x * 7 + y) & 0xFF, (y * 5 + x // 3) & 0xFF, (x ^ y) & 0xFF)
    d = ImageDraw.Draw(img)
    d.rectangle([100, 100, 139, 179], fill=(200, 30, 30))
    d.rectangle([100, 100, 179, 119], fill=(200, 30, 30))
    d.rectangle([100, 130, 159, 144], fill=(200, 30, 30))
    # White area inside a 1-pixel black frame: inside is (301..498, 201..348).
    d.rectangle([300, 200, 499, 349], outline=(0, 0, 0), fill=(255, 255, 255))
    return img


class Program:
    """One copy of morvante.exe in its own folder (copied from the build, or
    already there when `copy` is False)."""

    def __init__(self, folder: Path, copy=True):
        self.folder = folder
        self.exe = folder / "morvante.exe"
        if copy:
            shutil.copy2(EXE, self.exe)
        self.process = None
        self.through_start = False

    @property
    def settings_file(self):
        return self.folder / "mrv_setting.bin"

    def start(self, minimised=False):
        """Starts the program; minimised as a shortcut set to "Minimized" does
        (the process is then Wine's start command, which waits for it)."""
        command = ["wine", str(self.exe)]
        self.through_start = minimised
        if minimised:
            command = ["wine", "start", "/min", "/wait", "/unix", str(self.exe)]
        self.process = subprocess.Popen(command, cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def command(self, command_id):
        """Sends a menu command, as the menus and the tool panel do."""
        probe("post", "CORE", "MORVANTE", 0x0111, command_id, 0)

    def tray_click(self, mouse_message):
        """A click on the tray icon (WM_LBUTTONUP 0x202, WM_RBUTTONUP 0x205)."""
        probe("post", "CORE", "MORVANTE", 0x0447, 0, mouse_message)

    def activate(self):
        """Activates the window through the window manager, as a click on its
        task bar button does."""
        ids = subprocess.run(["xdotool", "search", "--name", "^MORVANTE$"], capture_output=True,
                             text=True, timeout=10).stdout.split()
        assert ids, "no X window named MORVANTE"
        for xid in ids:
            subprocess.run(["xdotool", "windowactivate", xid], capture_output=True, timeout=10)

    def wait_full_screen(self, timeout=15):
        """Waits until the window is up, topmost and covers the screen."""
        width, height = screen_size()
        return wait_for(lambda: (lambda w: w if w.get("found") == "1" and w["visible"] == "1" and
                                 w["iconic"] == "0" and w["topmost"] == "1" and
                                 (int(w["left"]), int(w["top"]), int(w["right"]),
                                  int(w["bottom"])) == (0, 0, width, height) else None)(
                                      self.window()), timeout, what="the full-screen window")

    def window(self):
        return probe("window", "CORE", "MORVANTE")

    def wait_window(self, timeout=20):
        return wait_for(lambda: (lambda w: w if w.get("found") == "1" and w.get("visible") == "1"
                                 else None)(self.window()), timeout, what="the MORVANTE window")

    def wait_exit(self, timeout=15):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        # A program started through Wine's start command outlives its killing.
        if self.through_start and self.window().get("found") == "1":
            self.command(40002)  # exit
            wait_for(lambda: self.window().get("found") == "0", what="the program to end")


def show_picture(img, folder):
    """Shows `img` full-screen beneath everything else; returns the process.
    change_picture() later puts another picture in its place."""
    path = Path(folder) / "screen.bmp"
    img.save(path)
    global _shown_path
    _shown_path = path
    proc = subprocess.Popen(["wine", str(TOOLS / "showpic.exe"), str(path)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: probe("window", "MRV_SHOWPIC", "showpic").get("visible") == "1",
             what="the test picture")
    time.sleep(0.5)
    return proc


_shown_path = None


def change_picture(img):
    """Replaces the picture on the screen (beneath the program) with `img`."""
    img.save(_shown_path)
    probe("post", "MRV_SHOWPIC", "showpic", 0x0401, 0, 0)
    time.sleep(0.5)


def start_window_manager():
    """Starts openbox in the display; returns its process once it manages."""
    proc = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    wait_for(lambda: "window id" in subprocess.run(
        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True,
        timeout=10).stdout, what="the window manager")
    return proc


def stop_window_manager(proc):
    proc.terminate()
    proc.wait(timeout=10)
    # Its check window goes with it; the next program starts without one.
    subprocess.run(["xprop", "-root", "-remove", "_NET_SUPPORTING_WM_CHECK"], timeout=10)


class Settings:
    """The 568-byte settings file: the tag, then the record (offsets below are
    record offsets; the file offset is 8 more)."""

    SIZE = 568

    def __init__(self, data):
        assert len(data) >= self.SIZE
        self.data = bytearray(data[:self.SIZE])

    @classmethod
    def read(cls, path):
        return cls(Path(path).read_bytes())

    @classmethod
    def defaults(cls, exe_folder):
        d = bytearray(cls.SIZE)
        d[0:8] = b"ver_0_87"

        def put(off, value):
            d[8 + off:12 + off] = int(value).to_bytes(4, "little", signed=True)

        for off, v in [(0, 0), (4, 1), (8, 1), (12, 3), (16, 8), (20, 1), (24, 1), (28, 1),
                       (32, 0), (36, 2), (40, 24), (44, 12), (48, 0), (52, 0xFFFFFF),
                       (56, 0x6666FF), (60, 0xFFFFFF), (64, 80), (68, 60), (72, 40), (76, 20),
                       (80, 12), (84, 3), (88, 4), (92, 0), (96, 4), (100, 0), (104, 1)]:
            put(off, v)
        d[8 + 108:8 + 111] = b"img"
        folder = ("Z:" + exe_folder.replace("/", "\\") + "\\").encode("cp932")
        d[8 + 209:8 + 209 + len(folder)] = folder
        d[8 + 469:8 + 473] = bytes([0x10, 0x00, 0x0C, 0x01])
        for i, v in enumerate([1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 1]):
            put(476 + 4 * i, v)
        put(556, 3)
        return cls(d)

    def get_int(self, off):
        return int.from_bytes(self.data[8 + off:12 + off], "little", signed=True)

    def set_int(self, off, value):
        self.data[8 + off:12 + off] = int(value).to_bytes(4, "little", signed=True)

    def get_byte(self, off):
        return self.data[8 + off]

    def set_byte(self, off, value):
        self.data[8 + off] = value

    def write(self, path):
        Path(path).write_bytes(bytes(self.data))
