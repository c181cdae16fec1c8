"""Fixtures of the Linux display-mode tests: the native velmora on a private Xvfb
display, with the real xscreensaver daemon where a test needs it. Every process a
test starts carries a marker in its environment (the daemon hands it on to the modes
it runs), and whatever still carries it when the test ends is killed: a failing test
leaves no velmora, daemon or helper behind."""
import ctypes
import ctypes.util
import os
import signal
import subprocess
import tempfile
import time
import uuid
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("VELMORA_NATIVE_BUILD", ROOT / "build" / "native"))
VELMORA = BUILD / "velmora"
VELMORA_XML = BUILD / "velmora.xml"
ARTIFACTS = Path(os.environ.get("VELMORA_ARTIFACTS", ROOT / "build" / "test-results" / "artifacts"))
MARKER = "VELMORA_LINUX_TEST"

# The daemon launches no display mode as root; as root the tests run it, and what it
# starts, as nobody.
NOBODY = 65534


def wait_until(condition, what, timeout=30.0, interval=0.1):
    """Polls `condition` until it gives a true value and returns that value; fails
    saying what did not happen by the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what} (waited {timeout} s)")
        time.sleep(interval)


def processes_marked(mark):
    """Process ids whose environment carries the marker `mark`."""
    needle = f"{MARKER}={mark}".encode()
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or int(entry.name) == os.getpid():
            continue
        try:
            if needle in (entry / "environ").read_bytes().split(b"\0"):
                found.append(int(entry.name))
        except OSError:
            pass
    return found


def program_of(pid):
    try:
        return os.readlink(f"/proc/{pid}/exe")
    except OSError:
        return ""


def environment_of(pid):
    try:
        items = Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
    except OSError:
        return {}
    return dict(item.decode(errors="replace").split("=", 1) for item in items if b"=" in item)


class Screen:
    """One screenshot of the display as RGB rows."""

    def __init__(self, display):
        data = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", "ppm:-"],
                              check=True, capture_output=True, timeout=30).stdout
        # P6 header: magic, width, height, maximum, then the pixels.
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            fields.append(data[start:at])
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]
        self.data = data

    def keep(self, name):
        """Keeps the shot among the test run's artifacts."""
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        (ARTIFACTS / f"linux-{name}.ppm").write_bytes(self.data)

    def count(self, predicate):
        p = self.pixels
        return sum(1 for i in range(0, len(p), 3) if predicate(p[i], p[i + 1], p[i + 2]))


def is_wood(r, g, b):
    """The warm browns of the lodge's logs, boards and shingles (its texture runs from
    about (67, 50, 41) to (132, 87, 48)): red over green over blue. Neither black, nor
    grey, nor a saturated colour passes."""
    return 50 <= r < 250 and r >= g + 8 and g >= b + 4 and r - b >= 24


def shows_lodge(screen):
    return screen.count(is_wood) > 3000


class Run:
    """Starts processes for one test on the test display, all with the test's marker;
    `cleanup` ends whatever of them (and of what they started) is left."""

    def __init__(self, display, folder):
        self.display = display
        self.folder = folder
        self.mark = uuid.uuid4().hex
        self.tmp = folder / "tmp"
        self.tmp.mkdir()
        self.home = folder / "home"
        self.home.mkdir()

    def environment(self, **extra):
        env = {key: value for key, value in os.environ.items()
               if key not in ("XSCREENSAVER_WINDOW", "XDG_RUNTIME_DIR", "TMPDIR", "HOME")}
        env.update(DISPLAY=self.display, HOME=str(self.home), TMPDIR=str(self.tmp), **{MARKER: self.mark})
        env["PATH"] = f"{BUILD}:{env.get('PATH', '/usr/bin:/bin')}"
        env.update(extra)
        return env

    def start(self, *arguments, as_user=False, **extra):
        command = list(arguments)
        if as_user and os.geteuid() == 0:
            command = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + command
        return subprocess.Popen(command, env=self.environment(**extra), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, start_new_session=True)

    def run(self, *arguments, as_user=False, timeout=30, **extra):
        process = self.start(*arguments, as_user=as_user, **extra)
        out, err = process.communicate(timeout=timeout)
        return process.returncode, out, err

    def velmora(self, *options, **extra):
        return self.start(str(VELMORA), *options, **extra)

    def screen(self):
        return Screen(self.display)

    def wait_for_screen(self, name, condition, what, timeout=40.0):
        """Screenshots until one meets `condition`; the last one is kept."""
        shots = []

        def shown():
            shots[:] = [self.screen()]
            return shots[0] if condition(shots[0]) else None
        try:
            return wait_until(shown, f"{name}: {what}", timeout, interval=0.5)
        finally:
            if shots:
                shots[0].keep(name)

    def wait_for_lodge(self, name, timeout=40.0):
        return self.wait_for_screen(name, shows_lodge, "the lodge's wood on screen", timeout)

    def velmora_processes(self):
        target = os.path.realpath(VELMORA)
        return [pid for pid in processes_marked(self.mark) if program_of(pid) == target]

    def private_folders(self):
        return sorted(p.name for p in self.tmp.iterdir())

    def cleanup(self):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            left = processes_marked(self.mark)
            for pid in left:
                try:
                    os.kill(pid, sig)
                except ProcessLookupError:
                    pass
            if left:
                try:
                    wait_until(lambda: (reap_orphans(), not processes_marked(self.mark))[1], "test processes end", 5)
                    break
                except AssertionError:
                    pass
        reap_orphans()


def xlib():
    """The few Xlib calls the tests make themselves."""
    library = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    window, display = ctypes.c_ulong, ctypes.c_void_p
    library.XOpenDisplay.restype = display
    library.XOpenDisplay.argtypes = [ctypes.c_char_p]
    library.XDefaultRootWindow.restype = window
    library.XDefaultRootWindow.argtypes = [display]
    library.XClearWindow.argtypes = [display, window]
    library.XCreateSimpleWindow.restype = window
    library.XCreateSimpleWindow.argtypes = [display, window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                            ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
    library.XMapWindow.argtypes = [display, window]
    library.XDestroyWindow.argtypes = [display, window]
    library.XSync.argtypes = [display, ctypes.c_int]
    library.XCloseDisplay.argtypes = [display]
    return library


def clear_root(display):
    """Repaints the root window's (black) background over whatever a run drew there."""
    x = xlib()
    connection = x.XOpenDisplay(display.encode())
    assert connection, f"cannot open {display}"
    x.XClearWindow(connection, x.XDefaultRootWindow(connection))
    x.XSync(connection, 0)
    x.XCloseDisplay(connection)


class OtherClientsWindow:
    """A plain window of another X client (this process), for -window-id."""

    def __init__(self, display, width=600, height=450):
        self.x = xlib()
        self.connection = self.x.XOpenDisplay(display.encode())
        assert self.connection, f"cannot open {display}"
        root = self.x.XDefaultRootWindow(self.connection)
        self.id = self.x.XCreateSimpleWindow(self.connection, root, 0, 0, width, height, 0, 0, 0)
        self.x.XMapWindow(self.connection, self.id)
        self.x.XSync(self.connection, 0)

    def destroy(self):
        if self.connection:
            self.x.XDestroyWindow(self.connection, self.id)
            self.x.XSync(self.connection, 0)
            self.x.XCloseDisplay(self.connection)
            self.connection = None


def reap_orphans():
    """Collects the exit status of processes that ended orphaned (see below)."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


@pytest.fixture(scope="session")
def xdisplay():
    """A private Xvfb display for the whole session, ended afterwards. The tests'
    process becomes the subreaper of what its children start: a mode or daemon ended
    by the clean-up is collected here, not left as a zombie under an init that may
    never collect it (a container's)."""
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_CHILD_SUBREAPER = 36
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-br",
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write)
    try:
        with os.fdopen(read) as numbers:
            number = numbers.readline().strip()
        assert number.isdigit(), "Xvfb gave no display number"
        yield f":{number}"
    finally:
        server.terminate()
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait()


@pytest.fixture
def run(xdisplay):
    with tempfile.TemporaryDirectory(prefix="velmora-linux-test.") as folder:
        folder = Path(folder)
        os.chmod(folder, 0o755)
        current = Run(xdisplay, folder)
        # As root the daemon and its modes run as nobody and read the home folder. The
        # temporary folder is shared as /tmp is (sticky), so the runs of either user
        # make their private folders in it.
        if os.geteuid() == 0:
            os.chown(current.home, NOBODY, NOBODY)
        os.chmod(current.tmp, 0o1777)
        # No lodge that an earlier test drew on the root window stays on the screen.
        clear_root(xdisplay)
        assert not shows_lodge(current.screen()), "the screen starts without wood"
        try:
            yield current
        finally:
            current.cleanup()
