#!/usr/bin/env python3
"""Measures the real velmora.scr under Wine on the current display (tools/bench sets it
up): time from process start to the first frame, frames per second, and CPU seconds
per second, for a windowed and several full-screen runs. Frames are counted from
Wine's own trace of every buffer swap (WINEDEBUG=+timestamp,+wgl), so the saver
itself is measured unchanged. Prints one line per run; nothing passes or fails."""
import os
import re
import subprocess
import sys
import time

WINE = os.environ["WINE"]
SCR = sys.argv[1]
SECONDS = float(os.environ.get("VELMORA_BENCH_SECONDS", "6"))
SWAP = re.compile(r"^(\d+\.\d+):\S+:trace:wgl:\S*wglSwap")


def uptime() -> float:
    with open("/proc/uptime") as f:
        return float(f.read().split()[0])


def cpu_seconds(pid: int) -> float:
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def registry(*values):
    subprocess.run([WINE, "reg", "delete", r"HKCU\Software\VLG", "/f"], capture_output=True)
    for name, value in values:
        subprocess.run([WINE, "reg", "add", r"HKCU\Software\VLG", "/v", name, "/t", "REG_DWORD", "/d", str(value),
                        "/f"], capture_output=True, check=True)


def measure(label, mode, *values):
    registry(*values)
    log_path = "/tmp/velmora-bench-wgl.log"
    env = dict(os.environ, WINEDEBUG="+timestamp,+wgl")
    started = uptime()
    with open(log_path, "w") as log:
        process = subprocess.Popen([WINE, SCR, mode], stdout=subprocess.DEVNULL, stderr=log, env=env)
        time.sleep(2.0)
        pid = int(subprocess.run(["pgrep", "-n", "-f", r"velmora\.scr " + mode], capture_output=True,
                                 text=True).stdout.split()[0])
        cpu_before, wall_before = cpu_seconds(pid), uptime()
        time.sleep(SECONDS)
        cpu = (cpu_seconds(pid) - cpu_before) / (uptime() - wall_before)
        measured_from, measured_to = wall_before, uptime()
        os.kill(pid, 9)
        process.kill()
        process.wait()
    swaps = []
    with open(log_path, errors="replace") as log:
        for line in log:
            m = SWAP.match(line)
            if m:
                swaps.append(float(m.group(1)))
    os.unlink(log_path)
    if not swaps:
        print(f"{label:<34} no frame was drawn")
        return
    first_frame_ms = (swaps[0] - started) * 1000
    in_window = [t for t in swaps if measured_from <= t <= measured_to]
    fps = len(in_window) / (measured_to - measured_from)
    print(f"{label:<34} first frame {first_frame_ms:7.0f} ms   {fps:7.1f} frames/s   {cpu:5.2f} CPU s/s")


measure("windowed, unpaced", "/w")
measure("full screen 1024x768, unpaced", "/s")
measure("full screen, blur on", "/s", ("blur", 1))
measure("full screen, blur and lighting on", "/s", ("blur", 1), ("lighting", 1))
measure("full screen, FrameRateLimit 30", "/s", ("FrameRateLimit", 30))
registry()
