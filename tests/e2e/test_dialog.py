"""The configuration dialog and its About box as a user meets them: opened by the
configuration command lines, pressed with real mouse clicks, kept as screenshots."""
from pathlib import Path

import pytest

from conftest import Screen, wait_until

BANNER = Path(__file__).resolve().parents[2] / "resources" / "banner.bmp"

DIALOG = "Quillet Screensaver Config"
DEFAULTS = {"xoff": 134, "yoff": 0, "zoff": 0, "vel": 20, "xrot": 0, "xrots": 1, "yrot": 0, "yrots": 1,
            "zrot": 360, "zrots": 20, "scale": 100, "blur": 0, "lighting": 0, "Monitors": 0}
TRACKBARS = {122, 124, 126, 132, 134, 141, 136, 143, 138, 145, 147}


def controls(saver, title: str) -> list:
    """The dialog's child controls: id, class, screen box, the size their text needs, text."""
    report = saver.helper("controls", title)
    assert report.get("found") == "1", report
    found = []
    for i in range(int(report["controls"])):
        fields = report[f"control.{i}"].split("|", 8)
        found.append({"id": int(fields[0]), "class": fields[1].lower(),
                      "box": tuple(int(v) for v in fields[2:6]),
                      "need": (int(fields[6]), int(fields[7])), "text": fields[8]})
    return found


def control(items: list, control_id: int) -> dict:
    return next(c for c in items if c["id"] == control_id)


def click(saver, title: str, control_id: int):
    """Clicks the middle of a control, once the pointer is over the window titled
    `title` (and no other window covers the control)."""
    window = saver.wait_for_window(title)
    left, top, right, bottom = control(controls(saver, title), control_id)["box"]
    saver.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
    wait_until(lambda: saver.pointer_over(window),
               f"the pointer is over window {saver.pointer()[2]}, not {title!r} ({window})", timeout=10)
    saver.xdotool("click", "1")


def wait_until_closed(saver, title: str):
    wait_until(lambda: saver.helper("find", "#32770", title).get("count") == "0", f"{title!r} stayed open")


def label_text(saver, control_id: int) -> str:
    return control(controls(saver, DIALOG), control_id)["text"]


def clipped(items: list) -> list:
    """Texts that do not fit their control. Check boxes give up room to their box and
    group boxes to their frame."""
    bad = []
    for c in items:
        if not c["text"] or c["text"].startswith("#") or c["class"] != "static" and c["class"] != "button":
            continue
        left, top, right, bottom = c["box"]
        width, height = right - left, bottom - top
        room = width - 20 if c["text"] in ("Motion Blur", "Lighting", "Centering", "Movement") else width
        if c["need"][0] > room or c["need"][1] > height:
            bad.append((c["id"], c["text"], c["need"], (width, height)))
    return bad


def banner_differences(shot: Screen, box: tuple, banner: Screen) -> int:
    """Sampled pixels where the screen differs from the banner picture at the bitmap
    control's place."""
    left, top = box[0], box[1]
    assert (box[2] - left, box[3] - top) == (banner.width, banner.height)
    differing = 0
    for y in range(0, banner.height, 3):
        for x in range(0, banner.width, 3):
            if max(abs(a - b) for a, b in zip(shot.pixel(left + x, top + y), banner.pixel(x, y))) > 8:
                differing += 1
    return differing


def assert_banner_shown(saver, name: str, box: tuple, banner: Screen):
    """Screenshots (kept as `name`) until the banner has been painted, pixel for pixel."""
    wait_until(lambda: banner_differences(saver.screen_pixels(name), box, banner) == 0,
               f"the banner is not on the screen in {name}")


@pytest.mark.parametrize("args", [[], ["/c"], ["-C:1234"], ["//", "-"]],
                         ids=["empty", "c", "c-with-handle", "separators-only"])
def test_ok_ends_with_one_and_writes_every_value(saver, args):
    job = saver.start(*args)
    saver.wait_for_window(DIALOG)
    click(saver, DIALOG, 1)
    assert job.result().get("exit_hex") == "0x00000001"
    assert saver.reg_values() == DEFAULTS


@pytest.mark.parametrize("args", [[], ["/c"]], ids=["empty", "c"])
def test_cancel_ends_with_two_and_writes_nothing(saver, args):
    job = saver.start(*args)
    saver.wait_for_window(DIALOG)
    click(saver, DIALOG, 150)  # Default changes only the dialog
    click(saver, DIALOG, 2)
    assert job.result().get("exit_hex") == "0x00000002"
    assert saver.reg_values() is None


def test_stored_values_show_clamped_and_are_saved_from_the_controls(saver):
    for name, value in {"xoff": 400, "scale": 0, "blur": 2, "lighting": 1, "Monitors": 2}.items():
        saver.reg_set_dword(name, value)
    job = saver.start("/c")
    saver.wait_for_window(DIALOG)
    items = controls(saver, DIALOG)
    assert control(items, 121)["text"] == "400"
    assert control(items, 146)["text"] == "0"
    click(saver, DIALOG, 147)  # a click on the channel pages the thumb from 1 towards the pointer
    wait_until(lambda: label_text(saver, 146) == "6", "the scale label did not follow the thumb")
    click(saver, DIALOG, 148)  # Motion Blur, shown unchecked for 2, becomes checked
    click(saver, DIALOG, 1)
    assert job.result().get("exit_hex") == "0x00000001"
    assert saver.reg_values() == dict(DEFAULTS, xoff=359, scale=6, blur=1, lighting=1, Monitors=2)


def test_dialog_and_about_box_look_right(saver):
    saver.reg_set_dword("vel", 55)
    job = saver.start("/c")
    saver.wait_for_window(DIALOG)
    items = controls(saver, DIALOG)
    assert {c["id"] for c in items if c["class"] == "msctls_trackbar32"} == TRACKBARS
    assert control(items, 131)["text"] == "55"
    assert clipped(items) == []
    banner = Screen(BANNER)
    assert_banner_shown(saver, "config-dialog", control(items, 101)["box"], banner)

    click(saver, DIALOG, 151)
    saver.wait_for_window("About")
    about = controls(saver, "About")
    assert control(about, 504)["text"] == r"\nVelmora Lodge Screensaver\n\n2026"
    assert clipped(about) == []
    assert_banner_shown(saver, "about-dialog", control(about, 101)["box"], banner)
    click(saver, "About", 1)
    wait_until_closed(saver, "About")

    assert label_text(saver, 131) == "55", "the pending values are untouched"
    click(saver, DIALOG, 2)
    assert job.result().get("exit_hex") == "0x00000002"
