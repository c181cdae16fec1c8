"""Input that ends, or does not end, a real run of velmora.scr.

Xvfb here runs the openbox window manager (see tools/testenv.sh). Without one, Wine
sends no WM_ACTIVATEAPP deactivation at start either; the full-screen run left alone
below checks that no spurious deactivation ends a run on this display.

Every input is sent only once the saver is ready for it: keys once its window has the
focus, a mouse move once the saver has traced the one before (moves that arrive
together are merged into one message, which would measure another distance).
"""
import time


def start_full_screen(saver):
    job = saver.start("/s")
    job.window = saver.wait_for_window("Screensaver")
    job.wait_for_trace("Saver window: first mouse move")  # the platform's own, at start-up
    return job


def move_by(saver, job, dx: int, dy: int):
    """Moves the pointer and waits until the saver has taken that move."""
    x, y, _ = saver.pointer()
    saver.xdotool("mousemove_relative", "--", dx, dy)
    job.wait_for_trace(f"Saver window: mouse move to {x + dx},{y + dy}")


def test_full_screen_run_survives_its_start_and_idle_time(saver):
    job = start_full_screen(saver)
    time.sleep(3)  # nothing happens meanwhile that may end the run
    assert not job.finished(), job.result()
    saver.screenshot("full-screen-idle")
    saver.xdotool("mousemove_relative", "--", 50, 0)
    assert job.result().get("exit_hex") == "0x00000000"


def test_pointer_crawling_four_pixels_at_a_time_never_ends_it(saver):
    job = start_full_screen(saver)
    for _ in range(15):
        move_by(saver, job, 2, 2)  # |dx| + |dy| = 4
    assert not job.finished(), job.result()
    saver.xdotool("mousemove_relative", "--", 3, 2)  # 5: ends the run
    assert job.result().get("exit_hex") == "0x00000000"


def test_s_and_f4_do_not_end_the_run_other_keys_do(saver):
    job = start_full_screen(saver)
    for key in ("s", "F4", "s"):  # "S" would press Shift, which ends the run
        saver.key(job.window, key)
    # Each key toggles the frame-rate text; the toggles have been handled once the
    # text is on screen (an odd number of presses).
    saver.wait_for_screen("frame-rate-keys", lambda shot: shot.count(
        lambda r, g, b: r > 150 and g > 150 and b > 150, (0, 0, 260, 40)) > 100)
    assert not job.finished(), job.result()
    saver.key(job.window, "space")
    assert job.result().get("exit_hex") == "0x00000000"


def test_mouse_button_ends_the_run(saver):
    job = start_full_screen(saver)
    # Wine holds the pointer of a full-screen window in a screen-wide input window of
    # its own: the click reaches the saver whatever X reports under the pointer.
    saver.xdotool("click", 1)
    assert job.result().get("exit_hex") == "0x00000000"


def test_close_from_another_program_before_input_is_dropped(saver):
    job = saver.start("/s")
    job.window = saver.wait_for_window("Screensaver")
    report = saver.helper("post", "WindowsScreenSaverClass", "Screensaver", "0x10", 0, 0)  # WM_CLOSE
    assert report.get("found") == "1"
    job.wait_for_trace("Saver window: close dropped, no input yet")
    assert not job.finished(), job.result()
    saver.key(job.window, "Return")
    assert job.result().get("exit_hex") == "0x00000000"


def test_windowed_run_ignores_input_and_closes_by_its_close_box_after_two_moves(saver):
    saver.xdotool("mousemove", 900, 700)  # outside the window (100,100 to 612,580)
    job = saver.start("/w")
    window = saver.wait_for_window("Windowed Screensaver")
    saver.key(window, "alt+F4", activate=True)  # the window manager's close, as the close box does
    job.wait_for_trace("Saver window: close dropped, no input yet")
    assert not job.finished(), "closed before any mouse move"
    for key in ("x", "Escape", "s"):
        saver.xdotool("key", "--window", window, key)
    saver.xdotool("mousemove", 300, 300)
    job.wait_for_trace("Saver window: mouse move to 300,300")
    saver.xdotool("mousemove", 360, 340)
    job.wait_for_trace("Saver window: mouse move to 360,340")
    saver.xdotool("click", 1)
    time.sleep(0.5)  # a click that ended the run would have done so by now
    assert not job.finished(), job.result()
    saver.screenshot("windowed")
    saver.key(window, "alt+F4", activate=True)
    assert job.result().get("exit_hex") == "0x00000000"
