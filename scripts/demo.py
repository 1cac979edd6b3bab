"""Shows the program at work in a virtual display (scripts/run without a
display): a test picture on the screen, the program started over it, a
selection dragged, a screenshot, the selection saved as PNG, and the program
ended again."""
import shutil
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import (Program, environment_problem, make_test_picture, screen_size,  # noqa: E402
                     screenshot, show_picture, xdotool)


def main(out_dir):
    problem = environment_problem()
    if problem:
        print(problem)
        return 1
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(prefix="morvante-run-"))
    width, height = screen_size()
    picture = show_picture(make_test_picture(width, height), work)
    program = Program(work).start()
    try:
        program.wait_window()
        # A first start greets the user with a message box; Enter closes it.
        time.sleep(1.5)
        xdotool("key", "Return")
        time.sleep(1.0)
        # Drag a selection, then rest the pointer inside it so the magnifier
        # and the size read-out show.
        xdotool("mousemove", 281, 161)
        xdotool("mousedown", 1)
        xdotool("mousemove", 400, 300)
        xdotool("mousemove", 540, 380)
        xdotool("mouseup", 1)
        time.sleep(0.3)
        xdotool("mousemove", 525, 262)
        time.sleep(0.6)
        # Open the popup menu beside it and point at its format submenu.
        xdotool("mousemove", 640, 170)
        xdotool("click", 3)
        time.sleep(0.4)
        xdotool("mousemove", 680, 181)
        time.sleep(0.8)
        shot = out / "screen.png"
        screenshot().save(shot)
        print("morvante.exe is running full-screen over a test picture (%dx%d)" % (width, height))
        print("screenshot: %s" % shot)
        # The open menu keeps the keys: Esc closes the submenu, then the menu.
        xdotool("key", "Escape")
        xdotool("key", "Escape")
        time.sleep(0.3)
        xdotool("key", "ctrl+p")
        saved = work / "img0000.png"
        for _ in range(50):
            if saved.exists() and saved.stat().st_size > 0:
                break
            time.sleep(0.1)
        if saved.exists():
            kept = out / saved.name
            shutil.copy2(saved, kept)
            print("Ctrl+P saved the 260x220 selection as %s (kept as %s)" % (saved, kept))
        else:
            print("the PNG save did not appear")
        time.sleep(0.5)
        xdotool("key", "Escape")
        code = program.wait_exit()
        print("ended the program with Esc (exit code %d)" % code)
    finally:
        program.stop()
        picture.kill()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "build/run"))
