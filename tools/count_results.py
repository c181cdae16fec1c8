#!/usr/bin/env python3
"""Sums the JUnit-style XML reports of one test run (GoogleTest and pytest write the
same form) and prints the run's closing line, "tests: N passed, N failed, N skipped".

A suite without a report crashed: it counts as one failure. Every skipped test is
named with its reason. A skip is expected only when the list of expected skips
(tools/expected_skips.txt) names it: any other skip counts as a failure too, so a run
in which OpenGL or a tool could not be had never ends green by skipping what it tests.
Exits 1 when anything failed.

    count_results.py RESULTS_DIR EXPECTED_SKIPS_FILE REPORT...
"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def read_expected_skips(path: Path) -> dict:
    """{(report, test id): reason} from lines "REPORT TEST-ID: reason"; # starts a comment."""
    expected = {}
    for number, line in enumerate(path.read_text().splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        head, sep, reason = line.partition(":")
        fields = head.split()
        if not sep or len(fields) != 2 or not reason.strip():
            raise ValueError(f"{path}:{number}: expected 'REPORT TEST-ID: reason', got {line!r}")
        expected[(fields[0], fields[1])] = reason.strip()
    return expected


def skip_reason(case) -> str:
    skipped = case.find("skipped")
    if skipped is not None:
        return (skipped.get("message") or skipped.text or "").strip() or "no reason given"
    return "no reason given"


def is_skipped(case) -> bool:
    return case.find("skipped") is not None or case.get("result") == "skipped" or case.get("status") == "notrun"


def count(report: Path):
    """(passed, failed, [(test id, reason) of every skipped test])."""
    root = ET.parse(report).getroot()
    suites = [root] if root.tag == "testsuite" else root.iter("testsuite")
    passed = failed = 0
    skipped = []
    for suite in suites:
        for case in suite.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif is_skipped(case):
                skipped.append((f"{case.get('classname')}.{case.get('name')}", skip_reason(case)))
            else:
                passed += 1
    return passed, failed, skipped


def main(argv):
    results, expected = Path(argv[1]), read_expected_skips(Path(argv[2]))
    total_passed = total_failed = total_skipped = 0
    for name in argv[3:]:
        report = results / f"{name}.xml"
        try:
            passed, failed, skipped = count(report)
        except (OSError, ET.ParseError):
            print(f"{name}: no report (crashed or did not run)")
            passed, failed, skipped = 0, 1, []
        expected_here = 0
        for test, reason in skipped:
            if (name, test) in expected:
                print(f"{name}: skipped {test}: {reason} (expected)")
                expected_here += 1
            else:
                print(f"{name}: skipped {test}: {reason} (not expected: counts as failed)")
                failed += 1
        print(f"{name}: {passed} passed, {failed} failed, {expected_here} skipped")
        total_passed += passed
        total_failed += failed
        total_skipped += expected_here
    print(f"tests: {total_passed} passed, {total_failed} failed, {total_skipped} skipped")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
