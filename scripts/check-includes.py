#!/usr/bin/env python3
"""Checks the program's includes and prints one line; exits 1 on a fault.

Lower layers never include upper ones: framework/ at the bottom, util/ on it,
settings/ on that, tray/ and search/ beside each other above them, app/ on top (res/ stands
beside every layer). Within one folder no two files include each other, the
header and source of one name counting as one file.
"""
import re
import sys
from pathlib import Path

LAYERS = {"framework": 0, "util": 1, "settings": 2, "tray": 3, "search": 3, "app": 4}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def main():
    root = Path(__file__).resolve().parents[1]
    sources = [p for top in LAYERS for p in (root / top).rglob("*") if p.suffix in (".cpp", ".h")]
    faults = []
    edges = {}  # within one folder: file -> files it includes
    for path in sources:
        rel = path.relative_to(root)
        top = rel.parts[0]
        unit = rel.with_suffix("")
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            target_top = target.split("/")[0]
            if target_top not in LAYERS:
                continue
            upward = LAYERS[target_top] > LAYERS[top]
            sideways = LAYERS[target_top] == LAYERS[top] and target_top != top
            if upward or sideways:
                faults.append(f"{rel} includes {target}")
            target_unit = Path(target).with_suffix("")
            if target_unit.parent == unit.parent and target_unit != unit:
                edges.setdefault(unit, set()).add(target_unit)
    faults += [f"circle: {' -> '.join(map(str, c))}" for c in circles(edges)]
    if faults:
        print(f"includes: {len(faults)} faults: " + "; ".join(faults))
        return 1
    print(f"includes: {len(sources)} files, layers kept, no circles")
    return 0


def circles(edges):
    """One circle through each file that lies on one, found depth first."""
    found, done = [], set()

    def visit(node, path):
        if node in path:
            found.append(path[path.index(node):] + [node])
            return
        if node in done:
            return
        for nxt in sorted(edges.get(node, ())):
            visit(nxt, path + [node])
        done.add(node)

    for node in sorted(edges):
        visit(node, [])
    return found


if __name__ == "__main__":
    sys.exit(main())
