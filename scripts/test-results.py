#!/usr/bin/env python3
"""The one reader of the test command's results.

The test tree (tests/CMakeLists.txt) lists its ctest tests in BUILD/steps.txt,
one row each: the test, the locale label it runs under, its step, how its
results count, the step's log and the step's title.

    test-results.py locales BUILD      the locale labels, in the table's order
    ctest --test-dir BUILD -L ^LABEL$ -V | test-results.py follow BUILD LABEL
        prints each step's lines as soon as it and the steps before it are
        done, writes each step's log and the call's counts
    test-results.py total BUILD        "N passed, N failed" of the calls so far;
                                       exits 1 when something failed

How a test's results count (its kind):
  gtest  the GoogleTest cases of its report BUILD/results/TEST.xml; a program
         that failed without a failing case (a crash, a heap message) counts
         as one failure and shows the end of its output
  junit  the cases of the JUnit report BUILD/results/TEST.xml that it wrote;
         without a report, or failing without a failing case, one failure
  check  one check: its last line when it passed, else the title and the end
         of its log
  lint   its last line is shown; only a failure counts, as one
  wine   the Wine set-up or clean-up of a step: counts only when it failed
"""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
START = re.compile(r"^\s*Start\s+(\d+): (\S+)$")
OUTPUT = re.compile(r"^(\d+): ?(.*)$")
DONE = re.compile(r"^\s*\d+/\d+ Test\s+#(\d+): (\S+) [ .]*(?:\*\*\*)?(.+?)\s+([\d.]+) sec$")


class Test:
    def __init__(self, name, label, step, kind, log, title):
        self.name, self.label, self.step, self.kind = name, label, step, kind
        self.log, self.title = log, title
        self.output, self.status, self.done = [], "did not run", False

    @property
    def passed(self):
        return self.status == "Passed"


def table(build):
    rows = (line.split("\t") for line in (Path(build) / "steps.txt").read_text().splitlines())
    return [Test(*row) for row in rows if len(row) == 6]


def report(build, test):
    """The cases of the test's JUnit report as (name, seconds, failure or
    None), or None without a readable report."""
    try:
        root = ET.parse(Path(build) / "results" / f"{test.name}.xml").getroot()
    except (OSError, ET.ParseError):
        return None
    cases = []
    for case in root.iter("testcase"):
        if case.get("result") in ("skipped", "suppressed") or case.get("status") == "notrun" \
                or case.find("skipped") is not None:
            continue
        failure = case.find("failure")
        if failure is None:
            failure = case.find("error")
        message = None if failure is None else (failure.get("message") or "failed").splitlines()[0]
        name = case.get("name")
        if test.kind == "gtest":
            name = f"{case.get('classname')}.{name}"
        cases.append((name, float(case.get("time") or 0), message))
    return cases


def tail(test):
    """The end of a test's output, for a test that went wrong."""
    return [f"  {test.name} ({test.status}), the end of its output:",
            *(f"  | {line}" for line in test.output[-20:])]


def check_lines(test):
    """A check's or a lint's lines and its (passed, failed)."""
    last = next((line for line in reversed(test.output) if line.strip()), "")
    if test.passed:
        return [last + (f" (log: {test.log})" if test.kind == "check" else "")], test.kind == "check", 0
    if test.kind == "lint" and last:
        return [last], 0, 1
    return [test.title, *tail(test)], 0, 1


def step_lines(build, tests):
    """The lines a step prints, and its (passed, failed): a line of counts for
    the steps of cases, the failing cases and broken tests below it."""
    counted = [t for t in tests if t.kind != "wine"]
    lines, passed, failed = [], 0, 0
    for t in tests:
        if t.kind == "wine" and not t.passed:
            lines += tail(t)
            failed += 1
    if counted[0].kind in ("check", "lint"):
        top, passed, f = check_lines(counted[0])
        return top + lines, passed, failed + f
    kind, title, log = counted[0].kind, counted[0].title, counted[0].log
    cases_failed = broken = 0
    below = []
    for t in counted:
        cases = report(build, t) or []
        failing = [c for c in cases if c[2] is not None]
        passed += len(cases) - len(failing)
        cases_failed += len(failing)
        if kind == "gtest":
            below += [f"  {name}" for name in sorted({c[0] for c in failing})]
        else:
            below += [f"  FAIL {name} ({seconds:.1f}s): {message}"
                      for name, seconds, message in failing]
        if not t.passed and not failing:
            broken += 1
            lines += tail(t)
    if kind == "gtest":
        top = f"{title} (log: {log}): {passed} passed, {cases_failed} failed" + \
            (f", {broken} programs broken" if broken else "")
    else:
        top = f"{title}: {passed} passed, {cases_failed} failed (log: {log})"
    return [top, *below, *lines], passed, failed + cases_failed + broken


def follow(build, label):
    tests = [t for t in table(build) if t.label == label]
    by_name = {t.name: t for t in tests}
    steps = []
    for t in tests:
        if t.step not in steps:
            steps.append(t.step)
    members = {s: [t for t in tests if t.step == s] for s in steps}
    logs = {}
    for t in tests:  # each step's log holds what its tests said in this run
        if t.log not in logs:
            (ROOT / t.log).parent.mkdir(parents=True, exist_ok=True)
            logs[t.log] = open(ROOT / t.log, "w")
    raw = open(Path(build) / f"ctest-{label}.log", "w", buffering=1)  # to follow it live
    number = {}
    shown = passed = failed = 0

    def show_ready(at_end=False):
        nonlocal shown, passed, failed
        while shown < len(steps) and (at_end or all(t.done for t in members[steps[shown]])):
            for f in logs.values():
                f.flush()
            lines, p, f = step_lines(build, members[steps[shown]])
            print("\n".join(lines), flush=True)
            passed, failed, shown = passed + p, failed + f, shown + 1

    for line in sys.stdin:
        raw.write(line)
        line = line.rstrip("\n")
        m = START.match(line)
        if m and m[2] in by_name:
            number[m[1]] = by_name[m[2]]
            continue
        m = DONE.match(line)
        if m and m[2] in by_name:
            t = by_name[m[2]]
            t.status, t.done = m[3].strip(), True
            f = logs[t.log]
            f.write(f"---- {t.name}: {t.status} ({m[4]} s)\n" + "".join(o + "\n" for o in t.output))
            show_ready()
            continue
        m = OUTPUT.match(line)
        if m and m[1] in number:
            number[m[1]].output.append(m[2])
    raw.close()
    show_ready(at_end=True)
    results = Path(build) / "results"
    results.mkdir(exist_ok=True)
    (results / f"{label}.counts").write_text(f"{passed} {failed}\n")


def total(build):
    passed = failed = 0
    for counts in (Path(build) / "results").glob("*.counts"):
        p, f = counts.read_text().split()
        passed, failed = passed + int(p), failed + int(f)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


def main(argv):
    what, build = argv[1], argv[2]
    if what == "locales":
        labels = []
        for t in table(build):
            if t.label not in labels:
                labels.append(t.label)
        print(" ".join(labels))
    elif what == "follow":
        follow(build, argv[3])
    elif what == "total":
        return total(build)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
