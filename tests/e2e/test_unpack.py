"""The packed default model is unpacked into TEMP at every start of the saver."""
import subprocess
from pathlib import Path

from test_model import end, show

RESOURCES = Path(__file__).resolve().parents[2] / "resources"


def temp_folder(saver) -> Path:
    """The folder that TEMP names for Windows programs in this Wine prefix."""
    def wine(*args):
        out = subprocess.run([saver.wine, *args], capture_output=True, text=True, timeout=60).stdout
        return out.replace("\r", "").strip()
    return Path(wine("winepath", "-u", wine("cmd", "/c", "echo", "%TEMP%")))


def run_briefly(saver):
    """A full-screen run, ended once it has drawn the lodge (read from what it unpacked)."""
    job, _ = show(saver, ["/s"], "Screensaver", "unpacked-lodge")
    end(saver, job)


def test_every_start_writes_both_members_into_temp(saver):
    temp = temp_folder(saver)
    assert temp.is_dir(), temp
    for name in ("Texture.jpg", "VLG.3DS"):
        (temp / name).unlink(missing_ok=True)
    run_briefly(saver)
    for name in ("Texture.jpg", "VLG.3DS"):
        written = temp / name
        assert written.read_bytes() == (RESOURCES / name).read_bytes(), name
    # Deleted, and written again by the next start.
    (temp / "VLG.3DS").unlink()
    run_briefly(saver)
    assert (temp / "VLG.3DS").read_bytes() == (RESOURCES / "VLG.3DS").read_bytes()
