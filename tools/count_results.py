#!/usr/bin/env python3
"""Sums the JUnit-style XML reports of one test run (GoogleTest and pytest write the
same form) and prints the run's closing line. A suite without a report crashed: it
counts as one failure. Exits 1 when anything failed."""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def count(report: Path):
    root = ET.parse(report).getroot()
    suites = [root] if root.tag == "testsuite" else root.iter("testsuite")
    passed = failed = 0
    for suite in suites:
        for case in suite.iter("testcase"):
            if case.find("failure") is not None or case.find("error") is not None:
                failed += 1
            elif case.find("skipped") is not None or case.get("result") == "skipped" \
                    or case.get("status") == "notrun":
                continue
            else:
                passed += 1
    return passed, failed


def main():
    results = Path(sys.argv[1])
    total_passed = total_failed = 0
    for name in sys.argv[2:]:
        report = results / f"{name}.xml"
        try:
            passed, failed = count(report)
        except (OSError, ET.ParseError):
            print(f"{name}: no report (crashed or did not run)")
            passed, failed = 0, 1
        print(f"{name}: {passed} passed, {failed} failed")
        total_passed += passed
        total_failed += failed
    print(f"tests: {total_passed} passed, {total_failed} failed")
    return 1 if total_failed else 0


if __name__ == "__main__":
    sys.exit(main())
