#!/usr/bin/env python3
"""Reads ctest's JUnit report of a run of the GoogleTest programs and prints the
run's line: the cases passed and failed, the failing cases by name, and for a
program that failed without a failing case (a crash, or a heap message where
the run looks for them) its name and the end of its output, counted as one
failure. The last line is "counts P F", for the test command's totals.

    unit-counts.py REPORT.xml "what ran (log: ...)"
"""
import re
import sys
import xml.etree.ElementTree as ET


def main(report, title):
    passed = failed = 0
    failing, broken = [], []
    for case in ET.parse(report).getroot().iter("testcase"):
        out = case.findtext("system-out") or ""
        p = sum(map(int, re.findall(r"\[  PASSED  \] (\d+) tests?\.", out)))
        f = sum(map(int, re.findall(r"(\d+) FAILED TESTS?", out)))
        names = sorted(set(re.findall(r"\[  FAILED  \] ([A-Za-z_]\w*\.\w+)", out)))
        passed, failed = passed + p, failed + f
        failing += names
        if case.get("status") == "fail" and f == 0:
            broken.append((case.get("name"), out))
    line = f"{title}: {passed} passed, {failed} failed"
    print(line + (f", {len(broken)} programs broken" if broken else ""))
    for name in sorted(set(failing)):
        print(f"  {name}")
    for name, out in broken:
        print(f"  {name}, the end of its output:")
        for text in out.strip().splitlines()[-20:]:
            print(f"  | {text}")
    print(f"counts {passed} {failed + len(broken)}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
