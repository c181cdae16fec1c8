"""The default model on screen: the unpacked lodge, textured, in every saver mode;
the cube when it cannot be unpacked."""
import re
import subprocess
import time
from pathlib import Path

from conftest import wait_until
from test_scene import is_black, is_cube_colour, is_wood


def lodge_share(shot, box=None):
    """Drawn pixels, the share of them in the lodge's wood tones, and the share in the
    cube's flat colours. A grey background or window frame counts as drawn, not as wood."""
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b), box)
    wood = shot.count(is_wood, box)
    cube = shot.count(is_cube_colour, box)
    return drawn, (wood / drawn if drawn else 0.0), (cube / drawn if drawn else 0.0)


def lodge_drawn(shot, box=None) -> bool:
    drawn, wood, _ = lodge_share(shot, box)
    return drawn > 5000 and wood > 0.5


def show(saver, args, title, name, env=None, trace=None, ready=lodge_drawn, **settings):
    """Starts a run with `settings` and waits for its window and for a screenshot in
    which `ready(shot, box)` holds (by default: the lodge is drawn), box being the
    window's place on the screen; the window's X id is kept as `job.window`."""
    for key, value in settings.items():
        saver.reg_set_dword(key, value)
    job = saver.start(*args, env=env, trace=trace)
    job.window = saver.wait_for_window(title)
    box = saver.window_box(job.window)
    shot = saver.wait_for_screen(name, lambda shot: ready(shot, box))
    return job, shot


def end(saver, job):
    """Ends a full-screen run with a key press, sure that its window takes it."""
    saver.key(job.window, "q")
    assert job.result().get("exit_hex") == "0x00000000"


def close_windowed(saver, job):
    """Closes a windowed run as a user does: the pointer crosses the window (two
    mouse-move messages, which it takes to arm the close), then Alt+F4 to the window
    manager. Each move is waited for until the saver has taken it: two moves that
    arrive together are merged into one message, and the close would be dropped."""
    left, top, right, bottom = saver.window_box(job.window)
    saver.xdotool("mousemove", left + 100, top + 100)
    job.wait_for_trace("Saver window: first mouse move")
    saver.xdotool("mousemove", left + 120, top + 110)
    job.wait_for_trace("Saver window: second mouse move, close armed")
    saver.key(job.window, "alt+F4", activate=True)
    assert job.result().get("exit_hex") == "0x00000000"


def test_full_screen_shows_the_textured_lodge(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "lodge-full-screen")
    end(saver, job)
    drawn, wood, cube = lodge_share(shot)
    assert drawn > 20000
    assert wood > 0.5 and cube < 0.02, "the lodge's wood, not the cube's colours"


def test_windowed_run_shows_the_lodge(saver):
    saver.xdotool("mousemove", 900, 700)  # outside the window: no move reaches it at its start
    job, shot = show(saver, ["/w"], "Windowed Screensaver", "lodge-windowed")
    client = saver.window_box(job.window)
    close_windowed(saver, job)
    # The client area only: the window's frame and caption are no part of the model.
    drawn, wood, cube = lodge_share(shot, client)
    assert drawn > 5000
    assert wood > 0.5 and cube < 0.02


def wood_in_shots(saver, name, box, count=12, interval=0.5):
    """Wood pixels within `box` in each of `count` screenshots, `interval` s apart."""
    found = []
    for i in range(count):
        found.append(saver.screen_pixels(f"{name}-{i}").count(is_wood, box))
        time.sleep(interval)
    return found


def test_windowed_run_follows_its_size(saver):
    # At the top speed the lodge crosses a wide view within a few seconds.
    saver.xdotool("mousemove", 1000, 750)
    job, _ = show(saver, ["/w"], "Windowed Screensaver", "resize-start", vel=100)
    saver.xdotool("windowmove", job.window, 0, 0)
    saver.xdotool("windowsize", job.window, 1000, 720)
    left, top, right, bottom = wait_until(lambda: (lambda b: b if b[2] - b[0] >= 990 else None)(
        saver.window_box(job.window)), "the window takes its new size")
    # Drawn beyond the width of the window it started in, wherever its old view stood.
    beyond = wood_in_shots(saver, "resize-larger", (left + 560, top, right, bottom))
    assert max(beyond) > 1500, beyond

    saver.xdotool("windowsize", job.window, 320, 260)
    left, top, right, bottom = wait_until(lambda: (lambda b: b if b[2] - b[0] <= 330 else None)(
        saver.window_box(job.window)), "the window takes its new size")
    # Smaller: the lodge stays in sight in every shot, not drifting out of the view.
    inside = wood_in_shots(saver, "resize-smaller", (left, top, right, bottom))
    assert min(inside) > 300, inside
    close_windowed(saver, job)


def test_preview_runs_in_the_background_until_its_parent_goes(saver):
    # Wine does not bring the GL content of a child window that another process owns
    # to the X screen: the parent's grey shows where the lodge is drawn. That the
    # preview draws the lodge is read back in-process (tests/win32/preview_test.cpp);
    # here the screenshot is only kept, and the parent's grey is never taken for it.
    job = saver.start_preview(hold_ms=4500)
    saver.wait_for_window("Preview Parent")
    saver.screenshot("lodge-preview")
    report = job.result()
    assert report.get("child") == "1" and report.get("child_size") == "320x240", report
    assert int(report["child_style"], 16) & 0x52000000 == 0x52000000, report
    assert report.get("exit_hex") == "0x00000000", report
    assert report.get("ended_early") == "0", report


def test_lighting_and_blur_runs_of_the_lodge(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "lodge-lighting-blur", lighting=1, blur=1)
    end(saver, job)
    drawn, wood, cube = lodge_share(shot)
    assert drawn > 20000
    assert wood > 0.5 and cube < 0.02


def cube_drawn(shot, box=None) -> bool:
    return shot.count(is_cube_colour, box) > 5000


def test_cube_shows_when_temp_cannot_be_used(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "cube-without-temp", env=r"TEMP=C:\no\such\folder",
                     ready=cube_drawn)
    end(saver, job)
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b))
    assert shot.count(is_cube_colour) > 0.95 * drawn


def test_without_temp_the_lodge_is_unpacked_into_the_system_temporary_folder(saver, tmp_path):
    trace = tmp_path / "trace.log"
    started = time.time()
    job, shot = show(saver, ["/s"], "Screensaver", "lodge-without-temp", env="TEMP=", trace=trace)
    end(saver, job)
    drawn, wood, cube = lodge_share(shot)
    assert drawn > 20000
    assert wood > 0.5 and cube < 0.02, "the lodge, not the cube"
    # Wine writes each debug string escaped: backslashes doubled, within quotes.
    found = re.search(r'Will extract zip file to ([^"\n]+)"', trace.read_text(errors="replace"))
    assert found, "no unpacking traced"
    folder = found.group(1).replace("\\\\", "\\")
    assert folder, "an empty folder was traced"
    unix = subprocess.run([saver.wine, "winepath", "-u", folder], capture_output=True, text=True,
                          env=saver.environ).stdout.strip()
    for name in ("Texture.jpg", "VLG.3DS"):
        assert (Path(unix) / name).is_file(), f"{name} is not in {folder}"
        # Written by this run (the archive's times are given to the file, but its
        # status change time is the moment it was made).
        assert (Path(unix) / name).stat().st_ctime >= started - 1, name
