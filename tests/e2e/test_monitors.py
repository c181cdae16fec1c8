"""The full-screen saver on a desk of two monitors of different sizes, heights and
rates (1920 x 1080 at 60 Hz, and 1280 x 1024 at 144 Hz lower by 256 pixels beside it):
an Xvnc display of its own with a copy of the test's Wine prefix."""
import shutil
import subprocess
import tempfile
from pathlib import Path

import pytest

from conftest import end_saver_on_display, saver_on_display, wait_until
from monitor_desk import Monitor, MonitorDesk, bounding_box

TWO_MONITORS = [Monitor(0, 0, 1920, 1080, 60), Monitor(1920, 256, 1280, 1024, 144)]


@pytest.fixture(scope="module")
def desk():
    folder = Path(tempfile.mkdtemp(prefix="velmora-monitors-"))
    screens = saver = None
    try:
        screens = MonitorDesk(folder, TWO_MONITORS)
        saver = saver_on_display(folder, screens.environ)
        # Under a window manager Wine makes a popup over several monitors full screen on
        # one of them, unless it leaves its windows unmanaged.
        subprocess.run([saver.wine, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
                        "/d", "N", "/f"], env=saver.environ, capture_output=True, check=True, timeout=60)
        yield screens, saver
    finally:
        if saver:
            end_saver_on_display(saver)
        if screens:
            screens.stop()
        shutil.rmtree(folder, ignore_errors=True)


def test_the_full_screen_window_follows_a_change_of_the_layout(desk):
    screens, saver = desk
    job = saver.start("/s")
    window = saver.wait_for_window("Screensaver")
    wait_until(lambda: saver.window_box(window) == bounding_box(TWO_MONITORS),
               f"the window covers both monitors: {saver.window_box(window)}")
    # The second monitor moves up to the first one's top: the desk is less high.
    moved = [TWO_MONITORS[0], Monitor(1920, 0, 1280, 1024, 144)]
    try:
        screens.lay_out(moved)
        wait_until(lambda: saver.window_box(window) == bounding_box(moved),
                   f"the window covers the new layout {bounding_box(moved)}: {saver.window_box(window)}")
        assert not job.finished(), "a change of the layout is no input that ends the run"
    finally:
        screens.lay_out(TWO_MONITORS)
    saver.key(window, "q")
    assert job.result().get("exit_hex") == "0x00000000"
