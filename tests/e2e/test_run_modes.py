"""Every command line of velmora.scr and its 32-bit exit code, read by a Windows helper."""
import pytest

MINUS_ONE = "0xFFFFFFFF"


@pytest.mark.parametrize("args", [["/x"], ["/1"], ["/\t/s"], ["/\xe9"], ["/a"], ["-A", "1234"]],
                         ids=["letter-x", "digit", "tab-before-letter", "high-byte", "password-change",
                              "password-change-with-handle"])
def test_unusable_command_lines_end_with_minus_one(saver, args):
    report = saver.run(*args)
    assert report.get("exit_hex") == MINUS_ONE, report


@pytest.mark.parametrize("args", [["/p"], ["/p:1234"], ["/p", "0"], ["/p", "12345"]],
                         ids=["bare", "colon", "zero", "no-such-window"])
def test_preview_without_a_usable_parent_ends_with_minus_one(saver, args):
    report = saver.run(*args)
    assert report.get("exit_hex") == MINUS_ONE, report
    assert saver.count_windows("Screensaver Preview") == 0


@pytest.mark.parametrize("prefix", ["/p ", "/p", "-P  "], ids=["space", "joined", "minus-upper-two-spaces"])
def test_preview_runs_inside_the_parent_and_ends_with_it(saver, prefix):
    report = saver.preview(hold_ms=2500, prefix=prefix)
    assert report.get("ended_early") == "0", report
    assert report.get("child") == "1", report
    assert report.get("child_size") == "320x240", report
    # WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN
    assert int(report["child_style"], 16) & 0x52000000 == 0x52000000, report
    assert report.get("exit_hex") == "0x00000000", report


def test_second_full_screen_start_ends_at_once_with_zero(saver):
    first = saver.start("/s")
    window = saver.wait_for_window("Screensaver")
    second = saver.run("/S", timeout_ms=10000)
    assert second.get("exit_hex") == "0x00000000", second
    assert saver.count_windows("Screensaver") == 1
    assert not first.finished()
    saver.key(window, "q")
    assert first.result().get("exit_hex") == "0x00000000"


@pytest.mark.parametrize("args", [["/s"], ["-s"], ["s"], [" /s"], ["//--s"], ["/save"]],
                         ids=["slash", "minus", "bare", "blank-first", "mixed-separators", "save"])
def test_full_screen_spellings_start_the_saver(saver, args):
    job = saver.start(*args)
    saver.key(saver.wait_for_window("Screensaver"), "Escape")
    assert job.result().get("exit_hex") == "0x00000000"
