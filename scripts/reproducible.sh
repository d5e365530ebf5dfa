#!/usr/bin/env bash
# Two builds of the same commit give the same bytes. First checks that this
# machine and commit are the ones a BUILDINFO.txt records (build/dist's, or
# the one named, e.g. a release's), then builds both programs again in another
# folder, packages them, and compares every file of that release with
# build/dist/ (made by scripts/build.sh and scripts/dist.py before).
#   reproducible.sh [BUILDINFO.txt]
# Ends with one line; exits non-zero when the machine or a file differs.
set -euo pipefail
cd "$(dirname "$0")/.."
recorded=${1:-build/dist/BUILDINFO.txt}
[ -f "$recorded" ] || { echo "reproducible: $recorded is missing (run scripts/dist.py)"; exit 1; }
# The release's date is part of its bytes.
epoch=$(sed -n 's/^SOURCE_DATE_EPOCH: //p' "$recorded")
[ -z "$epoch" ] || export SOURCE_DATE_EPOCH=$epoch
if ! differ=$(diff "$recorded" <(python3 scripts/dist.py --buildinfo)); then
  echo "$differ" | sed -n 's/^</  recorded:/p; s/^>/  here:    /p'
  echo "reproducible: this machine or commit is not the one $recorded records" \
    "in $(echo "$differ" | grep -c '^<') of its lines"
  exit 1
fi
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
