#!/usr/bin/env bash
# Installs everything the build and the tests need on a bare Debian machine.
# Safe to run again: it only installs what is missing. Prints one line; the
# package manager's output goes to build/setup.log.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  mingw-w64-x86-64-dev mingw-w64-i686-dev
  wine wine64 xvfb xserver-xephyr xdotool x11-utils imagemagick
  locales fonts-ipafont-gothic fonts-wine
  cmake make googletest python3 nsis clang-format
  osslsigncode openssl python3-yaml
  debootstrap xclip
)

mkdir -p build
log=build/setup.log
: >"$log"

# Runs a command with its output in the log; on failure shows the log's end.
quietly() {
  if ! "$@" >>"$log" 2>&1; then
    echo "setup: failed: $*; the end of $log:"
    tail -n 20 "$log"
    exit 1
  fi
}

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

done_what=()
if [ ${#missing[@]} -gt 0 ]; then
  quietly $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  quietly $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
  done_what+=("installed ${#missing[@]} packages")
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page
# 932, en_US.UTF-8 1252 and hi_IN.UTF-8 65001 (Windows' UTF-8 option); the tests
# run the program under all three.
for loc in ja_JP en_US hi_IN; do
  locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$" && continue
  quietly $SUDO sed -i "s/^# *\($loc\.UTF-8 UTF-8\)/\1/; s/^# *$loc UTF-8\$/$loc.UTF-8 UTF-8/" /etc/locale.gen
  grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen ||
    echo "$loc.UTF-8 UTF-8" | quietly $SUDO tee -a /etc/locale.gen
  generate=1
done
if [ -n "${generate:-}" ]; then
  quietly $SUDO locale-gen
  done_what+=("generated the test locales")
fi

if [ ${#done_what[@]} -eq 0 ]; then
  echo "setup: nothing missing"
else
  echo "setup: $(IFS=';'; echo "${done_what[*]}") (log: $log)"
fi
