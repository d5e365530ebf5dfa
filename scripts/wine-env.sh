# Sourced by the test and run scripts: one Wine prefix and one Xvfb display
# per run, copied from a template prefix that is made once per machine.
#   qf_env_up DIR   prepares DIR/prefix, starts Xvfb, exports WINEPREFIX, DISPLAY, TMPDIR
#   qf_env_down     ends Wine and Xvfb
# shellcheck shell=bash

# The one place that names Wine's programs; the ctest wrapper and the
# end-to-end harness take them from here.
export QF_WINE=/usr/lib/wine/wine64
export QF_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$QF_WINESERVER" ] || QF_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# The template's recipe version: raise it whenever qf_make_template changes, so
# every machine builds the new template beside the old one (which other runs
# may still be copying) instead of keeping a stale one.
QF_TEMPLATE_RECIPE=2
export QF_TEMPLATE=${QF_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillfind/wine-template-r$QF_TEMPLATE_RECIPE}

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}
export LANG=${QF_LANG:-ja_JP.UTF-8}
export LC_ALL=$LANG

qf_wine() { "$QF_WINE" "$@" </dev/null; }

# The fonts a Japanese desktop names in its dialogs, as name:font.
QF_FONT_SUBSTITUTES=("ＭＳ Ｐゴシック:IPAPGothic" "ＭＳ ゴシック:IPAGothic" "MS PGothic:IPAPGothic"
  "MS Gothic:IPAGothic" "MS Shell Dlg:IPAPGothic" "MS UI Gothic:IPAPGothic")

qf_make_template() {
  [ -f "$QF_TEMPLATE/.ready" ] && return 0
  echo "wine-env: creating the template Wine prefix (once per machine)"
  mkdir -p "$(dirname "$QF_TEMPLATE")"
  # Built aside and moved into place whole, so a run that starts meanwhile
  # never copies half a prefix, and two runs building at once do no harm.
  local build; build=$(mktemp -d "$QF_TEMPLATE.building.XXXXXX")
  local tmp; tmp=$(mktemp -d)
  (
    export WINEPREFIX=$build TMPDIR=$tmp DISPLAY=
    "$QF_WINE" wineboot -i </dev/null >/dev/null 2>&1
    # Wine places and frames its windows itself: no window manager needed,
    # and a window put at (40, 40) is at (40, 40) on the screen.
    "$QF_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    for f in "${QF_FONT_SUBSTITUTES[@]}"; do
      "$QF_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "${f%%:*}" /d "${f#*:}" /f >/dev/null 2>&1
    done
    # The symbol font of the title-bar buttons; without it they draw as letters.
    local marlett=/usr/share/wine/fonts/marlett.ttf
    if [ -f "$marlett" ]; then
      cp "$marlett" "$build/drive_c/windows/Fonts/"
      "$QF_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
        /v 'Marlett (TrueType)' /d marlett.ttf /f >/dev/null 2>&1
    else
      echo "wine-env: $marlett is missing (package fonts-wine); title-bar buttons will show letters"
    fi
    "$QF_WINESERVER" -k >/dev/null 2>&1 || true
    "$QF_WINESERVER" -w >/dev/null 2>&1 || true
  )
  rm -rf "$tmp"
  touch "$build/.ready"
  mv -T "$build" "$QF_TEMPLATE" 2>/dev/null || rm -rf "$build"
}

qf_free_display() {
  local n=${1:-90}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

qf_env_up() {
  local dir=$1
  qf_make_template
  rm -rf "$dir"
  mkdir -p "$dir/tmp"
  cp -a "$QF_TEMPLATE" "$dir/prefix"
  export WINEPREFIX=$dir/prefix TMPDIR=$dir/tmp
  local n; n=$(qf_free_display "${QF_DISPLAY_BASE:-90}")
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  QF_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  # A persistent server with detached streams: it and the desktop process
  # would otherwise hold the output of whichever test started them.
  "$QF_WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$QF_WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

qf_env_down() {
  "$QF_WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${QF_XVFB_PID:-}" ]; then
    kill "$QF_XVFB_PID" 2>/dev/null || true
    wait "$QF_XVFB_PID" 2>/dev/null || true
    QF_XVFB_PID=
  fi
}
