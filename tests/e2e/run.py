#!/usr/bin/env python3
"""Runs the end-to-end tests: every test_* function of every test_*.py here,
in a Wine of their own (QF_WINE_RUN names its folder, build/wine-e2e unless
set).

Each test starts from a clean slate and leaves one: no copy of the program
running, none of the maker's settings, an empty catcher log, and what the
test's file takes away itself in its clean_up().
Usage: run.py [--junit REPORT.xml] [substring ...]
"""
import argparse
import importlib.util
import os
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402


def clean_slate(module):
    harness.kill_all_copies()
    getattr(module, "clean_up", lambda: None)()
    harness.reg_delete_tree(harness.MAKER_KEY)
    harness.reset_catcher()


def collect(filters):
    """The tests, loaded once the run's Wine is up: the files take the
    prefix's paths as they are imported."""
    tests = []
    for path in sorted(Path(__file__).resolve().parent.glob("test_*.py")):
        spec = importlib.util.spec_from_file_location(path.stem, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        for name in sorted(n for n in dir(module) if n.startswith("test_")):
            full = f"{path.stem}.{name}"
            if not filters or any(f in full for f in filters):
                tests.append((full, module, getattr(module, name)))
    return tests


def run(tests):
    results = []
    for full, module, fn in tests:
        t0 = time.time()
        try:
            clean_slate(module)
            fn()
            results.append((full, time.time() - t0, None))
            print(f"PASS {full} ({time.time() - t0:.1f}s)", flush=True)
        except Exception as e:  # a failing test must not stop the others
            results.append((full, time.time() - t0, str(e) or type(e).__name__))
            print(f"FAIL {full} ({time.time() - t0:.1f}s): {e}", flush=True)
            traceback.print_exc(limit=3)
            try:
                harness.screenshot("FAILED-" + full.replace(".", "-"))
            except Exception:
                pass
        t0 = time.time()
        try:
            clean_slate(module)
        except Exception as e:
            print(f"FAIL cleaning up after {full}: {e}", flush=True)
            results.append((f"cleaning up after {full}", time.time() - t0, str(e)))
    return results


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--junit", type=Path, help="also write the results as a JUnit report")
    ap.add_argument("filters", nargs="*", help="run only tests whose names hold one of these")
    args = ap.parse_args()
    folder = os.environ.get("QF_WINE_RUN") or harness.ROOT / "build" / "wine-e2e"
    with harness.wine_run(folder):
        results = run(collect(args.filters))
    failed = sum(1 for r in results if r[2] is not None)
    print(f"e2e: {len(results) - failed} passed, {failed} failed", flush=True)
    if args.junit:
        harness.write_junit(args.junit, "e2e", results)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
