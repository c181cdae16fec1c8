"""A test display of several monitors for Wine: TigerVNC's Xvnc, which makes one RandR
output per screen of the layout a VNC client asks for (the RFB ExtendedDesktopSize
extension's SetDesktopSize message), each given a mode whose dot clock is width x
height x rate, since Wine computes a monitor's refresh rate from it. Xvfb offers Wine
one usable output only."""
import os
import socket
import struct
import subprocess
import time
from pathlib import Path

EXTENDED_DESKTOP_SIZE = -308  # the pseudo-encoding a client announces the extension with


class Monitor:
    def __init__(self, x: int, y: int, width: int, height: int, rate: int):
        self.x, self.y, self.width, self.height, self.rate = x, y, width, height, rate

    @property
    def box(self) -> tuple:
        """(left, top, right, bottom) on the desk."""
        return self.x, self.y, self.x + self.width, self.y + self.height


def bounding_box(monitors) -> tuple:
    return (min(m.x for m in monitors), min(m.y for m in monitors),
            max(m.x + m.width for m in monitors), max(m.y + m.height for m in monitors))


def _receive(connection, size: int) -> bytes:
    data = b""
    while len(data) < size:
        part = connection.recv(size - len(data))
        if not part:
            raise ConnectionError("the VNC server closed the connection")
        data += part
    return data


def ask_for_layout(rfb_socket: Path, monitors):
    """Speaks just enough RFB 3.8 to have the server lay its screens out as `monitors`,
    and waits for its answer to this request: fails unless it reports success."""
    with socket.socket(socket.AF_UNIX) as connection:
        connection.settimeout(10)
        connection.connect(str(rfb_socket))
        if not _receive(connection, 12).startswith(b"RFB 003."):
            raise ConnectionError("not an RFB server")
        connection.sendall(b"RFB 003.008\n")
        types = _receive(connection, _receive(connection, 1)[0])
        if 1 not in types:
            raise ConnectionError(f"the server offers no security type None: {list(types)}")
        connection.sendall(bytes([1]))
        if struct.unpack(">I", _receive(connection, 4))[0] != 0:
            raise ConnectionError("the server refused the connection")
        connection.sendall(bytes([1]))  # ClientInit: shared
        _receive(connection, 4 + 16)  # ServerInit: size and pixel format
        _receive(connection, struct.unpack(">I", _receive(connection, 4))[0])  # the desktop's name
        connection.sendall(struct.pack(">BBHi", 2, 0, 1, EXTENDED_DESKTOP_SIZE))  # SetEncodings
        left, top, right, bottom = bounding_box(monitors)
        if left != 0 or top != 0:
            raise ValueError("the layout must start at (0, 0)")
        screens = b"".join(struct.pack(">IHHHHI", number + 1, m.x, m.y, m.width, m.height, 0)
                           for number, m in enumerate(monitors))
        connection.sendall(struct.pack(">BBHHBB", 251, 0, right, bottom, len(monitors), 0) + screens)
        connection.sendall(struct.pack(">BBHHHH", 3, 1, 0, 0, right, bottom))  # an update, to get the answer
        while True:
            if _receive(connection, 1)[0] != 0:
                raise ConnectionError("an unexpected server message")
            _receive(connection, 1)
            for _ in range(struct.unpack(">H", _receive(connection, 2))[0]):
                x, y, width, height, encoding = struct.unpack(">HHHHi", _receive(connection, 12))
                if encoding != EXTENDED_DESKTOP_SIZE:
                    raise ConnectionError(f"an unexpected rectangle of encoding {encoding}")
                count = _receive(connection, 4)[0]
                _receive(connection, 16 * count)
                if x == 1:  # the answer to this client's own request; y is its status
                    if y != 0:
                        raise ConnectionError(f"the server refused the layout: status {y}")
                    return


class MonitorDesk:
    """An Xvnc display laid out as `monitors`, with openbox."""

    def __init__(self, folder: Path, monitors):
        self.folder = folder
        self.socket = folder / "rfb.socket"
        self.processes = []
        self.modes = set()
        read_end, write_end = os.pipe()
        first = monitors[0]
        server = subprocess.Popen(["Xvnc", "-displayfd", str(write_end), "-geometry", f"{first.width}x{first.height}",
                                   "-depth", "24", "-rfbunixpath", str(self.socket), "-rfbport", "-1",
                                   "-SecurityTypes", "None", "-nolisten", "tcp", "-noreset"],
                                  pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                  stderr=open(folder / "xvnc.log", "w"))
        self.processes.append(server)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.stop()
            raise RuntimeError("Xvnc did not start: " + (folder / "xvnc.log").read_text())
        self.display = f":{number}"
        self.environ = dict(os.environ, DISPLAY=self.display)
        self.lay_out(monitors)
        self.processes.insert(0, subprocess.Popen(["openbox", "--sm-disable"], env=self.environ,
                                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        deadline = time.monotonic() + 30
        while "window id" not in self._run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False):
            if time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("openbox did not start")
            time.sleep(0.1)

    def _run(self, *command, check=True) -> str:
        return subprocess.run(command, env=self.environ, capture_output=True, text=True, check=check,
                              timeout=30).stdout

    def lay_out(self, monitors):
        """Lays the display out as `monitors` (again), each output at its rate."""
        while not self.socket.exists():
            time.sleep(0.05)
        ask_for_layout(self.socket, monitors)
        outputs = [line.split()[0] for line in self._run("xrandr").splitlines() if " connected" in line]
        if len(outputs) != len(monitors):
            raise RuntimeError(f"Xvnc made outputs {outputs} for {len(monitors)} monitors")
        arguments = []
        for output, m in zip(sorted(outputs, key=lambda name: int(name.rsplit("-", 1)[1])), monitors):
            mode = f"velmora{m.width}x{m.height}@{m.rate}"
            if mode not in self.modes:
                clock = m.width * m.height * m.rate / 1e6  # MHz, no blanking: the rate exactly
                self._run("xrandr", "--newmode", mode, f"{clock:.6f}", *[str(m.width)] * 4, *[str(m.height)] * 4)
                self.modes.add(mode)
            self._run("xrandr", "--addmode", output, mode, check=False)  # once an output has it, again fails
            arguments += ["--output", output, "--mode", mode, "--pos", f"{m.x}x{m.y}"]
        self._run("xrandr", *arguments)
        self.monitors = list(monitors)

    def stop(self):
        for process in self.processes:
            process.terminate()
            try:
                process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
