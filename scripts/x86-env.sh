#!/usr/bin/env bash
# The 32-bit program's own Windows: this kernel runs no 32-bit x86 code, so
# Debian's i386 Wine runs in an i386 chroot under user-mode emulation
# (qemu-user through binfmt_misc). The chroot and the emulator are made once
# per machine and recipe version under ~/.cache/quillfind/.
#   x86-env.sh run COMMAND...  prepares the chroot, registers the emulator,
#                              mounts /proc into the chroot and runs COMMAND
#                              here with QF_X86_ROOT naming the chroot, then
#                              unmounts, also when something failed. A run's
#                              Wine there (template prefix, copy, display,
#                              server) is scripts/wine_env.py's, arch "win32".
# A set-up problem ends the run with a line "x86 smoke: ..." that names it.
set -uo pipefail

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

# Runs a command in the chroot $1.
in_chroot() {
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@" </dev/null
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

# The chroot with Wine; made aside in $building and moved into place whole.
building=''
make_cache() {
  local root t0=$SECONDS
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
  in_chroot "$root" apt-get update -q || say "apt-get update failed in part; going on"
  in_chroot "$root" DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    --no-install-recommends "${CHROOT_PACKAGES[@]}" || return 1
  in_chroot "$root" apt-get clean
  in_chroot "$root" locale-gen || return 1
  say "the packages in the chroot took $((SECONDS - t0)) s"
  unmount_all
  touch "$building/.ready"
  mv -T "$building" "$cache" 2>/dev/null || rm -rf "$building"
  building=''
}

# What finish must see after run has returned.
command='' root=$cache/root
finish() {
  # The command ends its Wine itself, which needs the chroot's /proc.
  [ -z "$command" ] || { kill "$command" && wait "$command"; } 2>/dev/null
  unmount_all
  # A cache left half made is removed only once nothing is mounted in it.
  [ -z "$building" ] || grep -qF " $building/" /proc/self/mounts || rm -rf "$building"
}

run() {
  trap finish EXIT
  trap 'exit 130' INT TERM

  binfmt_usable || return 1
  mkdir -p "$(dirname "$cache")"
  # One run makes the cache; another that starts meanwhile waits for it.
  exec 9>"$cache.lock"
  flock 9
  if [ ! -f "$cache/.ready" ]; then
    say "making the i386 chroot (once per machine)"
    make_cache || { echo "x86 smoke: the chroot could not be made"; return 1; }
  fi
  flock -u 9
  register_binfmt "$cache/qemu-i386" || return 1
  in_chroot "$root" /bin/true || { echo "x86 smoke: i386 programs do not run here"; return 1; }
  mount_into "$root" /proc || { echo "x86 smoke: cannot mount into the chroot"; return 1; }
  export QF_X86_ROOT=$root
  # Waited for in the background, so that a signal ends the run at once.
  "$@" &
  command=$!
  wait $command
}

case ${1:-} in
  run) shift; run "$@" ;;
  *) echo "usage: $0 run COMMAND..." >&2; exit 2 ;;
esac
