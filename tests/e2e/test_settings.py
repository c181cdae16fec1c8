"""Settings as a running saver sees them: the registry key is only read, and
"FrameRateLimit" paces a full-screen run."""
import os
import subprocess
import time


def key_exists(saver) -> bool:
    result = subprocess.run([saver.wine, "reg", "query", r"HKCU\Software\VLG"], capture_output=True, timeout=60)
    return result.returncode == 0


def run_for(saver, seconds: float) -> dict:
    job = saver.start("/s")
    saver.wait_for_window("Screensaver")
    time.sleep(seconds)
    saver.xdotool("key", "q")
    return job.result()


def cpu_seconds(pid: int) -> float:
    """User and system time of a Linux process (Wine runs each Windows process as one)."""
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def busy_share(saver, seconds: float) -> float:
    """CPU seconds per second of a full-screen run, measured after its start-up."""
    job = saver.start("/s")
    saver.wait_for_window("Screensaver")
    time.sleep(1)
    pid = int(subprocess.run(["pgrep", "-f", r"^Z:.*velmora\.scr /s"], capture_output=True, text=True).stdout.split()[0])
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    share = (cpu_seconds(pid) - before) / (time.monotonic() - start)
    saver.xdotool("key", "q")
    assert job.result().get("exit_hex") == "0x00000000"
    return share


def test_a_run_without_the_key_creates_none(saver):
    assert not key_exists(saver)
    report = run_for(saver, 1.5)
    assert report.get("exit_hex") == "0x00000000"
    assert not key_exists(saver)


def test_frame_rate_limit_paces_a_full_screen_run(saver):
    saver.reg_set_dword("scale", 10)  # a small cube: the loop, not the drawing, sets the pace
    unpaced = busy_share(saver, 2)
    saver.reg_set_dword("FrameRateLimit", 30)
    paced = busy_share(saver, 2)
    # Unpaced, the loop draws on every idle pass (about 0.6 of a core here, the X
    # server taking its share); at 30 frames a second it sleeps most of the time
    # (about 0.1).
    assert unpaced > 0.3, (paced, unpaced)
    assert paced < unpaced / 2, (paced, unpaced)
