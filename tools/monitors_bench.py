#!/usr/bin/env python3
"""Measures velmora.scr full screen under Wine on a desk of two monitors (1920 x 1080 at
60 Hz, and 1280 x 1024 at 144 Hz lower by 256 beside it) against each monitor alone:
frames a second, CPU seconds a second and CPU milliseconds a frame, with every window
capped at the same rate ("FrameRateLimit", so that this machine keeps up with both),
and how often the model was read. Prints one line per desk and the two-monitor desk's
CPU against the sum of the two alone; nothing passes or fails.

    monitors_bench.py VELMORA_SCR"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from monitor_desk import Monitor, MonitorDesk  # noqa: E402

WINE = os.environ["WINE"]
WINESERVER = "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver") else "wineserver"
SCR = sys.argv[1]
SECONDS = float(os.environ.get("VELMORA_BENCH_SECONDS", "6"))
LIMIT = int(os.environ.get("VELMORA_BENCH_MONITOR_LIMIT", "20"))
SWAP = re.compile(r"^\d+\.\d+:\S+:trace:wgl:\S*wglSwap")
MAIN = Monitor(0, 0, 1920, 1080, 60)
SECOND = Monitor(1920, 256, 1280, 1024, 144)


def cpu_seconds(pid: int) -> float:
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def measure(label: str, monitors) -> dict:
    folder = Path(tempfile.mkdtemp(prefix="velmora-monitors-bench-"))
    desk = None
    environ = None
    try:
        if len(monitors) == 1:  # Xvnc's one output at the monitor's own size and rate
            monitors = [Monitor(0, 0, monitors[0].width, monitors[0].height, monitors[0].rate)]
        desk = MonitorDesk(folder, monitors)
        prefix = folder / "wineprefix"
        shutil.copytree(os.environ["WINEPREFIX"], prefix, symlinks=True)
        environ = dict(desk.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all")
        subprocess.run([WINESERVER, "-p"], env=environ, check=True)
        # The first program starts Wine's services, which keep whatever output they
        # inherit open for good: give them none.
        subprocess.run([WINE, "cmd", "/c", "exit", "0"], env=environ, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)
        for key, name, kind, value in ((r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N"),
                                       (r"HKCU\Software\VLG", "FrameRateLimit", "REG_DWORD", str(LIMIT))):
            subprocess.run([WINE, "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], env=environ,
                           capture_output=True, check=True, timeout=120)
        log_path = folder / "trace.log"
        run_environ = dict(environ, WINEDEBUG="+timestamp,+wgl,+debugstr", VELMORA_RANDOM_SEED="1")
        with open(log_path, "w") as log:
            process = subprocess.Popen([WINE, SCR, "/s"], stdout=subprocess.DEVNULL, stderr=log, env=run_environ)
            time.sleep(4.0)
            pid = int(subprocess.run(["pgrep", "-n", "-f", r"velmora\.scr /s"], capture_output=True,
                                     text=True).stdout.split()[0])
            swaps_before = sum(1 for line in open(log_path, errors="replace") if SWAP.match(line))
            cpu_before, wall_before = cpu_seconds(pid), time.monotonic()
            time.sleep(SECONDS)
            swaps_after = sum(1 for line in open(log_path, errors="replace") if SWAP.match(line))
            wall = time.monotonic() - wall_before
            cpu = (cpu_seconds(pid) - cpu_before) / wall
            os.kill(pid, 9)
            process.kill()
            process.wait()
        text = log_path.read_text(errors="replace")
        frames = (swaps_after - swaps_before) / wall
        figures = {"fps": frames, "cpu": cpu, "per_frame": cpu / frames * 1000 if frames else float("inf"),
                   "reads": text.count("Attempting to load"), "windows": text.count("Saver window at")}
        print(f"{label:<40} {figures['windows']} window(s), {frames:6.1f} frames/s in all, {cpu:5.2f} CPU s/s, "
              f"{figures['per_frame']:6.2f} CPU ms/frame, the model read {figures['reads']} time(s)")
        return figures
    finally:
        if environ:
            subprocess.run([WINESERVER, "-k"], env=environ, capture_output=True)
            subprocess.run([WINESERVER, "-w"], env=environ, capture_output=True, timeout=60)
        if desk:
            desk.stop()
        shutil.rmtree(folder, ignore_errors=True)


print(f"(every window capped at {LIMIT} frames a second; {SECONDS:.0f} s a run)")
main = measure("1920 x 1080 alone", [MAIN])
second = measure("1280 x 1024 alone", [SECOND])
both = measure("both, each monitor its own lodge", [MAIN, SECOND])
print(f"two monitors against the sum of each alone: {both['cpu']:.2f} against {main['cpu'] + second['cpu']:.2f} "
      f"CPU s/s ({both['cpu'] / (main['cpu'] + second['cpu']):.2f})")
