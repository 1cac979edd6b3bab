"""Fixtures for the end-to-end tests; the machinery is in harness.py."""
import pytest

from harness import (Program, environment_problem, make_test_picture, screen_size, show_picture,
                     start_window_manager, stop_window_manager)


def _require_environment():
    problem = environment_problem()
    if problem:
        pytest.skip(problem)


@pytest.fixture
def program(tmp_path):
    """Makes copies of the program in the test's folder; stops them afterwards."""
    _require_environment()
    progs = []

    def make(folder=None, copy=True):
        p = Program(folder or tmp_path, copy)
        progs.append(p)
        return p

    yield make
    for p in progs:
        p.stop()


@pytest.fixture
def screen_picture(tmp_path_factory):
    """A known picture shown full-screen beneath the program; yields it."""
    _require_environment()
    width, height = screen_size()
    img = make_test_picture(width, height)
    proc = show_picture(img, tmp_path_factory.mktemp("picture"))
    yield img
    proc.kill()
    proc.wait(timeout=10)


@pytest.fixture(scope="module")
def window_manager():
    """openbox in the display for the tests of one module: activation,
    minimise and restore, and focus as on a desktop."""
    _require_environment()
    proc = start_window_manager()
    yield
    stop_window_manager(proc)
