"""The test command's closing line: skipped tests are named, and only the skips that
the list of expected skips names keep a run green."""
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
COUNT = ROOT / "tools" / "count_results.py"

GTEST_REPORT = """<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="3" name="AllTests">
  <testsuite name="Pictures" tests="3">
    <testcase name="Cube" status="run" result="completed" classname="Pictures" />
    <testcase name="Blur" status="run" result="skipped" classname="Pictures">
      <skipped message="no accumulation buffer" />
    </testcase>
    <testcase name="Text" status="run" result="completed" classname="Pictures" />
  </testsuite>
</testsuites>
"""

PYTEST_REPORT = """<?xml version="1.0" encoding="utf-8"?>
<testsuites><testsuite name="pytest" tests="2">
  <testcase classname="test_model" name="test_lodge" />
  <testcase classname="test_model" name="test_cube">
    <skipped type="pytest.skip" message="no display">skipped</skipped>
  </testcase>
</testsuite></testsuites>
"""


def run(tmp_path, expected: str, reports: dict, *absent):
    for name, text in reports.items():
        (tmp_path / f"{name}.xml").write_text(text)
    skips = tmp_path / "expected_skips.txt"
    skips.write_text(expected)
    return subprocess.run([sys.executable, str(COUNT), str(tmp_path), str(skips), *reports, *absent],
                          capture_output=True, text=True)


def test_expected_skips_are_counted_and_unexpected_ones_fail(tmp_path):
    result = run(tmp_path, "# comment\nunit Pictures.Blur: the context has none\n",
                 {"unit": GTEST_REPORT, "e2e": PYTEST_REPORT}, "missing")
    lines = result.stdout.splitlines()
    assert "unit: skipped Pictures.Blur: no accumulation buffer (expected)" in lines
    assert "e2e: skipped test_model.test_cube: no display (not expected: counts as failed)" in lines
    assert "missing: no report (crashed or did not run)" in lines
    # 2 + 1 passed; the unexpected skip and the missing report fail; one skip expected.
    assert lines[-1] == "tests: 3 passed, 2 failed, 1 skipped"
    assert result.returncode == 1


def test_a_run_whose_only_skips_are_expected_is_green(tmp_path):
    result = run(tmp_path, "unit Pictures.Blur: the context has none\n", {"unit": GTEST_REPORT})
    assert result.stdout.splitlines()[-1] == "tests: 2 passed, 0 failed, 1 skipped"
    assert result.returncode == 0, result.stdout


def test_an_expected_skip_in_another_report_does_not_cover_this_one(tmp_path):
    result = run(tmp_path, "other Pictures.Blur: elsewhere only\n", {"unit": GTEST_REPORT})
    assert "unit: skipped Pictures.Blur: no accumulation buffer (not expected: counts as failed)" \
        in result.stdout.splitlines()


def test_a_malformed_list_of_expected_skips_stops_the_count(tmp_path):
    result = run(tmp_path, "unit Pictures.Blur\n", {"unit": GTEST_REPORT})
    assert result.returncode != 0
    assert "expected 'REPORT TEST-ID: reason'" in result.stderr
