"""Settings as a running saver sees them: the registry key is only read, and
"FrameRateLimit" paces a full-screen run."""
import os
import re
import subprocess
import time

from conftest import wait_until, winpath
from test_model import show
from test_scene import is_wood


def key_exists(saver) -> bool:
    result = subprocess.run([saver.wine, "reg", "query", r"HKCU\Software\VLG"], capture_output=True, timeout=60)
    return result.returncode == 0


def run_for(saver, seconds: float) -> dict:
    job = saver.start("/s")
    window = saver.wait_for_window("Screensaver")
    time.sleep(seconds)  # the run's length is the point
    saver.key(window, "q")
    return job.result()


def cpu_seconds(pid: int) -> float:
    """User and system time of a Linux process (Wine runs each Windows process as one)."""
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def busy_share(saver, seconds: float) -> float:
    """CPU seconds per second of a full-screen run, measured after its start-up."""
    # Started up once the (small) lodge is on screen.
    job, _ = show(saver, ["/s"], "Screensaver", "busy-share", ready=lambda shot, box: shot.count(is_wood) > 20)
    pid = int(subprocess.run(["pgrep", "-f", "^" + re.escape(winpath(saver.scr)) + " /s"], capture_output=True,
                             text=True).stdout.split()[0])
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    share = (cpu_seconds(pid) - before) / (time.monotonic() - start)
    saver.key(job.window, "q")
    assert job.result().get("exit_hex") == "0x00000000"
    return share


def test_a_run_without_the_key_creates_none(saver):
    assert not key_exists(saver)
    report = run_for(saver, 1.5)
    assert report.get("exit_hex") == "0x00000000"
    assert not key_exists(saver)


def frames_drawn(saver, seconds: float) -> int:
    """Buffer swaps of a full-screen run in `seconds` after its start-up, counted from
    Wine's own trace of them, so the saver is measured unchanged."""
    trace = saver.scr.parent / "test-results-wgl.log"
    with open(trace, "w") as log:
        process = subprocess.Popen([saver.wine, str(saver.scr), "/s"], stdout=subprocess.DEVNULL, stderr=log,
                                   env=dict(os.environ, WINEDEBUG="+timestamp,+wgl"))
        try:
            window = saver.wait_for_window("Screensaver")
            # Started up once frames are being swapped.
            wait_until(lambda: b"wglSwap" in trace.read_bytes(), "the saver swapped no frame")
            start = time.monotonic()
            offset = os.path.getsize(trace)
            time.sleep(seconds)
            elapsed = time.monotonic() - start
            end_offset = os.path.getsize(trace)
            saver.key(window, "q")
            process.wait(timeout=30)
        finally:
            if process.poll() is None:
                process.kill()
    with open(trace, "rb") as log:
        log.seek(offset)
        window = log.read(end_offset - offset)
    trace.unlink()
    return round(window.count(b"wglSwap") / elapsed * seconds)


def test_without_a_limit_the_saver_is_paced_and_zero_unpaces_it(saver):
    saver.reg_set_dword("scale", 10)  # a small cube: the loop, not the drawing, sets the pace
    paced = frames_drawn(saver, 3)
    saver.reg_set_dword("FrameRateLimit", 0)
    unpaced = frames_drawn(saver, 3)
    # 60 frames a second by default, never more; unpaced, as many as the machine draws
    # (150 to 250 a second full screen here). A machine too slow to pass 90 a second
    # unpaced cannot show the difference.
    assert paced <= 200, (paced, unpaced)
    if unpaced > 270:
        assert paced < 0.75 * unpaced, (paced, unpaced)


def test_frame_rate_limit_paces_a_full_screen_run(saver):
    saver.reg_set_dword("scale", 10)  # a small cube: the loop, not the drawing, sets the pace
    saver.reg_set_dword("FrameRateLimit", 0)
    unpaced = busy_share(saver, 2)
    saver.reg_set_dword("FrameRateLimit", 30)
    paced = busy_share(saver, 2)
    # Unpaced, the loop draws on every idle pass (about 0.6 of a core here, the X
    # server taking its share); at 30 frames a second it sleeps most of the time
    # (about 0.1).
    assert unpaced > 0.3, (paced, unpaced)
    assert paced < unpaced / 2, (paced, unpaced)
