"""What a running saver shows: screenshots of the Xvfb screen during full-screen runs
of the coloured cube, which is drawn when no model loads (here: TEMP names no folder,
so the default model is not unpacked)."""

CUBE_COLOURS = {(0, 255, 0), (255, 128, 0), (255, 0, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255)}


def near(a, b, tolerance=3):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def is_cube_colour(r, g, b):
    return any(near((r, g, b), c) for c in CUBE_COLOURS)


def is_black(r, g, b):
    return r < 8 and g < 8 and b < 8


def is_neutral(r, g, b):
    """Grey of any lightness: a window's background or a dialog's face, not a
    shaded or blended face of the cube."""
    return max(r, g, b) - min(r, g, b) <= 12


def is_wood(r, g, b):
    """The warm browns of the lodge's logs, boards and shingles (its texture runs from
    about (67, 50, 41) to (132, 87, 48)): red over green over blue. Neither black, nor
    grey, nor any of the cube's saturated faces passes."""
    return 50 <= r < 250 and r >= g + 8 and g >= b + 4 and r - b >= 24


NO_MODEL = r"TEMP=C:\no\such\folder"


def start(saver, **settings):
    """A full-screen run of the cube with `settings`, once the cube is on screen."""
    for name, value in settings.items():
        saver.reg_set_dword(name, value)
    job = saver.start("/s", env=NO_MODEL)
    job.window = saver.wait_for_window("Screensaver")
    saver.wait_for_screen("cube-start", lambda shot: shot.count(lambda r, g, b: not is_black(r, g, b)) > 2000)
    return job


def end(saver, job):
    saver.key(job.window, "q")
    assert job.result().get("exit_hex") == "0x00000000"


def test_cube_shows_its_colours_and_moves(saver):
    job = start(saver)
    first = saver.screen_pixels("cube-1")
    second = saver.wait_for_screen("cube-2", lambda shot: shot.data != first.data)
    end(saver, job)
    drawn = first.count(lambda r, g, b: not is_black(r, g, b))
    flat = first.count(is_cube_colour)
    assert drawn > 20000, "the cube covers a good part of the screen"
    assert flat > 0.95 * drawn, "without lighting every face is one flat colour"
    assert first.data != second.data, "the cube turns and drifts between two shots"


def test_lighting_shades_the_faces(saver):
    job = start(saver, lighting=1)
    shot = saver.screen_pixels("cube-lighting")
    end(saver, job)
    drawn = shot.count(lambda r, g, b: not is_black(r, g, b))
    flat = shot.count(is_cube_colour)
    shaded = shot.count(lambda r, g, b: not is_black(r, g, b) and not is_cube_colour(r, g, b)
                        and not is_neutral(r, g, b))
    assert drawn > 20000
    assert flat < 0.5 * drawn, "lit faces are shaded, not their flat colours"
    assert shaded > 0.5 * drawn, "shades of the faces' colours, not grey"


def test_blur_draws_a_trail(saver):
    # A fast drift and turn leave a visible trail behind the cube.
    job = start(saver, blur=1, vel=100, zrots=100, scale=50)
    drawn = lambda shot: shot.count(lambda r, g, b: not is_black(r, g, b))
    # The trail weighs the poses: dimmer colours that are no face's flat colour; no
    # exact levels are assumed.
    blended = lambda shot: shot.count(lambda r, g, b: not is_black(r, g, b) and not is_cube_colour(r, g, b)
                                      and not is_neutral(r, g, b))
    # The trail grows over the first ten frames.
    shot = saver.wait_for_screen("cube-blur", lambda shot: blended(shot) > 0.1 * drawn(shot))
    end(saver, job)
    assert drawn(shot) > 2000
    assert blended(shot) > 0.1 * drawn(shot), (blended(shot), drawn(shot))


def test_s_shows_the_frame_rate_text_at_the_top_left(saver):
    job = start(saver, scale=10)  # a small cube keeps clear of the corner
    corner = (0, 0, 260, 40)
    whitish = lambda r, g, b: r > 150 and g > 150 and b > 150
    before = saver.screen_pixels("frame-rate-off").count(whitish, corner)
    saver.key(job.window, "s")
    # The text shows once 20 frames have been counted after the key.
    after = saver.wait_for_screen("frame-rate-on", lambda shot: shot.count(whitish, corner) > 100).count(
        whitish, corner)
    end(saver, job)
    assert before == 0
    assert after > 100, "white text in the top-left corner"
