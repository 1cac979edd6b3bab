"""Shows the program at work in a virtual display (scripts/run without a
display): a test picture on the screen, the program started over it, a
screenshot, and the program ended again."""
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
        shot = out / "screen.png"
        screenshot().save(shot)
        print("morvante.exe is running full-screen over a test picture (%dx%d)" % (width, height))
        print("screenshot: %s" % shot)
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
