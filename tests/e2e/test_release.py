"""The release zip as a Windows user meets it: packaged twice to the same
bytes, unpacked into a folder whose path has spaces and Japanese in it, and
unpacked into a folder the program cannot write to."""
import contextlib
import hashlib
import os
import re
import subprocess
import time
import zipfile
from pathlib import Path

import pytest

from harness import BUILD, TOOLS, Settings, wait_for, wine, xdotool

ROOT = Path(__file__).resolve().parents[2]
SHIPPED = ["README.txt", "SHA256SUMS", "morvante.exe"]


def _package():
    out = subprocess.run([str(ROOT / "scripts" / "package")], capture_output=True, text=True,
                         timeout=600)
    assert out.returncode == 0, out.stderr
    path = Path(out.stdout.splitlines()[0])
    digest = hashlib.sha256(path.read_bytes()).hexdigest()
    assert out.stdout.splitlines()[1] == "SHA-256 " + digest
    return path


@pytest.fixture(scope="module")
def release_zip():
    if BUILD.resolve() != (ROOT / "build" / "windows").resolve():
        pytest.skip("scripts/package packages build/windows, not %s" % BUILD)
    first = _package()
    kept = first.read_bytes()
    # Link and compile the resources again: a time stamp either of them put
    # into the executable would now differ.
    (BUILD / "morvante.exe").unlink()
    for res in BUILD.glob("capture/CMakeFiles/morvante.dir/**/morvante.rc.res"):
        res.unlink()
    second = _package()
    assert second == first
    assert second.read_bytes() == kept, "packaging twice gave different zips"
    return second


def test_the_zip_is_reproducible_and_holds_the_program_its_guide_and_their_sums(release_zip):
    version = re.search(r"project\(morvante VERSION (\S+)",
                        (ROOT / "CMakeLists.txt").read_text()).group(1)
    assert release_zip.name == "morvante-%s-win64.zip" % version
    # The README tells Windows users which file to download.
    assert release_zip.name in (ROOT / "README.md").read_text(encoding="utf-8")

    with zipfile.ZipFile(release_zip) as z:
        assert z.namelist() == SHIPPED
        assert len({i.date_time for i in z.infolist()}) == 1
        files = {n: z.read(n) for n in SHIPPED}
    assert files["morvante.exe"] == (BUILD / "morvante.exe").read_bytes()

    sums = dict(reversed(line.split("  ")) for line in files["SHA256SUMS"].decode().splitlines())
    assert sorted(sums) == ["README.txt", "morvante.exe"]
    for name, digest in sums.items():
        assert hashlib.sha256(files[name]).hexdigest() == digest, name

    guide = files["README.txt"]
    assert guide.startswith(b"\xef\xbb\xbf")
    text = guide[3:].decode("utf-8")
    assert "\n" not in text.replace("\r\n", "")  # Windows line ends throughout
    assert text.startswith("MORVANTE %s" % version)
    assert 0 < text.index("使い方") < text.index("How to run it")
    for key in ("Ctrl+S", "Esc", "mrv_setting.bin"):
        assert text.count(key) >= 2, key  # in both languages


def _box_text():
    """The full text of the program's open message box, or None."""
    out = wine(TOOLS / "probe.exe", "dialog", "MORVANTE")
    if not out.startswith("found=1"):
        return None
    return out.split("text=", 1)[1].strip().replace("\r\n", "\n")  # the box's own line ends


def _answer_box(starts_with):
    text = wait_for(lambda: (lambda t: t if t and t.startswith(starts_with) else None)(_box_text()),
                    what="a message starting " + starts_with)
    xdotool("key", "Return")
    wait_for(lambda: _box_text() != text, what="the message to close")
    return text


def _select_and_save():
    xdotool("mousemove", 200, 150)
    xdotool("mousedown", 1)
    xdotool("mousemove", 300, 220)
    xdotool("mousemove", 360, 260)
    time.sleep(0.1)
    xdotool("mouseup", 1)
    time.sleep(0.2)
    xdotool("key", "ctrl+s")


def _unpack(zip_path, folder):
    folder.mkdir(parents=True)
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(folder)


def test_unpacked_into_a_folder_named_with_spaces_and_japanese_it_saves_and_keeps_settings_there(
        release_zip, program, tmp_path):
    folder = tmp_path / "モルバンテ テスト"
    _unpack(release_zip, folder)
    p = program(folder, copy=False).start()
    p.wait_window()
    _answer_box("初回起動か，新しいバージョンです．")
    time.sleep(1)
    assert _box_text() is None  # the folder takes files: nothing more to say

    _select_and_save()
    image = folder / "img0000.bmp"
    wait_for(lambda: image.exists() and image.stat().st_size > 0, what=image.name)
    xdotool("key", "Escape")
    assert p.wait_exit() == 0

    saved = Settings.read(p.settings_file)
    expected = Settings.defaults(str(folder))
    assert saved.data[8 + 209:8 + 469] == expected.data[8 + 209:8 + 469]  # saveFolder, cp932
    assert saved.get_int(92) == 1  # saveNumber moved on


@contextlib.contextmanager
def _unwritable(folder):
    """Makes `folder` unwritable for every program, Wine included. Running as
    root, permission bits stop no one; the immutable attribute does (ext4,
    XFS, btrfs)."""
    if os.geteuid() == 0:
        made = subprocess.run(["chattr", "+i", str(folder)], capture_output=True).returncode == 0
        undo = ["chattr", "-i", str(folder)]
    else:
        os.chmod(folder, 0o555)
        made, undo = True, ["chmod", "755", str(folder)]
    try:
        if made:
            try:
                (folder / "probe").touch()
                (folder / "probe").unlink()
                made = False
            except OSError:
                pass
        if not made:
            pytest.skip("no way to make a folder read-only here")
        yield
    finally:
        subprocess.run(undo, capture_output=True)


def test_unpacked_into_a_read_only_folder_it_says_so_once_fails_saves_as_usual_and_exits_normally(
        release_zip, program, tmp_path):
    folder = tmp_path / "readonly"
    _unpack(release_zip, folder)
    with _unwritable(folder):
        p = program(folder, copy=False).start()
        p.wait_window()
        _answer_box("初回起動か，新しいバージョンです．")
        text = _answer_box("「Z:")
        assert text.startswith("「Z:%s\\」\nには書き込めません．" % str(folder).replace("/", "\\"))
        assert "自分のフォルダに展開して" in text
        time.sleep(1)
        assert _box_text() is None  # once

        _select_and_save()
        _answer_box("イメージの保存に失敗しました．")
        xdotool("key", "Escape")
        assert p.wait_exit() == 0
        assert sorted(f.name for f in folder.iterdir()) == SHIPPED
