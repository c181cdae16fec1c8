#!/usr/bin/env python3
"""Measures the real velmora.scr under Wine on the current display (tools/bench sets it
up) beside a clear-and-swap floor program: time from process start to the first
frame, frames per second, CPU seconds per second and CPU milliseconds per frame, for
the floor, a windowed and several full-screen runs, then the saver's ratios to the
floor. Frames are counted from Wine's own trace of every buffer swap
(WINEDEBUG=+timestamp,+wgl), so both programs are measured unchanged. Prints one
line per run; nothing passes or fails.

    saver_bench.py VELMORA_SCR FLOOR_EXE [blur]

With "blur", only the cost of the motion-blur trail: unpaced full-screen runs with
and without it on this display, and the ratio of their frame rates.

    saver_bench.py VELMORA_SCR FLOOR_EXE model MODEL_PATH

With "model", the time from the saver's start to its first frame and to the first
frame that draws the model at MODEL_PATH (a Windows path, stored as ModelFile): the
saver's own trace of the moment ("The model is ready")."""
import os
import re
import statistics
import subprocess
import sys
import time

WINE = os.environ["WINE"]
SCR = sys.argv[1]
FLOOR = sys.argv[2]
SECONDS = float(os.environ.get("VELMORA_BENCH_SECONDS", "6"))
REPEAT = int(os.environ.get("VELMORA_BENCH_REPEAT", "3"))
SWAP = re.compile(r"^(\d+\.\d+):\S+:trace:wgl:\S*wglSwap")


def uptime() -> float:
    """Seconds on the clock of Wine's trace timestamps (its tick count counts
    CLOCK_MONOTONIC_RAW), so a process start and its first swap compare."""
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def cpu_seconds(pid: int) -> float:
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def registry(*values):
    subprocess.run([WINE, "reg", "delete", r"HKCU\Software\VLG", "/f"], capture_output=True)
    for name, value in values:
        subprocess.run([WINE, "reg", "add", r"HKCU\Software\VLG", "/v", name, "/t", "REG_DWORD", "/d", str(value),
                        "/f"], capture_output=True, check=True)


def measure_once(label, program, mode, *values, seed=None):
    """One run of `program` (with `mode` on its command line); a dict of its figures.
    With `seed`, the saver's random start is fixed (VELMORA_RANDOM_SEED)."""
    registry(*values)
    log_path = "/tmp/velmora-bench-wgl.log"
    env = dict(os.environ, WINEDEBUG="+timestamp,+wgl")
    if seed is not None:
        env["VELMORA_RANDOM_SEED"] = str(seed)
    started = uptime()
    name = os.path.basename(program).replace(".", r"\.")
    with open(log_path, "w") as log:
        process = subprocess.Popen([WINE, program, *([mode] if mode else [])], stdout=subprocess.DEVNULL,
                                   stderr=log, env=env)
        time.sleep(2.0)
        pid = int(subprocess.run(["pgrep", "-n", "-f", name + (" " + mode if mode else "")], capture_output=True,
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
        print(f"{label:<36} no frame was drawn")
        return None
    in_window = [t for t in swaps if measured_from <= t <= measured_to]
    fps = len(in_window) / (measured_to - measured_from)
    figures = {"first": (swaps[0] - started) * 1000, "fps": fps, "cpu": cpu,
               "per_frame": cpu / fps * 1000 if fps else float("inf")}
    return figures


def measure(label, program, mode, *values):
    """REPEAT runs; prints and returns the median of each figure (a shared machine's
    noise moves single runs by a fifth)."""
    runs = [r for r in (measure_once(label, program, mode, *values) for _ in range(REPEAT)) if r]
    if not runs:
        return None
    figures = {key: statistics.median(r[key] for r in runs) for key in runs[0]}
    print(f"{label:<36} first frame {figures['first']:6.0f} ms  {figures['fps']:7.1f} frames/s  "
          f"{figures['cpu']:5.2f} CPU s/s  {figures['per_frame']:6.2f} CPU ms/frame  (median of {len(runs)})")
    return figures


def blur_ratio():
    """Unpaced full-screen runs without and with the trail, in pairs, each pair from the
    same fixed start (the lodge's random start and drift decide how much of the screen
    it covers, and so the plain rate, by up to a half); prints each pair's ratio and the
    median."""
    ratios = []
    for run in range(int(os.environ.get("VELMORA_BENCH_PAIRS", "6"))):
        seed = 1 + run % 3
        plain = measure_once("no blur", SCR, "/s", ("FrameRateLimit", 0), seed=seed)
        blurred = measure_once("blur", SCR, "/s", ("FrameRateLimit", 0), ("blur", 1), seed=seed)
        if not plain or not blurred:
            continue
        ratios.append(blurred["fps"] / plain["fps"])
        print(f"  start {seed}: {plain['fps']:7.1f} frames/s without blur, {blurred['fps']:7.1f} with: "
              f"{ratios[-1]:.2f}")
    registry()
    if ratios:
        print(f"blur against no blur: {statistics.median(ratios):.2f} of the frame rate "
              f"(median of {len(ratios)} pairs, {min(ratios):.2f} to {max(ratios):.2f})")


READY = re.compile(r"^(\d+\.\d+):\S+:debugstr:.*The model is ready")


def model_ready(model):
    """REPEAT full-screen runs with `model` as ModelFile: seconds from the start to the
    first frame and to the model's first frame, and their medians."""
    firsts, readies = [], []
    for _ in range(REPEAT):
        registry()
        subprocess.run([WINE, "reg", "add", r"HKCU\Software\VLG", "/v", "ModelFile", "/t", "REG_SZ", "/d", model,
                        "/f"], capture_output=True, check=True)
        log_path = "/tmp/velmora-bench-ready.log"
        env = dict(os.environ, WINEDEBUG="+timestamp,+wgl,+debugstr")
        started = uptime()
        with open(log_path, "w") as log:
            process = subprocess.Popen([WINE, SCR, "/s"], stdout=subprocess.DEVNULL, stderr=log, env=env)
            first = ready = None
            deadline = time.time() + 60
            while ready is None and time.time() < deadline:
                time.sleep(0.2)
                with open(log_path, errors="replace") as read:
                    for line in read:
                        if first is None and SWAP.match(line):
                            first = float(SWAP.match(line).group(1))
                        if READY.match(line):
                            ready = float(READY.match(line).group(1))
                            break
            process.kill()
            process.wait()
        # The saver's own Windows process outlives the wine launcher it was started by.
        subprocess.run(["pkill", "-9", "-f", r"velmora\.scr /s"], capture_output=True)
        os.unlink(log_path)
        if ready is None or first is None:
            print(f"{model}: the model was not drawn within 60 s")
            continue
        firsts.append(first - started)
        readies.append(ready - started)
        print(f"  a run: first frame {firsts[-1]:.2f} s, the model drawn {readies[-1]:.2f} s after the start")
    registry()
    if readies:
        print(f"{model}: first frame {statistics.median(firsts):.2f} s, the model drawn "
              f"{statistics.median(readies):.2f} s after the start (median of {len(readies)})")


if len(sys.argv) > 4 and sys.argv[3] == "model":
    model_ready(sys.argv[4])
    sys.exit(0)

if len(sys.argv) > 3 and sys.argv[3] == "blur":
    blur_ratio()
    sys.exit(0)

floor = measure("clear-and-swap floor, full screen", FLOOR, None)
default = measure("full screen 1024x768, defaults", SCR, "/s")
unpaced = measure("full screen, FrameRateLimit 0", SCR, "/s", ("FrameRateLimit", 0))
measure("windowed, defaults", SCR, "/w")
measure("full screen, blur on", SCR, "/s", ("blur", 1))
measure("full screen, blur and lighting on", SCR, "/s", ("blur", 1), ("lighting", 1))
measure("full screen, FrameRateLimit 30", SCR, "/s", ("FrameRateLimit", 30))
registry()
blur_ratio()
if floor:
    for label, run in (("defaults", default), ("unpaced", unpaced)):
        if run:
            print(f"velmora.scr {label:<9} against the floor: first frame {run['first'] - floor['first']:+.0f} ms, "
                  f"CPU per frame x{run['per_frame'] / floor['per_frame']:.1f}, "
                  f"CPU s/s x{run['cpu'] / floor['cpu']:.2f}")
