"""The Debian package as a user meets it: Debian's checker passes it, apt installs it
where the daemon and the settings tool look, the daemon runs the installed mode, and
apt removes it again without a trace."""
import os
import re
import subprocess
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pytest

from conftest import BUILD, ROOT, processes_marked, program_of, wait_until
from test_display_mode import XSCREENSAVER_SETTINGS, command

INSTALLED_MODE = Path("/usr/libexec/xscreensaver/velmora")
INSTALLED_XML = Path("/usr/share/xscreensaver/config/velmora.xml")
APT = {"DEBIAN_FRONTEND": "noninteractive", "PATH": "/usr/sbin:/usr/bin:/sbin:/bin"}


def installed():
    found = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "velmora"], capture_output=True, text=True)
    return found.stdout.endswith(" installed")


@pytest.fixture(scope="module")
def package(tmp_path_factory):
    cache = (BUILD / "CMakeCache.txt").read_text()
    version = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", cache, re.M).group(1)
    deb = tmp_path_factory.mktemp("deb") / f"velmora_{version}_amd64.deb"
    subprocess.run([str(ROOT / "tools" / "deb"), version, str(BUILD), str(deb)], check=True,
                   capture_output=True, timeout=120)
    return deb


def test_debians_checker_finds_no_error_and_no_warning(package):
    checked = subprocess.run(["lintian", "--fail-on", "error,warning", "--tag-display-limit", "0", str(package)],
                             capture_output=True, text=True, timeout=300)
    tags = [line for line in checked.stdout.splitlines() if re.match(r"[EW]: ", line)]
    assert checked.returncode == 0 and tags == [], checked.stdout + checked.stderr


@pytest.mark.skipif(os.geteuid() != 0, reason="apt installs packages as root")
def test_apt_installs_it_for_the_daemon_and_the_settings_tool_and_removes_it(package, run):
    if installed():
        pytest.skip("a velmora package is installed here already; the test would remove it")
    env = dict(os.environ, **APT)
    try:
        subprocess.run(["apt-get", "install", "-y", "-q", str(package)], env=env, check=True,
                       capture_output=True, timeout=300)
        files = subprocess.run(["dpkg-query", "-L", "velmora"], capture_output=True, text=True).stdout.split()
        assert str(INSTALLED_MODE) in files and str(INSTALLED_XML) in files
        # The settings tool lists a mode by the description in its folder.
        description = ElementTree.parse(INSTALLED_XML).getroot()
        assert (description.get("name"), description.get("_label")) == ("velmora", "Velmora Lodge")

        # The daemon finds the installed mode through its own folder of modes: the
        # build folder is not on the path.
        (run.home / ".xscreensaver").write_text(XSCREENSAVER_SETTINGS)
        os.chown(run.home / ".xscreensaver", 65534, 65534)
        daemon = run.start("xscreensaver", "-no-splash", as_user=True, PATH="/usr/bin:/bin")
        wait_until(lambda: command(run, "-time"), "the daemon answers xscreensaver-command")
        assert command(run, "-select", "1")
        wait_until(lambda: [pid for pid in processes_marked(run.mark) if program_of(pid) == str(INSTALLED_MODE)],
                   "the daemon starts the installed velmora")
        run.wait_for_lodge("installed-package")
        assert command(run, "-exit")
        assert daemon.wait(15) == 0
    finally:
        removed = subprocess.run(["apt-get", "remove", "--purge", "-y", "-q", "velmora"], env=env,
                                 capture_output=True, text=True, timeout=300)
    assert removed.returncode == 0, removed.stderr
    assert not installed()
    assert not INSTALLED_MODE.exists() and not INSTALLED_XML.exists()
    assert not Path("/usr/share/doc/velmora").exists()
