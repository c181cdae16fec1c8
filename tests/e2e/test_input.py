"""Input that ends, or does not end, a real run of velmora.scr.

Xvfb here runs the openbox window manager (see tools/testenv.sh). Without one, Wine
sends no WM_ACTIVATEAPP deactivation at start either; the full-screen run left alone
below checks that no spurious deactivation ends a run on this display.
"""
import time


def start_full_screen(saver):
    job = saver.start("/s")
    saver.wait_for_window("Screensaver")
    time.sleep(1.0)  # the platform's own start-up mouse move has arrived by now
    return job


def test_full_screen_run_survives_its_start_and_idle_time(saver):
    job = start_full_screen(saver)
    time.sleep(3)
    assert not job.finished(), job.result()
    saver.screenshot("full-screen-idle")
    saver.xdotool("mousemove_relative", "--", 50, 0)
    assert job.result().get("exit_hex") == "0x00000000"


def test_pointer_crawling_four_pixels_at_a_time_never_ends_it(saver):
    job = start_full_screen(saver)
    for _ in range(15):
        saver.xdotool("mousemove_relative", "--", 2, 2)  # |dx| + |dy| = 4
        time.sleep(0.1)
    time.sleep(0.5)
    assert not job.finished(), job.result()
    saver.xdotool("mousemove_relative", "--", 3, 2)  # 5: ends the run
    assert job.result().get("exit_hex") == "0x00000000"


def test_s_and_f4_do_not_end_the_run_other_keys_do(saver):
    job = start_full_screen(saver)
    for key in ("s", "F4", "s"):  # "S" would press Shift, which ends the run
        saver.xdotool("key", key)
        time.sleep(0.3)
    time.sleep(0.5)
    assert not job.finished(), job.result()
    saver.xdotool("key", "space")
    assert job.result().get("exit_hex") == "0x00000000"


def test_mouse_button_ends_the_run(saver):
    job = start_full_screen(saver)
    saver.xdotool("click", 1)
    assert job.result().get("exit_hex") == "0x00000000"


def test_close_from_another_program_before_input_is_dropped(saver):
    job = start_full_screen(saver)
    report = saver.helper("post", "WindowsScreenSaverClass", "Screensaver", "0x10", 0, 0)  # WM_CLOSE
    assert report.get("found") == "1"
    time.sleep(1.5)
    assert not job.finished(), job.result()
    saver.xdotool("key", "Return")
    assert job.result().get("exit_hex") == "0x00000000"


def test_windowed_run_ignores_input_and_closes_by_its_close_box_after_two_moves(saver):
    saver.xdotool("mousemove", 900, 700)  # outside the window (100,100 to 612,580)
    job = saver.start("/w")
    window = saver.wait_for_window("Windowed Screensaver")
    time.sleep(1.0)
    saver.xdotool("windowactivate", "--sync", window)
    saver.xdotool("key", "alt+F4")  # the window manager's close, as the close box does
    time.sleep(1.0)
    assert not job.finished(), "closed before any mouse move"
    for key in ("x", "Escape", "s"):
        saver.xdotool("key", "--window", window, key)
    saver.xdotool("mousemove", 300, 300)
    time.sleep(0.3)
    saver.xdotool("mousemove", 360, 340)
    time.sleep(0.3)
    saver.xdotool("click", 1)
    time.sleep(0.5)
    assert not job.finished(), job.result()
    saver.screenshot("windowed")
    saver.xdotool("key", "alt+F4")
    assert job.result().get("exit_hex") == "0x00000000"
