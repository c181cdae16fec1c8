"""A model of two million triangles as the user's own: the saver answers input from
its first moment while it reads the model, shows black (not the lodge, not the cube)
until the model is ready, then draws it."""
import time

import pytest

from conftest import winpath
from test_model import end, lodge_share
from test_scene import is_black

STEADY = {"xoff": 0, "yoff": 0, "zoff": 0, "xrot": 0, "yrot": 0, "zrot": 0, "vel": 0}
# 2 x 1000 x 1000 = 2,000,000 triangles: read in under two seconds under Wine, still
# long enough for a key to come while it is read.
CELLS = 1000


@pytest.fixture(scope="module")
def grid_model(tmp_path_factory):
    """A flat grid facing the viewer, as an OBJ file (about 60 MB)."""
    path = tmp_path_factory.mktemp("large") / "grid.obj"
    row = CELLS + 1
    with open(path, "w") as out:
        out.writelines(f"v {x} {y} 0\n" for y in range(row) for x in range(row))
        for y in range(CELLS):
            out.writelines(f"f {a} {a + 1} {a + row + 1}\nf {a} {a + row + 1} {a + row}\n"
                           for a in range(y * row + 1, y * row + 1 + CELLS))
    return path


def is_white(r, g, b):
    return r > 200 and g > 200 and b > 200


def start_with(saver, model):
    saver.reg_set_text("ModelFile", winpath(model))
    for key, value in STEADY.items():
        saver.reg_set_dword(key, value)
    job = saver.start("/s")
    job.window = saver.wait_for_window("Screensaver")
    return job


def test_a_key_half_a_second_after_the_start_ends_the_run_at_once(saver, grid_model):
    job = start_with(saver, grid_model)
    time.sleep(0.5)
    assert not job.traced("Loaded the chosen model"), "the model is still being read when the key comes"
    saver.focus(job.window)
    sent = time.monotonic()
    saver.xdotool("key", "q")
    job.process.wait(timeout=60)
    took = time.monotonic() - sent
    assert job.result().get("exit_hex") == "0x00000000"
    assert took < 1.0, f"the run ended {took:.1f} s after the key"


def test_the_screen_is_black_while_the_model_is_read_then_shows_it(saver, grid_model):
    job = start_with(saver, grid_model)
    early = saver.screen_pixels("large-model-reading")
    if not job.traced("Loaded the chosen model"):
        drawn, wood, cube = lodge_share(early)
        assert drawn < 100, f"black while the model is read: {drawn} pixels drawn ({wood:.0%} wood, {cube:.0%} cube)"
    job.wait_for_trace("Loaded the chosen model", timeout=120)
    shot = saver.wait_for_screen("large-model-ready", lambda shot: shot.count(is_white) > 20000, timeout=120)
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b))
    assert shot.count(is_white) > drawn * 0.9, "the grid, white without a material, is what is drawn"
    end(saver, job)
