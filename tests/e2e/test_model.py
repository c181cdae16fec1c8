"""The default model on screen: the unpacked lodge, textured, in every saver mode;
the cube when it cannot be unpacked."""
import time

from test_scene import is_black, is_cube_colour


def textured_share(shot, box=None):
    """Drawn pixels, and the share of them that are none of the cube's flat colours."""
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b), box)
    textured = shot.count(lambda r, g, b: not is_black(r, g, b) and not is_cube_colour(r, g, b), box)
    return drawn, (textured / drawn if drawn else 0.0)


def show(saver, args, title, name, env=None, **settings):
    for key, value in settings.items():
        saver.reg_set_dword(key, value)
    job = saver.start(*args, env=env)
    saver.wait_for_window(title)
    time.sleep(2.5)
    shot = saver.screen_pixels(name)
    return job, shot


def end(saver, job):
    saver.xdotool("key", "q")
    assert job.result().get("exit_hex") == "0x00000000"


def test_full_screen_shows_the_textured_lodge(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "lodge-full-screen")
    end(saver, job)
    drawn, textured = textured_share(shot)
    assert drawn > 20000
    assert textured > 0.95, "texture colours, not the cube's"


def test_windowed_run_shows_the_lodge(saver):
    saver.xdotool("mousemove", 900, 700)
    job, shot = show(saver, ["/w"], "Windowed Screensaver", "lodge-windowed")
    saver.xdotool("mousemove", 300, 300)
    saver.xdotool("mousemove", 320, 310)
    time.sleep(0.3)
    saver.xdotool("key", "alt+F4")
    assert job.result().get("exit_hex") == "0x00000000"
    drawn, textured = textured_share(shot, (100, 100, 612, 580))
    assert drawn > 5000
    assert textured > 0.95


def test_preview_shows_the_lodge(saver):
    job = saver.start_preview(hold_ms=4500)
    parent = saver.wait_for_window("Preview Parent")
    time.sleep(2.5)
    shot = saver.screen_pixels("lodge-preview")
    left, top, right, bottom = saver.window_box(parent)
    report = job.result()
    assert report.get("child") == "1" and report.get("exit_hex") == "0x00000000", report
    # Inside the parent's client area, clear of any frame.
    drawn, textured = textured_share(shot, (left + 20, top + 40, right - 20, bottom - 20))
    assert drawn > 300
    assert textured > 0.9


def test_lighting_and_blur_runs_of_the_lodge(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "lodge-lighting-blur", lighting=1, blur=1)
    end(saver, job)
    drawn, textured = textured_share(shot)
    assert drawn > 20000
    assert textured > 0.9


def test_cube_shows_when_temp_cannot_be_used(saver):
    job, shot = show(saver, ["/s"], "Screensaver", "cube-without-temp", env=r"TEMP=C:\no\such\folder")
    end(saver, job)
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b))
    assert shot.count(is_cube_colour) > 0.95 * drawn
