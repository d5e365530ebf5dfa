#!/usr/bin/env bash
# Checks every C++ source against the project's clang-format settings and
# prints one line; exits 1 when a file needs formatting. To format them:
#   clang-format -i $(git ls-files '*.cpp' '*.h')
set -uo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' 2>/dev/null)
[ ${#files[@]} -gt 0 ] ||
  mapfile -t files < <(find . -path ./build -prune -o -name '*.cpp' -print -o -name '*.h' -print)
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "format: ${#bad[@]} of ${#files[@]} files need clang-format: ${bad[*]}"
  exit 1
fi
echo "format: ${#files[@]} files ok"
