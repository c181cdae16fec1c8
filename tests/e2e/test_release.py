"""The release as a user or an administrator meets it: the stripped velmora.scr, the
zip, and the Windows Installer package installed, repaired, upgraded and removed
with Wine's msiexec."""
import os
import re
import struct
import subprocess
import zipfile
from pathlib import Path

import pytest

from conftest import BUILD, winpath

ROOT = Path(__file__).resolve().parents[2]
RELEASE = Path(os.environ.get("VELMORA_RELEASE", BUILD.parent / "release"))
VERSION = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", (BUILD / "CMakeCache.txt").read_text(), re.M).group(1)
MSI = RELEASE / f"velmora-{VERSION}.msi"
SYSTEM_SAVER = r"C:\windows\system32\velmora.scr"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SETTINGS_KEY = r"HKCU\Software\VLG"
# DLLs that every Windows installation has; anything else would have to travel with the saver.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "glu32.dll", "kernel32.dll",
               "msvcrt.dll", "opengl32.dll", "user32.dll", "winmm.dll", "shell32.dll", "ole32.dll",
               "version.dll", "shlwapi.dll", "dwmapi.dll", "uxtheme.dll"}


def drive_c() -> Path:
    return Path(os.environ["WINEPREFIX"]) / "drive_c"


def installed_saver() -> Path:
    return drive_c() / "windows" / "system32" / "velmora.scr"


def program_folder() -> Path:
    return drive_c() / "Program Files" / "Velmora Lodge"


def msiexec(saver, *args) -> int:
    return subprocess.run([saver.wine, "msiexec", *args], capture_output=True, timeout=300,
                          env=saver.environ).returncode


def registry_tree(saver, key: str) -> str:
    """`reg query KEY /s`: the key, its subkeys and their values, as text."""
    return subprocess.run([saver.wine, "reg", "query", key, "/s"], capture_output=True, text=True,
                          timeout=60, env=saver.environ).stdout


def uninstall_entries(saver) -> dict:
    """Programs and Features entries named Velmora Lodge: product code -> values."""
    out = registry_tree(saver, UNINSTALL_KEY)
    entries, values, code = {}, None, None
    for line in out.replace("\r", "").splitlines():
        if line.startswith("HKEY_"):
            code, values = line.rsplit("\\", 1)[1], {}
            entries[code] = values
        elif values is not None and line.startswith("    "):
            parts = line.strip().split(None, 2)
            if len(parts) >= 2:
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
    return {code: v for code, v in entries.items() if v.get("DisplayName") == "Velmora Lodge"}


def remove_every_installed_version(saver):
    for code in uninstall_entries(saver):
        assert msiexec(saver, "/x", code, "/qn") == 0, code
    assert not installed_saver().exists() and not program_folder().exists()


def msi_table(msi: Path, table: str) -> list:
    """The rows of one table of a package (msitools), each a list of column texts."""
    out = subprocess.run(["msiinfo", "export", str(msi), table], capture_output=True, text=True, check=True).stdout
    return [line.split("\t") for line in out.replace("\r", "").splitlines()[3:]]


def build_msi(version: str, scr: Path, output: Path):
    subprocess.run([str(ROOT / "tools" / "msi"), version, str(scr), str(output)], check=True,
                   capture_output=True, timeout=120)


def with_file_version(scr: bytes, major: int, minor: int) -> bytes:
    """The program with the numbers of its version resource changed, as an older
    release would carry them."""
    at = scr.index(struct.pack("<I", 0xFEEF04BD))
    numbers = struct.pack("<IIII", major << 16 | minor, 0, major << 16 | minor, 0)
    return scr[:at + 8] + numbers + scr[at + 24:]


@pytest.fixture
def installer(saver):
    remove_every_installed_version(saver)
    yield saver
    saver.cleanup()
    remove_every_installed_version(saver)


def objdump(*args) -> str:
    return subprocess.run(["x86_64-w64-mingw32-objdump", *args], capture_output=True, text=True,
                          check=True).stdout


def test_released_saver_is_lean_and_needs_only_windows_dlls(saver):
    scr = RELEASE / "velmora.scr"
    sections = re.findall(r"^\s*\d+\s+(\S+)", objdump("-h", str(scr)), re.M)
    assert ".text" in sections and ".rsrc" in sections
    assert [s for s in sections if s.startswith(".debug")] == []
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", objdump("-p", str(scr)))}
    assert imports and imports <= SYSTEM_DLLS, imports - SYSTEM_DLLS
    info = saver.helper("version", winpath(scr))
    assert info.get("file_version") == f"{VERSION}.0", info
    assert info.get("ProductVersion") == VERSION and info.get("ProductName") == "Velmora Lodge", info
    # What the Screen Saver Settings list is still the saver's name.
    assert info.get("string1") == "Velmora Lodge", info


def test_zip_holds_the_saver_and_its_papers():
    with zipfile.ZipFile(RELEASE / f"velmora-{VERSION}.zip") as archive:
        names = sorted(archive.namelist())
        folder = f"velmora-{VERSION}/"
        assert names == [folder + n for n in ("LICENSE.txt", "README.txt", "THIRD-PARTY-NOTICES.txt", "velmora.scr")]
        assert archive.read(folder + "velmora.scr") == (RELEASE / "velmora.scr").read_bytes()
        # Papers with Windows line ends.
        assert archive.read(folder + "LICENSE.txt") == (ROOT / "LICENSE").read_bytes().replace(b"\n", b"\r\n")


def test_msi_gives_the_program_its_version_so_that_older_copies_give_way():
    # Windows Installer keeps a versioned file on disk over an unversioned one; Wine
    # does not, so the package's tables are what tell.
    files = {row[0]: row for row in msi_table(MSI, "File")}
    assert files["velmora.scr"][4] == f"{VERSION}.0", files["velmora.scr"]
    assert "velmora.scr" not in [row[0] for row in msi_table(MSI, "MsiFileHash")]


def test_msi_installs_for_the_machine_runs_there_and_uninstalls_cleanly(installer):
    assert msiexec(installer, "/i", winpath(MSI), "/qn") == 0
    assert installed_saver().read_bytes() == (RELEASE / "velmora.scr").read_bytes()
    assert sorted(p.name for p in program_folder().iterdir()) == ["LICENSE.txt", "README.txt",
                                                                   "THIRD-PARTY-NOTICES.txt"]
    entries = uninstall_entries(installer)
    assert len(entries) == 1, entries
    entry = next(iter(entries.values()))
    assert entry.get("DisplayVersion") == VERSION and entry.get("Publisher") == "The Velmora Lodge authors", entry
    # A product of the machine, not of the user who installed it; no settings appear.
    assert "Velmora Lodge" in registry_tree(installer, r"HKLM\Software\Classes\Installer\Products")
    assert "Velmora Lodge" not in registry_tree(installer, r"HKCU\Software\Microsoft\Installer\Products")
    assert installer.reg_values() is None

    installer.scr = SYSTEM_SAVER
    job = installer.start("/s")
    installer.key(installer.wait_for_window("Screensaver"), "Escape")
    assert job.result().get("exit_hex") == "0x00000000"

    assert msiexec(installer, "/x", winpath(MSI), "/qn") == 0
    assert not installed_saver().exists()
    assert not program_folder().exists()
    assert uninstall_entries(installer) == {}


def test_installing_the_same_version_twice_leaves_one_file_and_one_entry(installer, tmp_path):
    # Every package of one version is one product.
    rebuilt = tmp_path / "again.msi"
    build_msi(VERSION, RELEASE / "velmora.scr", rebuilt)
    codes = [{row[0]: row[1] for row in msi_table(msi, "Property")}["ProductCode"] for msi in (MSI, rebuilt)]
    assert codes[0] == codes[1]

    assert msiexec(installer, "/i", winpath(MSI), "/qn") == 0
    assert msiexec(installer, "/i", winpath(MSI), "/qn") == 0
    assert len(uninstall_entries(installer)) == 1
    assert [p.name for p in installed_saver().parent.glob("velmora*.scr")] == ["velmora.scr"]
    assert installed_saver().read_bytes() == (RELEASE / "velmora.scr").read_bytes()


def test_a_newer_version_upgrades_an_older_one_in_place(installer, tmp_path):
    older = tmp_path / "velmora.scr"
    older.write_bytes(with_file_version((RELEASE / "velmora.scr").read_bytes(), 0, 9))
    older_msi = tmp_path / "velmora-0.9.0.msi"
    build_msi("0.9.0", older, older_msi)
    assert msiexec(installer, "/i", winpath(older_msi), "/qn") == 0
    assert [e.get("DisplayVersion") for e in uninstall_entries(installer).values()] == ["0.9.0"]
    assert installer.helper("version", SYSTEM_SAVER).get("file_version") == "0.9.0.0"

    assert msiexec(installer, "/i", winpath(MSI), "/qn") == 0
    assert [e.get("DisplayVersion") for e in uninstall_entries(installer).values()] == [VERSION]
    assert installed_saver().read_bytes() == (RELEASE / "velmora.scr").read_bytes()
    # The older package cannot go back over the newer one.
    assert msiexec(installer, "/i", winpath(older_msi), "/qn") != 0
    assert installed_saver().read_bytes() == (RELEASE / "velmora.scr").read_bytes()
