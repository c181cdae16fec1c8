"""End-to-end fixtures: the real velmora.scr under Wine on the Xvfb display that
tools/test prepared (DISPLAY, WINEPREFIX and WINE come from its environment)."""
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("VELMORA_BUILD", Path(__file__).resolve().parents[2] / "build" / "windows"))
ARTIFACTS = Path(os.environ.get("VELMORA_ARTIFACTS", BUILD.parent / "test-results" / "artifacts"))
SETTINGS_KEY = r"HKCU\Software\VLG"


def winpath(path) -> str:
    """A Unix path as Wine's Z: drive shows it; a Windows path ("C:\\...") as it is."""
    if isinstance(path, str) and len(path) > 2 and path[1:3] == ":\\":
        return path
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def parse_report(text: str) -> dict:
    report = {}
    for line in text.replace("\r", "").splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            report[key.strip()] = value.strip()
    return report


def wait_until(condition, what: str, timeout: float = 20, interval: float = 0.1):
    """Polls `condition` until it gives a true value, and returns that value. The saver
    and Wine act on their own time: a test waits for what it needs to have happened,
    up to a deadline, and then fails saying what did not happen."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what} (waited {timeout} s)")
        time.sleep(interval)


class Background:
    """A scrhelper started in the background; `result` waits for its report. The
    saver's trace messages go to `trace`, so that a test can wait for a step of the
    run (`wait_for_trace`) instead of sleeping."""

    def __init__(self, process: subprocess.Popen, program: str, trace: Path = None):
        self.process = process
        self.program = program  # the saver's path as Wine shows it on the process's command line
        self.trace = trace
        self._report = None

    def traced(self, text: str) -> bool:
        return bool(self.trace) and self.trace.exists() and text in self.trace.read_text(errors="replace")

    def wait_for_trace(self, text: str, timeout: float = 20):
        """Waits until the saver has traced `text`; fails if it ends or the deadline passes first."""
        def seen():
            if self.traced(text):
                return True
            assert not self.finished(), f"the run ended before it traced {text!r}: {self.result()}"
            return False
        wait_until(seen, f"the saver never traced {text!r}", timeout)

    def result(self, timeout: float = 60) -> dict:
        if self._report is None:
            out, _ = self.process.communicate(timeout=timeout)
            self._report = parse_report(out)
        return self._report

    def finished(self) -> bool:
        return self.process.poll() is not None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        # The saver is the helper's child and outlives it; end it too, or it keeps
        # the report pipe open. Only this build's saver: another checkout's tests may
        # be running theirs on another display.
        subprocess.run(["pkill", "-f", re.escape(self.program)], capture_output=True)
        try:
            self.process.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            pass


class Screen:
    """The RGB pixels of a screenshot (ImageMagick converts it to raw bytes)."""

    def __init__(self, path: Path):
        size = subprocess.run(["identify", "-format", "%w %h", str(path)], capture_output=True, text=True,
                              check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], capture_output=True,
                                   check=True).stdout

    def pixel(self, x: int, y: int) -> tuple:
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def count(self, predicate, box=None) -> int:
        """Pixels in box (left, top, right, bottom) for which predicate(r, g, b) holds."""
        left, top, right, bottom = box or (0, 0, self.width, self.height)
        total = 0
        for y in range(top, bottom):
            row = self.data[3 * (y * self.width + left):3 * (y * self.width + right)]
            total += sum(1 for i in range(0, len(row), 3) if predicate(row[i], row[i + 1], row[i + 2]))
        return total


class Saver:
    """Drives velmora.scr through the scrhelper program, xdotool and Wine's reg."""

    def __init__(self, environ: dict = None):
        # The Unix environment of every program it starts: the test display and Wine
        # prefix by default, another display's for the large-screen runs.
        self.environ = environ
        self.wine = os.environ.get("WINE") or shutil.which("wine64") or "/usr/lib/wine/wine64"
        self.scr = BUILD / "velmora.scr"
        self.helper_exe = BUILD / "tests" / "scrhelper.exe"
        self.background = []
        self.traces = Path(tempfile.mkdtemp(prefix="velmora-e2e-trace."))

    def _helper_args(self, *args) -> list:
        return [self.wine, str(self.helper_exe), *[str(a) for a in args]]

    def run(self, *args, timeout_ms: int = 20000) -> dict:
        """Runs velmora.scr with `args` to its end; the report has its 32-bit exit code."""
        out = subprocess.run(self._helper_args("run", timeout_ms, winpath(self.scr), *args),
                             capture_output=True, text=True, timeout=timeout_ms / 1000 + 30, env=self.environ).stdout
        return parse_report(out)

    def start(self, *args, timeout_ms: int = 60000, env: str = None, trace: Path = None) -> Background:
        """Starts velmora.scr with `args` in the background; `env` ("NAME=value")
        sets one environment variable for it. The saver's trace messages (Wine's debug
        strings) are written to `trace`, or to a file of this fixture's own."""
        command = ("runenv", timeout_ms, env) if env else ("run", timeout_ms)
        if trace is None:
            self.traces.mkdir(exist_ok=True)
            trace = self.traces / f"run-{len(self.background)}.log"
        environ = dict(self.environ or os.environ, WINEDEBUG="+debugstr")
        with open(trace, "w") as sink:
            process = subprocess.Popen(self._helper_args(*command, winpath(self.scr), *args),
                                       stdout=subprocess.PIPE, stderr=sink, text=True, env=environ)
        job = Background(process, winpath(self.scr), Path(trace))
        self.background.append(job)
        return job

    def preview(self, hold_ms: int, prefix: str = "/p", timeout_ms: int = 20000) -> dict:
        out = subprocess.run(self._helper_args("preview", timeout_ms, hold_ms, winpath(self.scr), prefix),
                             capture_output=True, text=True, timeout=(hold_ms + timeout_ms) / 1000 + 30, env=self.environ).stdout
        return parse_report(out)

    def start_preview(self, hold_ms: int, prefix: str = "/p", timeout_ms: int = 20000) -> Background:
        process = subprocess.Popen(self._helper_args("preview", timeout_ms, hold_ms, winpath(self.scr), prefix),
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=self.environ)
        job = Background(process, winpath(self.scr))
        self.background.append(job)
        return job

    def window_box(self, window: str) -> tuple:
        """(left, top, right, bottom) of an X window on the screen."""
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], capture_output=True,
                             text=True, check=True, env=self.environ).stdout
        g = dict(line.split("=", 1) for line in out.split())
        x, y, w, h = (int(g[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        return x, y, x + w, y + h

    def helper(self, *args) -> dict:
        out = subprocess.run(self._helper_args(*args), capture_output=True, text=True, timeout=60, env=self.environ).stdout
        return parse_report(out)

    def count_windows(self, title: str) -> int:
        return int(self.helper("find", "WindowsScreenSaverClass", title).get("count", "0"))

    def wait_for_window(self, title: str, timeout: float = 20) -> str:
        """Waits until an X window with exactly this title is mapped; its X id."""
        def found():
            return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                  capture_output=True, text=True, env=self.environ).stdout.split()
        return wait_until(found, f"no window titled {title!r} appeared", timeout, interval=0.2)[0]

    def xdotool(self, *args):
        subprocess.run(["xdotool", *[str(a) for a in args]], check=True, timeout=30, env=self.environ)

    def pointer(self) -> tuple:
        """(x, y, X id of the window under it) of the pointer."""
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"], capture_output=True, text=True,
                             timeout=30, env=self.environ).stdout
        fields = dict(line.split("=", 1) for line in out.split())
        return int(fields["X"]), int(fields["Y"]), fields.get("WINDOW", "")

    def top_level(self, window: str) -> str:
        """The child of the root window that holds `window`: the window manager's frame
        around it, which is what X reports under the pointer."""
        while True:
            out = subprocess.run(["xwininfo", "-tree", "-id", window], capture_output=True, text=True,
                                 timeout=30, env=self.environ).stdout
            root = re.search(r"Root window id: (0x[0-9a-f]+)", out)
            parent = re.search(r"Parent window id: (0x[0-9a-f]+)", out)
            if not root or not parent or parent.group(1) == root.group(1):
                return window
            window = str(int(parent.group(1), 16))

    def pointer_over(self, window: str) -> bool:
        """Whether a click would go to `window`: the pointer is over its frame."""
        return self.pointer()[2] == self.top_level(window)

    def focused_window(self) -> str:
        return subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True, timeout=30,
                              env=self.environ).stdout.strip()

    def focus(self, window: str, activate: bool = False):
        """Makes sure that key presses reach `window`: waits until the X focus is on it.
        With `activate` (as a user's click on the window would), or when the window
        manager has not given it the focus within a second of asking, the window manager
        is asked to activate it, again every two seconds. Fails naming the window that
        has the focus instead."""
        started = time.monotonic()
        asked = None
        while self.focused_window() != window:
            now = time.monotonic()
            if now - started > 20:
                raise AssertionError(f"window {window} does not take the focus; {self.focused_window()} has it")
            if (activate or now - started > 1) and (asked is None or now - asked > 2):
                self.xdotool("windowactivate", window)
                asked = now
            time.sleep(0.1)

    def key(self, window: str, *keys, activate: bool = False):
        """Presses `keys` with `window` sure to take them."""
        self.focus(window, activate)
        self.xdotool("key", *keys)

    def wait_for_screen(self, name: str, condition, timeout: float = 20) -> "Screen":
        """Screenshots (kept as `name`) until `condition(shot)` holds, and returns that
        shot: a run has drawn what the test looks at. After the deadline the last shot
        is returned, for the test's own checks to say what is wrong with it."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screen_pixels(name)
            if condition(shot) or time.monotonic() >= deadline:
                return shot
            time.sleep(0.2)

    def _reg_add(self, name: str, kind: str, data: str):
        """Writes one setting with Wine's reg. On a loaded machine reg has once ended
        with 1 right after a saver run, for no reason it printed; a failed write is
        tried twice more, and the last failure is reported with Wine's own errors."""
        command = [self.wine, "reg", "add", SETTINGS_KEY, "/v", name, "/t", kind, "/d", data, "/f"]
        environ = dict(self.environ or os.environ, WINEDEBUG="err+all")
        for attempt in range(3):
            result = subprocess.run(command, capture_output=True, text=True, timeout=60, env=environ)
            if result.returncode == 0:
                return
            time.sleep(1)
        raise AssertionError(f"{command} ended with {result.returncode}: {result.stdout} {result.stderr}")

    def reg_set_dword(self, name: str, value: int):
        self._reg_add(name, "REG_DWORD", str(value))

    def reg_set_text(self, name: str, value: str):
        self._reg_add(name, "REG_SZ", value)

    def reg_values(self) -> dict:
        """The DWORD values under the settings key; None when the key is missing."""
        result = subprocess.run([self.wine, "reg", "query", SETTINGS_KEY], capture_output=True, text=True,
                                timeout=60, env=self.environ)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            parts = line.split()
            if len(parts) == 3 and parts[1] == "REG_DWORD":
                values[parts[0]] = int(parts[2], 16)
        return values

    def reg_delete_key(self):
        subprocess.run([self.wine, "reg", "delete", SETTINGS_KEY, "/f"], capture_output=True, timeout=60,
                       env=self.environ)

    def screenshot(self, name: str) -> Path:
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        path = ARTIFACTS / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], check=True, timeout=60, env=self.environ)
        return path

    def screen_pixels(self, name: str) -> "Screen":
        """A screenshot, kept as an artefact, read back as RGB pixels."""
        return Screen(self.screenshot(name))

    def cleanup(self):
        for job in self.background:
            if job._report is None:
                job.stop()
        self.background.clear()
        shutil.rmtree(self.traces, ignore_errors=True)


def wineserver() -> str:
    return "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver") else "wineserver"


def saver_on_display(folder: Path, display_environ: dict) -> Saver:
    """A Saver on another display, with a copy of the test's Wine prefix in `folder`
    and a wineserver of its own (a wineserver belongs to one display)."""
    prefix = folder / "wineprefix"
    shutil.copytree(os.environ["WINEPREFIX"], prefix, symlinks=True)
    environ = dict(display_environ, WINEPREFIX=str(prefix))
    subprocess.run([wineserver(), "-p"], env=environ, check=True)
    saver = Saver(environ)
    # The first program starts Wine's services, which keep whatever output they
    # inherit open for good: give them none.
    subprocess.run([saver.wine, "cmd", "/c", "exit", "0"], env=environ, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)
    saver.reg_delete_key()  # the copy may hold whatever the last test stored
    return saver


def end_saver_on_display(saver: Saver):
    """Ends what a saver_on_display started: its runs, then its wineserver."""
    saver.cleanup()
    subprocess.run([wineserver(), "-k"], env=saver.environ, capture_output=True)
    subprocess.run([wineserver(), "-w"], env=saver.environ, capture_output=True, timeout=60)


@pytest.fixture(scope="session", autouse=True)
def environment():
    for name in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(name):
            pytest.exit(f"{name} is not set: run the end-to-end tests through tools/test", returncode=2)
    if not (BUILD / "velmora.scr").exists():
        pytest.exit(f"{BUILD / 'velmora.scr'} is missing: build first (tools/build)", returncode=2)


@pytest.fixture
def saver():
    s = Saver()
    s.reg_delete_key()
    s.xdotool("mousemove", 512, 384)
    yield s
    s.cleanup()
    s.reg_delete_key()
