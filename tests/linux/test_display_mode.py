"""The velmora display mode as the xscreensaver daemon and a user run it: what the
screen shows, how a run ends (and that nothing of it stays behind), and what it makes
of its command line."""
import os
import re
import signal
import struct
import subprocess
import time
import xml.etree.ElementTree as ElementTree

import pytest

from conftest import (ROOT, VELMORA, OtherClientsWindow, VELMORA_XML, clear_root, environment_of, is_wood, shows_lodge,
                      wait_until)

XSCREENSAVER_SETTINGS = """\
mode:\t\tone
selected:\t0
lock:\t\tFalse
splash:\t\tFalse
fade:\t\tFalse
unfade:\t\tFalse
timeout:\t0:30:00
programs:\tGL: "Velmora Lodge" velmora -root \\n
"""


def command(run, *arguments):
    """An xscreensaver-command run as the daemon's user; its exit code."""
    code, _, err = run.run("xscreensaver-command", *arguments, as_user=True)
    return code == 0


def ended_cleanly(process, timeout=15):
    try:
        return process.wait(timeout) == 0
    except subprocess.TimeoutExpired:
        return False


@pytest.mark.parametrize("ending", ["deactivate", "key"])
def test_daemon_selects_the_lodge_and_ends_it(run, ending):
    (run.home / ".xscreensaver").write_text(XSCREENSAVER_SETTINGS)
    if os.geteuid() == 0:
        os.chown(run.home / ".xscreensaver", 65534, 65534)
    daemon = run.start("xscreensaver", "-no-splash", as_user=True)
    wait_until(lambda: command(run, "-time"), "the daemon answers xscreensaver-command")
    assert command(run, "-select", "1")

    modes = wait_until(run.velmora_processes, "the daemon starts velmora")
    run.wait_for_lodge(f"daemon-{ending}")
    # It draws in the window the daemon made for it.
    assert environment_of(modes[0]).get("XSCREENSAVER_WINDOW"), "the daemon hands its window over"
    assert len(run.private_folders()) == 1, "the lodge is unpacked into one private folder"

    if ending == "deactivate":
        assert command(run, "-deactivate")
        wait_until(lambda: not run.velmora_processes(), "velmora ends after -deactivate")
    else:
        # The daemon may let input pass unheeded for a moment after it blanks: keys
        # are pressed until it unblanks.
        def pressed_and_ended():
            subprocess.run(["xdotool", "key", "shift"], env=run.environment(), check=True, timeout=30)
            return not run.velmora_processes()
        wait_until(pressed_and_ended, "velmora ends after a key", interval=1)
    assert run.private_folders() == [], "the private folder goes with the run"
    assert command(run, "-exit")
    assert daemon.wait(15) == 0


@pytest.mark.parametrize("where", ["-root", "-window", "--window"])
def test_root_and_own_window_show_the_lodge(run, where):
    velmora = run.velmora(where)
    run.wait_for_lodge(f"run{where}")
    folders = run.private_folders()
    assert len(folders) == 1 and re.fullmatch(r"velmora-\w{6}", folders[0])
    assert oct(os.stat(run.tmp / folders[0]).st_mode & 0o777) == "0o700"
    velmora.send_signal(signal.SIGTERM)
    assert ended_cleanly(velmora), velmora.stderr.read()
    assert run.private_folders() == []


@pytest.mark.parametrize("mode,used", [(0o700, True), (0o777, False)])
def test_sigint_ends_it_too_and_xdg_runtime_dir_holds_the_lodge(run, tmp_path, mode, used):
    # The runtime folder is used only when no other user can write in it (where one
    # could swap the private folder for a link); then the temporary folder is.
    runtime = tmp_path / "runtime"
    runtime.mkdir()
    os.chmod(runtime, mode)
    velmora = run.velmora("-window", XDG_RUNTIME_DIR=str(runtime))
    run.wait_for_lodge("runtime-dir")
    assert (len(list(runtime.iterdir())), len(run.private_folders())) == ((1, 0) if used else (0, 1))
    velmora.send_signal(signal.SIGINT)
    assert ended_cleanly(velmora)
    assert list(runtime.iterdir()) == [] and run.private_folders() == []


def test_it_ends_when_its_window_goes_away(run):
    # A window of another client, drawn in through -window-id, then destroyed.
    other = OtherClientsWindow(run.display)
    try:
        velmora = run.velmora("-window-id", hex(other.id))
        run.wait_for_lodge("window-id")
    finally:
        other.destroy()
    assert ended_cleanly(velmora), "the window's end ends velmora with 0"
    assert run.private_folders() == []


def test_a_chosen_model_is_drawn_and_an_unusable_one_falls_back_to_the_lodge(run, tmp_path):
    # A large pure blue box: no wood anywhere while it is drawn.
    (tmp_path / "box.mtl").write_text("newmtl blue\nKd 0 0 1\n")
    corners = [(x, y, z) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]
    faces = ["1 2 4 3", "5 7 8 6", "1 5 6 2", "3 4 8 7", "1 3 7 5", "2 6 8 4"]
    (tmp_path / "box.obj").write_text("mtllib box.mtl\nusemtl blue\n" +
                                      "".join(f"v {x} {y} {z}\n" for x, y, z in corners) +
                                      "".join(f"f {f}\n" for f in faces))
    velmora = run.velmora("-window", "-model", str(tmp_path / "box.obj"))
    blue = lambda r, g, b: b > 150 and r < 40 and g < 40
    shot = run.wait_for_screen("chosen-model", lambda s: s.count(blue) > 5000, "the chosen blue box on screen")
    assert shot.count(is_wood) < 100, "the chosen model, not the lodge"
    velmora.send_signal(signal.SIGTERM)
    assert ended_cleanly(velmora)

    velmora = run.velmora("-window", "-model", str(tmp_path / "missing.obj"))
    run.wait_for_lodge("unusable-model")
    velmora.send_signal(signal.SIGTERM)
    assert ended_cleanly(velmora)
    assert "missing.obj" in velmora.stderr.read(), "it says that the chosen model was not drawn"


BAD_OPTIONS = [
    (["-xoff", "360"], "-xoff"), (["-yoff", "-1"], "-yoff"), (["-vel", "101"], "-vel"),
    (["-xrots", "0"], "-xrots"), (["-zrot", "361"], "-zrot"), (["-scale", "1001"], "-scale"),
    (["-scale", "0"], "-scale"), (["-scale", "12x"], "-scale"), (["-scale", ""], "-scale"),
    (["-scale", "99999999999999999999"], "-scale"), (["-vel"], "-vel"), (["--zrots", "+5"], "-zrots"),
    (["-frame-rate", "-1"], "-frame-rate"), (["-frame-rate", "1001"], "-frame-rate"),
    (["-window-id", "0"], "-window-id"), (["-window-id", "window"], "-window-id"), (["-window-id"], "-window-id"),
    (["-model"], "-model"), (["-display"], "-display"), (["-no-scale"], "-no-scale"), (["-bogus"], "-bogus"),
    (["-blur", "stray"], "stray"), (["-"], '"-"'),
]


@pytest.mark.parametrize("arguments,named", BAD_OPTIONS, ids=[" ".join(a) or "empty" for a, _ in BAD_OPTIONS])
def test_a_bad_option_names_itself_and_exits_2(run, arguments, named):
    code, out, err = run.run(str(VELMORA), *arguments)
    assert code == 2
    assert out == ""
    lines = err.splitlines()
    assert len(lines) == 1 and named in lines[0], err


def test_a_bad_daemon_window_is_refused_as_an_option_is(run):
    code, _, err = run.run(str(VELMORA), XSCREENSAVER_WINDOW="0xzz")
    assert code == 2 and "XSCREENSAVER_WINDOW" in err


def test_no_display_and_no_window_exit_1(run):
    assert run.run(str(VELMORA), "-display", ":9999")[0] == 1
    code, _, err = run.run(str(VELMORA), "-window-id", "0x1fffffff")
    assert code == 1 and "0x1fffffff" in err


def help_settings():
    """The settings --help lists: {option: (low, high, default)} for numbers,
    {option: None} for switches."""
    out = subprocess.run([str(VELMORA), "--help"], capture_output=True, text=True, check=True).stdout
    settings = out.split("\nSettings:\n", 1)[1].split("\n\n", 1)[0]
    found = {}
    for line in settings.splitlines():
        number = re.match(r"\s+(-[a-z]+) N\s.*?(\d+) to (\d+), default (\d+)$", line)
        switch = re.match(r"\s+(-[a-z]+), (-no-[a-z]+)(\s|$)", line)
        other = re.match(r"\s+(-[a-z-]+)\b", line)
        if number:
            found[number.group(1)] = tuple(int(number.group(k)) for k in (2, 3, 4))
        elif switch:
            found[switch.group(1)] = found[switch.group(2)] = None
        elif other:
            found[other.group(1)] = None
    return found


def test_the_xml_names_every_setting_option_help_lists_with_its_range():
    root = ElementTree.parse(VELMORA_XML).getroot()
    assert root.tag == "screensaver" and root.get("name") == "velmora"
    assert root.findtext("_description").strip()
    in_xml = {}
    for element in root:
        if element.tag == "number":
            option = element.get("arg").split()[0]
            assert element.get("arg") == option + " %"
            assert element.get("_label")
            in_xml[option] = tuple(int(element.get(k)) for k in ("low", "high", "default"))
        elif element.tag == "boolean":
            for attribute in ("arg-set", "arg-unset"):
                if element.get(attribute):
                    in_xml[element.get(attribute)] = None
        elif element.tag == "file":
            in_xml[element.get("arg").split()[0]] = None
    listed = help_settings()
    # A switch is named in the XML by the form that differs from its default.
    listed_switch_forms = {option for option, value in listed.items() if value is None and "-no-" in option}
    assert set(in_xml) == set(listed) - listed_switch_forms
    for option, limits in in_xml.items():
        assert limits == listed[option], option
    # Every slider's extremes are taken, one past them refused.
    for option, (low, high, _) in ((o, v) for o, v in in_xml.items() if v):
        assert subprocess.run([str(VELMORA), option, str(low), option, str(high), "--help"],
                              capture_output=True).returncode == 0, option
        for outside in (low - 1, high + 1):
            assert subprocess.run([str(VELMORA), option, str(outside)], capture_output=True).returncode == 2


def test_the_xml_labels_are_the_configuration_dialogs():
    """Each slider is captioned as the Windows dialog captions its trackbar (the
    caption line before its value label there), each check box as the dialog's."""
    script = (ROOT / "resources" / "velmora.rc").read_text(errors="replace")
    dialog = {}
    caption = None
    for text, control in re.findall(r'CONTROL\s+"([^"]*)",\s*(\w+(?:\s*-\s*1)?)', script):
        if control == "IDC_CAPTION":
            caption = text
        elif control.endswith("- 1"):
            dialog[control.split()[0][len("IDC_"):].lower()] = caption
        elif control in ("IDC_BLUR", "IDC_LIGHTING"):
            dialog[control[len("IDC_"):].lower()] = text
    root = ElementTree.parse(VELMORA_XML).getroot()
    in_xml = {e.get("id"): e.get("_label") for e in root if e.tag in ("number", "boolean") and e.get("id") in dialog}
    assert len(dialog) == 13 and in_xml == dialog


def big_stl(path):
    """A binary STL of 4,000,000 facets (200 MB): seconds of reading for the mode."""
    facet = struct.pack("<12fH", 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0)
    with open(path, "wb") as out:
        out.write(b"big".ljust(80, b" ") + struct.pack("<I", 4000000))
        for _ in range(4):
            out.write(facet * 1000000)


@pytest.mark.parametrize("when", ["lodge", "reading"])
def test_the_x_server_going_away_ends_it_with_1_and_leaves_nothing(run, tmp_path, when):
    # A display of the test's own, killed under the running mode: once while the lodge
    # is drawn, once while a big model is still being read.
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "640x480x24", "-nolisten", "tcp"],
                              pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    os.close(write)
    try:
        with os.fdopen(read) as numbers:
            run.display = ":" + numbers.readline().strip()
        if when == "lodge":
            velmora = run.velmora("-root")
            run.wait_for_lodge("display-lost")
        else:
            big_stl(tmp_path / "big.stl")
            velmora = run.velmora("-root", "-model", str(tmp_path / "big.stl"))
            wait_until(run.private_folders, "the run has started")
    finally:
        server.kill()
        server.wait()
    assert velmora.wait(30) == 1, "exit code 1, not a signal's"
    assert "the connection to the X display was lost" in velmora.stderr.read()
    assert run.private_folders() == [], "the private folder goes with the run"


def test_the_frame_rate_options_reach_the_drawing(run):
    # -fps shows the frame-rate text at the top left once 20 frames are drawn; -frame-rate
    # caps the frames. Without -fps the corner stays free of the text's white.
    white = lambda r, g, b: r > 230 and g > 230 and b > 230

    def corner_white(shot):
        p, count = shot.pixels, 0
        for y in range(0, 40):
            row = y * shot.width * 3
            count += sum(1 for x in range(0, 320) if all(v > 230 for v in p[row + 3 * x:row + 3 * x + 3]))
        return count

    velmora = run.velmora("-root", "-fps", "-frame-rate", "12", VELMORA_TRACE="1")
    run.wait_for_screen("fps-text", lambda s: corner_white(s) > 50, "the frame-rate text at the top left")
    time.sleep(1.5)
    velmora.send_signal(signal.SIGTERM)
    assert ended_cleanly(velmora)
    trace = velmora.stderr.read()
    assert "paced at 12 frames a second" in trace
    frames, seconds = re.search(r"(\d+) frames in ([\d.]+) s", trace).groups()
    # Unpaced, llvmpipe draws this lodge at well over a hundred a second.
    assert int(frames) <= 12 * float(seconds) + 3, f"{frames} frames in {seconds} s: not capped at 12"

    clear_root(run.display)  # the root keeps the last run's picture
    velmora = run.velmora("-root")
    shot = run.wait_for_lodge("no-fps-text")
    assert corner_white(shot) == 0 and shot.count(white) < 50, "no frame-rate text without -fps"
    velmora.send_signal(signal.SIGTERM)
    assert ended_cleanly(velmora)
