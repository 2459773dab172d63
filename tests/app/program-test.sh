#!/usr/bin/env bash
# The program under Wine on the test display, driven by real X key presses:
#  - Shift+Esc, Ctrl+Esc and Alt+Esc leave the window open, Esc alone closes it, also
#    while the result list has the focus, and closing ends the process with status 0;
#  - Alt+F4 closes it too;
#  - without a display the window cannot be created and the program ends with -1;
#  - screenshots of the window, empty and with rows, under ANSI code pages 936 and 1252
#    (kept in ARTIFACTS-DIR);
#  - the window tests pass under both code pages.
#   program-test.sh QUORVELL.exe SHOWCASE.exe WINDOW-TESTS.exe ARTIFACTS-DIR
# Needs DISPLAY and WINEPREFIX from scripts/wine-env.sh (QUORVELL_ZH_LOCPATH for 936).
set -u
program=$1
showcase=$2
window_tests=$3
artifacts=$4
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/app/gui-test-lib.sh
source "$here/gui-test-lib.sh"
skip_without_display
mkdir -p "$artifacts"
work=$(mktemp -d)
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# start EXE ARGS...: runs it in the background and waits for its visible window.
start() {
  wine "$@" >"$work/wine.log" 2>&1 &
  pid=$!
  wait_for_window "$*"
}

# --- Esc with and without modifiers, with the focus in the result list.
if start "$program"; then
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # A click in the list's empty part gives it the focus.
  xdotool mousemove $((X + 150)) $((Y + 200)) click 1
  sleep 0.3
  for keys in shift+Escape ctrl+Escape alt+Escape ctrl+shift+Escape; do
    xdotool key "$keys"
    sleep 0.5
    if kill -0 "$pid" 2>/dev/null; then
      echo "$keys: window stays open"
    else
      fail "$keys closed the window"
      pid=
      break
    fi
  done
  if [ -n "$pid" ]; then
    xdotool key Escape
    if ended 5; then
      echo "Escape: window closed, process ended with status 0"
    else
      fail "Escape did not end the program"
    fi
  fi
fi

# --- Alt+F4.
if start "$program"; then
  xdotool key alt+F4
  if ended 5; then
    echo "Alt+F4: window closed, process ended with status 0"
  else
    fail "Alt+F4 did not end the program"
  fi
fi

# --- Without a display no window can be created: the fatal error path ends the program
# with status -1 (the box itself cannot show either, so nothing waits for a click).
env -u DISPLAY timeout 30 wine "$program" >"$work/wine.log" 2>&1
rc=$?
if [ "$rc" -eq 255 ]; then
  echo "no display: the program ended with status -1"
else
  fail "no display: exit status $rc, expected -1 (255)"
fi

# --- Screenshots under both code pages.
# shot NAME ENV... -- ARGS...: the showcase's window as NAME.png; its report checked.
shot() {
  local name=$1 acp=$2
  shift 2
  local report="$work/$name.report"
  local -a environment=()
  if [ "$acp" = 936 ]; then
    environment=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "LOCPATH=${QUORVELL_ZH_LOCPATH:-}")
  else
    environment=(LANG=C.UTF-8 LC_ALL=C.UTF-8)
  fi
  wine_report=$(winepath -w "$report" 2>/dev/null)
  env "${environment[@]}" wine "$showcase" --report "$wine_report" "$@" >"$work/wine.log" 2>&1 &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quorvell$' 2>/dev/null | head -1)
  if [ -z "$window" ]; then
    fail "no window for $name"
    return
  fi
  sleep 0.7
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artifacts/$name.png"
  xdotool key Escape
  ended 5 || fail "$name: the showcase did not end"
  if ! grep -aq "acp=$acp" "$report" 2>/dev/null; then
    fail "$name: expected ANSI code page $acp, report: $(tr -d '\r' <"$report" 2>/dev/null)"
  fi
  echo "$name: $artifacts/$name.png"
}

shot empty-936 936
shot rows-936 936 --rows
shot empty-1252 1252
shot rows-1252 1252 --rows

# The label is drawn under both code pages: its rectangle holds dark text pixels. (The
# pictures are not compared pixel for pixel: the system's GUI font differs by locale.)
for acp in 936 1252; do
  [ -f "$artifacts/empty-$acp.png" ] || continue
  dark=$(convert "$artifacts/empty-$acp.png" -crop 264x16+36+32 +repage -threshold 40% \
    -negate -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
  if [ "${dark:-0}" -gt 50 ]; then
    echo "code page $acp: label text drawn ($dark dark pixels)"
  else
    fail "code page $acp: label shows no text (${dark:-no} dark pixels)"
  fi
done

# The fixed texts read right whatever the ANSI code page: the window tests that read
# the caption, the label and the column titles back, under both code pages.
for acp in 936 1252; do
  if [ "$acp" = 936 ]; then
    environment=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "LOCPATH=${QUORVELL_ZH_LOCPATH:-}")
  else
    environment=(LANG=C.UTF-8 LC_ALL=C.UTF-8)
  fi
  if env "${environment[@]}" wine "$window_tests" --gtest_color=no \
      --gtest_filter='MainWindowTest.*:ResultListTest.*' >"$work/tests.log" 2>&1; then
    echo "code page $acp: window tests passed"
  else
    tr -d '\r' <"$work/tests.log"
    fail "code page $acp: window tests failed"
  fi
done

[ "$failures" -eq 0 ]
