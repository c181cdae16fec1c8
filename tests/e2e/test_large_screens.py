"""The full-screen saver on today's large screens: a 3840 x 2160 display, and the
3840 x 1080 window that spans two 1920 x 1080 monitors side by side, each an Xvfb
display of its own with a copy of the test's Wine prefix (a wineserver belongs to one
display). Xvfb's Xinerama lays its heads over each other at (0, 0) and its RandR has
one output, so Wine sees one monitor there; one screen as wide as both gives the saver
the same window. The lodge drifts inside what the lens shows, so it is on screen in
(nearly) every screenshot."""
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

from conftest import ARTIFACTS, Saver, end_saver_on_display, saver_on_display, wait_until

DISPLAYS = {
    "3840x2160": ["-screen", "0", "3840x2160x24"],
    "3840x1080": ["-screen", "0", "3840x1080x24"],
}
SHOT_WIDTH = 480  # screenshots are judged scaled down: a 4K one has 8 million pixels


def start_display(folder: Path, screens: list) -> tuple:
    """An Xvfb display on a free number, with openbox; (display, processes)."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), *screens, "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=open(folder / "xvfb.log", "w"))
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        pytest.fail("Xvfb did not start: " + (folder / "xvfb.log").read_text())
    display = f":{number}"
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=display),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Windows mapped before the window manager runs are never given the focus.
    wait_until(lambda: "window id" in subprocess.run(
        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True,
        env=dict(os.environ, DISPLAY=display)).stdout, "openbox did not start", 30)
    return display, [wm, xvfb]


@pytest.fixture(scope="module", params=sorted(DISPLAYS))
def large_screen(request):
    folder = Path(tempfile.mkdtemp(prefix="velmora-large-"))
    processes = []
    saver = None
    try:
        display, processes = start_display(folder, DISPLAYS[request.param])
        saver = saver_on_display(folder, dict(os.environ, DISPLAY=display))
        yield request.param, saver
    finally:
        if saver:
            end_saver_on_display(saver)
        for process in processes:
            process.terminate()
            process.wait(timeout=30)
        shutil.rmtree(folder, ignore_errors=True)


def lit_pixels(saver: Saver, name: str, keep: bool) -> tuple:
    """A screenshot scaled down to SHOT_WIDTH pixels across: (lit pixels, all pixels)."""
    if keep:
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-window", "root", str(ARTIFACTS / f"{name}.png")], check=True, timeout=120,
                       env=saver.environ)
    shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True, timeout=120,
                          env=saver.environ).stdout
    data = subprocess.run(["convert", "png:-", "-scale", f"{SHOT_WIDTH}x", "-depth", "8", "rgb:-"], input=shot,
                          capture_output=True, check=True, timeout=120).stdout
    lit = sum(1 for i in range(0, len(data), 3) if data[i] + data[i + 1] + data[i + 2] > 48)
    return lit, len(data) // 3


def test_full_screen_keeps_the_lodge_in_view(large_screen):
    name, saver = large_screen
    saver.xdotool("mousemove", 20, 20)
    job = saver.start("/s", timeout_ms=300000)
    window = saver.wait_for_window("Screensaver", timeout=60)
    wait_until(lambda: lit_pixels(saver, f"large-{name}-start", keep=False)[0] > 0, "nothing was drawn", 120)
    # Thirty shots at least a second apart: half a minute or more of drift, however
    # slowly a loaded machine takes them.
    shown, dark = 0, []
    for shot in range(30):
        taken = time.monotonic()
        lit, total = lit_pixels(saver, f"large-{name}-{shot}", keep=shot in (0, 15))
        # The lodge covers several percent of the screen; a few lit pixels are not it.
        if lit >= total // 400:
            shown += 1
        else:
            dark.append(shot)
        time.sleep(max(0.0, 1.0 - (time.monotonic() - taken)))
    saver.key(window, "q")
    assert job.result(timeout=60).get("exit_hex") == "0x00000000"
    assert shown >= 0.95 * 30, f"the lodge was off screen in shots {dark} of 30"
