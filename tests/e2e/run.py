#!/usr/bin/env python3
"""Runs the end-to-end tests: every test_* function of every test_*.py here.

Each test starts from a clean slate and leaves one: no copy of the program
running, none of the maker's settings, an empty catcher log, and what the
test's file takes away itself in its clean_up(). Usage: run.py [substring ...]
"""
import importlib.util
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


def main(filters):
    harness.register_catcher()
    tests = []
    for path in sorted(Path(__file__).resolve().parent.glob("test_*.py")):
        spec = importlib.util.spec_from_file_location(path.stem, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        for name in sorted(n for n in dir(module) if n.startswith("test_")):
            full = f"{path.stem}.{name}"
            if not filters or any(f in full for f in filters):
                tests.append((full, module, getattr(module, name)))

    passed = failed = 0
    for full, module, fn in tests:
        t0 = time.time()
        try:
            clean_slate(module)
            fn()
            passed += 1
            print(f"PASS {full} ({time.time() - t0:.1f}s)", flush=True)
        except Exception as e:  # a failing test must not stop the others
            failed += 1
            print(f"FAIL {full} ({time.time() - t0:.1f}s): {e}", flush=True)
            traceback.print_exc(limit=3)
            try:
                harness.screenshot("FAILED-" + full.replace(".", "-"))
            except Exception:
                pass
        try:
            clean_slate(module)
        except Exception as e:
            print(f"FAIL cleaning up after {full}: {e}", flush=True)
            failed += 1
    print(f"e2e: {passed} passed, {failed} failed", flush=True)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
