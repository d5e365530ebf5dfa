#!/usr/bin/env bash
# The 32-bit program's own Windows: this kernel runs no 32-bit x86 code, so
# Debian's i386 Wine runs in an i386 chroot under user-mode emulation
# (qemu-user through binfmt_misc). The chroot and a win32 template prefix are
# made once per machine and recipe version under ~/.cache/quillfind/.
#   x86-env.sh run COMMAND...  builds the i686 catcher, prepares the cache, copies
#                              the template prefix, mounts, starts Xvfb and one
#                              wineserver, runs COMMAND here, then ends and
#                              unmounts everything, also when something failed
#   x86-env.sh wine ARGS...    within a run: Wine in the chroot and the run's prefix
# A set-up problem ends the run with a line "x86 smoke: ..." that names it.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/wine-env.sh"

# Raise whenever make_cache changes; the new cache is then made beside the old.
QF_X86_RECIPE=1
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillfind/x86-r$QF_X86_RECIPE
mirror=${QF_DEBIAN_MIRROR:-http://deb.debian.org/debian}
# What Wine loads for windows, text and fonts; the recommends would add sound,
# OpenGL and printing for nothing.
CHROOT_PACKAGES=(wine wine32 libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1
  libxfixes3 libxinerama1 libxcomposite1 libfreetype6 libfontconfig1 locales
  fonts-ipafont-gothic fonts-wine)

say() { echo "x86-env: $* ($(date +%T))"; }

# Sets chroot_env to the command that runs what follows it in the chroot $1,
# with the Wine environment of the folder $2 there (prefix/ and tmp/ below it).
in_chroot() {
  chroot_env=(chroot "$1" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LANG="$LANG"
    LC_ALL="$LANG" DISPLAY="${DISPLAY:-}" WINEARCH=win32 WINEPREFIX="$2/prefix"
    TMPDIR="$2/tmp" WINEDEBUG="$WINEDEBUG" WINEDLLOVERRIDES="$WINEDLLOVERRIDES")
}

# Runs a command in the chroot $1 with the Wine environment of the folder $2.
x86() {
  in_chroot "$1" "$2"
  shift 2
  "${chroot_env[@]}" "$@" </dev/null
}

# Binds folders or files into the chroot $1. Never a folder of the host that
# holds files: should a run be killed, its mounts stay, and removing the cache
# would then remove those files too. /proc refuses it, and a file that is a
# mount point cannot be removed.
mounted=()
mount_into() {
  local root=$1 what
  shift
  for what in "$@"; do
    if [ -d "$what" ]; then mkdir -p "$root$what"; else
      mkdir -p "$(dirname "$root$what")" && touch "$root$what"
    fi
    mount --bind "$what" "$root$what" || return 1
    mounted+=("$root$what")
  done
}

# Last mounted first. Another run may have mounted the same folders over
# ours; either way one layer goes and the other run keeps one.
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  mounted=()
}

binfmt=/proc/sys/fs/binfmt_misc
binfmt_usable() {
  [ "$(id -u)" -eq 0 ] ||
    { echo "x86 smoke: cannot register the i386 handler: not root"; return 1; }
  [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null ||
    { echo "x86 smoke: cannot register the i386 handler: binfmt_misc cannot be mounted"; return 1; }
}

# The kernel hands i386 ELF files to the emulator $1. F: the emulator is
# opened now, so the chroot needs no copy of it. Debian registers none for
# i386 on amd64.
register_binfmt() {
  local entry=$binfmt/qemu-i386
  if [ -e $entry ] && ! { grep -qxF "interpreter $1" $entry && grep -q '^flags: .*F' $entry; }; then
    echo -1 >$entry
  fi
  [ -e $entry ] || printf ':qemu-i386:M::%s:%s:%s:F' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
    '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' "$1" \
    2>/dev/null >$binfmt/register ||
    { echo "x86 smoke: cannot register the i386 handler: the kernel refused it"; return 1; }
  grep -qx enabled $entry || echo 1 >$entry
}

# The emulator, taken from bookworm-backports' package without installing it.
# Bookworm's own (7.2) keeps the flags of guest pages one by one, and Wine
# reserves most of the 32-bit address space: there every Wine process took a
# minute and more to start, and the desktop process crashed now and then.
fetch_qemu() {
  local apt=$building/apt opts
  mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial"
  echo "deb $mirror bookworm-backports main" >"$apt/sources.list"
  opts=(-q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
  apt-get "${opts[@]}" update || return 1
  (cd "$apt" && apt-get "${opts[@]}" download qemu-user/bookworm-backports) || return 1
  dpkg-deb -x "$apt"/qemu-user_*.deb "$apt/deb" || return 1
  cp "$apt/deb/usr/bin/qemu-i386" "$building/qemu-i386" && rm -rf "$apt"
}

# The prefix's settings as one registry file (UTF-16, for the Japanese font
# names), for one Windows process to import.
prefix_settings() {
  {
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
      '[HKEY_CLASSES_ROOT\http\shell\open\command]' '@="\"C:\\qf\\catcher.exe\" \"%1\""' '' \
      '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]' \
      '"Marlett (TrueType)"="marlett.ttf"' '' \
      '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]'
    local f
    for f in "${QF_FONT_SUBSTITUTES[@]}"; do printf '"%s"="%s"\r\n' "${f%%:*}" "${f#*:}"; done
  } | iconv -f UTF-8 -t UTF-16
}

# The chroot with Wine, and the template prefix at /qf/template in it; made
# aside in $building and moved into place whole.
building=''
make_cache() {
  local root t0=$SECONDS dir=/qf/template
  building=$(mktemp -d "$cache.building.XXXXXX") || return 1
  root=$building/root
  fetch_qemu && register_binfmt "$building/qemu-i386" || return 1
  say "the emulator: $("$building/qemu-i386" --version | head -1)"
  t0=$SECONDS
  say "debootstrap of an i386 bookworm"
  timeout 1800 debootstrap --arch=i386 --variant=minbase bookworm "$root" "$mirror" || return 1
  say "debootstrap took $((SECONDS - t0)) s"
  printf 'deb %s bookworm main\ndeb %s bookworm-updates main\ndeb %s bookworm-security main\n' \
    "$mirror" "$mirror" "${mirror%/debian}/debian-security" >"$root/etc/apt/sources.list"
  echo 'ja_JP.UTF-8 UTF-8' >"$root/etc/locale.gen"
  mount_into "$root" /proc || return 1
  t0=$SECONDS
  # The security suite's i386 index has been caught mid-sync on the mirror
  # ("File has unexpected size"); the install fails if what it needs is missing.
  chroot "$root" apt-get update -q || say "apt-get update failed in part; going on"
  chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${CHROOT_PACKAGES[@]}" || return 1
  chroot "$root" apt-get clean
  chroot "$root" locale-gen || return 1
  say "the packages in the chroot took $((SECONDS - t0)) s"
  t0=$SECONDS
  mkdir -p "$root$dir/tmp"
  prefix_settings >"$root$dir/settings.reg"
  # No display: nothing may wait for a dialog while the prefix is made.
  DISPLAY='' x86 "$root" $dir timeout 2400 wine wineboot -i
  say "wineboot -i took $((SECONDS - t0)) s"
  cp "$root/usr/share/wine/fonts/marlett.ttf" "$root$dir/prefix/drive_c/windows/Fonts/"
  DISPLAY='' x86 "$root" $dir timeout 600 wine regedit /S 'Z:\qf\template\settings.reg'
  # What wineboot started goes on working for a while: let it finish.
  x86 "$root" $dir timeout 1200 wineserver -w
  x86 "$root" $dir wineserver -k
  say "the win32 prefix took $((SECONDS - t0)) s"
  grep -q 'catcher.exe' "$root$dir/prefix/system.reg" ||
    { say "the prefix lacks its settings"; return 1; }
  unmount_all
  rm -rf "$root$dir/tmp" "$root$dir/settings.reg"
  touch "$building/.ready"
  mv -T "$building" "$cache" 2>/dev/null || rm -rf "$building"
  building=''
}

# Process ids of the run's prefix, found by the environment Wine passes on.
own_processes() {
  grep -lsxF --null-data "WINEPREFIX=$1/prefix" /proc/[0-9]*/environ | cut -d/ -f3
}

# What finish must see after run has returned.
rundir='' xvfb='' command='' root=$cache/root
finish() {
  [ -z "$command" ] || kill "$command" 2>/dev/null
  if [ -n "$rundir" ]; then
    in_chroot "$root" "$QF_X86_RUN"
    timeout 120 "${chroot_env[@]}" wineserver -k </dev/null >/dev/null 2>&1
    local pids; mapfile -t pids < <(own_processes "$QF_X86_RUN")
    [ ${#pids[@]} -eq 0 ] || { say "ending what is left: ${pids[*]}"; kill -9 "${pids[@]}"; }
  fi
  [ -z "$xvfb" ] || { kill "$xvfb" && wait "$xvfb"; } 2>/dev/null
  unmount_all
  # The run's own folder holds no mount point; a cache left half made
  # is removed only once nothing is mounted in it.
  [ -z "$rundir" ] || rm -rf "$rundir"
  [ -z "$building" ] || grep -qF " $building/" /proc/self/mounts || rm -rf "$building"
}

run() {
  local n t0
  trap finish EXIT
  trap 'exit 130' INT TERM

  binfmt_usable || return 1
  (cd "$repo" && cmake --build build/win32 --target catcher >/dev/null) ||
    { echo "x86 smoke: the i686 catcher did not build"; return 1; }
  mkdir -p "$(dirname "$cache")"
  # One run makes the cache; another that starts meanwhile waits for it.
  exec 9>"$cache.lock"
  flock 9
  if [ ! -f "$cache/.ready" ]; then
    say "making the i386 chroot and the win32 prefix (once per machine)"
    make_cache || { echo "x86 smoke: the chroot or its prefix could not be made"; return 1; }
  fi
  # A run holds the lock in its folder while it lives; a folder whose lock
  # is free was left by a run that was killed.
  for d in "$root"/qf/run.*; do
    [ -d "$d" ] && flock -n "$d/.lock" true && rm -rf "$d"
  done
  rundir=$(mktemp -d "$root/qf/run.XXXXXX")
  exec 8>"$rundir/.lock"
  flock 8
  flock -u 9
  register_binfmt "$cache/qemu-i386" || return 1
  x86 "$root" / /bin/true || { echo "x86 smoke: i386 programs do not run here"; return 1; }

  export QF_X86_ROOT=$root QF_X86_RUN=${rundir#"$root"} WINEPREFIX=$rundir/prefix
  if ! { mkdir "$rundir/tmp" && cp -a "$root/qf/template/prefix" "$rundir/prefix" &&
    mkdir "$rundir/prefix/drive_c/qf" && cp "$repo/build/win32/Quillfind.exe" \
    "$repo/build/win32/tools/catcher.exe" "$rundir/prefix/drive_c/qf/"; }; then
    echo "x86 smoke: the run's prefix could not be made"
    return 1
  fi

  n=$(qf_free_display 150)
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$rundir/xvfb.log" 2>&1 &
  xvfb=$!
  export DISPLAY=:$n
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  mount_into "$root" /proc "/tmp/.X11-unix/X$n" ||
    { echo "x86 smoke: cannot mount into the chroot"; return 1; }
  t0=$SECONDS
  x86 "$root" "$QF_X86_RUN" wineserver -p
  x86 "$root" "$QF_X86_RUN" wine wineboot
  say "the wineserver and the desktop started in $((SECONDS - t0)) s"
  # Waited for in the background, so that a signal ends the run at once.
  "$@" &
  command=$!
  wait $command
}

case ${1:-} in
  run) shift; run "$@" ;;
  wine)
    shift
    in_chroot "$QF_X86_ROOT" "$QF_X86_RUN"
    exec "${chroot_env[@]}" wine "$@" </dev/null ;;
  *) echo "usage: $0 run COMMAND... | wine ARGS..." >&2; exit 2 ;;
esac
