#!/usr/bin/env bash
# Two builds of the same commit give the same bytes: builds both programs again
# in another folder, packages them, and compares every file of that release
# with build/dist/ (made by scripts/build.sh and scripts/dist.py before).
# Prints one line; exits non-zero when a file differs.
set -euo pipefail
cd "$(dirname "$0")/.."
again=build/again
rm -rf "$again"
QF_BUILD_DIR=$again QF_BUILD_TESTS=OFF bash scripts/build.sh
python3 scripts/dist.py --build "$again"
same=0 differ=()
while IFS= read -r f; do
  if cmp -s "build/dist/$f" "$again/dist/$f"; then same=$((same + 1)); else differ+=("$f"); fi
done < <(cd build/dist && find . -type f | sort)
[ "$(cd "$again/dist" && find . -type f | wc -l)" -eq $((same + ${#differ[@]})) ] ||
  differ+=("(the second build made other files)")
if [ ${#differ[@]} -gt 0 ]; then
  echo "reproducible: ${#differ[@]} files differ between two builds: ${differ[*]}"
  exit 1
fi
echo "reproducible: $same files the same in two builds"
