#!/usr/bin/env python3
"""Runs the end-to-end tests: every test_* function of every test_*.py here.

Each test starts from a clean slate: no copy of the program running, no
settings, an empty catcher log. Usage: run.py [substring ...]
"""
import importlib.util
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402


def clean_slate():
    harness.kill_all_copies()
    harness.reg_delete_tree(harness.SETTINGS_KEY)
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
                tests.append((full, getattr(module, name)))

    passed = failed = 0
    for full, fn in tests:
        t0 = time.time()
        try:
            clean_slate()
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
        harness.kill_all_copies()
    except Exception:
        pass
    print(f"e2e: {passed} passed, {failed} failed", flush=True)
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
