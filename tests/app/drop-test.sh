#!/usr/bin/env bash
# The real program under Wine, fed by real X11 drags from a GTK drag source:
#  - a dropped map fills the list with exactly the rows the companion scanner prints
#    for it (read back from the window by app_list_reader.exe);
#  - a file that is no map, three files at once and a folder empty the list; dragged
#    text is refused and the list keeps its rows;
#  - a right click on a row shows the popup; Esc closes only the popup and copies
#    nothing; choosing "复制" puts the row's command on the clipboard (read from X11);
#  - run from a folder without Storm.dll, a drop brings the fatal error box naming
#    "#262", and closing it ends the program with status -1.
#   drop-test.sh QUORVELL.exe STORM.dll QUORVELL-SCAN.exe LIST-READER.exe SOURCE-DIR
# Needs DISPLAY and WINEPREFIX from scripts/wine-env.sh (QUORVELL_ZH_LOCPATH for code
# page 936) and the real maps (../shared/maps beside the checkout, or QUORVELL_MAPS_DIR).
set -u
program=$1
storm=$2
scanner=$3
reader=$4
source_dir=$5
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/app/gui-test-lib.sh
source "$here/gui-test-lib.sh"
skip_without_display
maps=${QUORVELL_MAPS_DIR:-$source_dir/../shared/maps}
if [ ! -d "$maps" ]; then
  echo "skipped: the real maps (../shared/maps) are not present"
  exit 77
fi
maps=$(cd "$maps" && pwd)

# The Windows programs run in ANSI code page 936 when the Chinese locale is there: the
# maps with Chinese names and commands then come through as GBK bytes.
locale_env=()
if [ -n "${QUORVELL_ZH_LOCPATH:-}" ] && [ -d "$QUORVELL_ZH_LOCPATH/zh_CN.UTF-8" ]; then
  locale_env=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "LOCPATH=$QUORVELL_ZH_LOCPATH")
fi
run_wine() { env "${locale_env[@]}" wine "$@"; }
# The system's Python, which has the GTK bindings.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

work=$(mktemp -d)
source_pid=
clip_pid=
cleanup() {
  for p in $source_pid $clip_pid $pid; do
    if kill -0 "$p" 2>/dev/null; then
      kill "$p" 2>/dev/null
      wait "$p" 2>/dev/null
    fi
  done
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
winpath() { winepath -w "$1" 2>/dev/null; }

# The program in a folder of its own, with and without our Storm.dll beside it.
mkdir -p "$work/app" "$work/nostorm"
cp "$program" "$storm" "$work/app/"
cp "$program" "$work/nostorm/"

# start FOLDER: runs quorvell.exe from FOLDER and waits for its window.
start() {
  run_wine "$1/quorvell.exe" >"$work/wine.log" 2>&1 &
  pid=$!
  wait_for_window "$1/quorvell.exe"
}

# drag [--text] FILE...: presses the drag source's button, moves onto the program's
# window in small steps and releases there: on the centre of the list, or at the point
# "x y" in drop_at when set. The source stays up until stop_source.
drop_at=
drag() {
  "$python" "$here/drag-source.py" "$@" >"$work/source.log" 2>&1 &
  source_pid=$!
  local source_window
  source_window=$(timeout 10 xdotool search --sync --onlyvisible --name '^quorvell drag source$' 2>/dev/null | head -1)
  if [ -z "$source_window" ]; then
    fail "the drag source did not show"
    return 1
  fi
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$source_window")"
  local sx=$((X + WIDTH / 2)) sy=$((Y + HEIGHT / 2))
  eval "$(xdotool getwindowgeometry --shell "$window")"
  local tx=$((X + WIDTH / 2)) ty=$((Y + HEIGHT / 2))
  if [ -n "$drop_at" ]; then
    read -r tx ty <<<"$drop_at"
  fi
  xdotool mousemove "$sx" "$sy"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  for i in $(seq 10); do
    xdotool mousemove $((sx + 10 * i + (tx - sx - 100) * i / 10)) $((sy + (ty - sy) * i / 10))
    sleep 0.1
  done
  xdotool mousemove "$tx" "$ty"
  sleep 0.2
  xdotool mouseup 1
}
stop_source() {
  if [ -n "$source_pid" ]; then
    kill "$source_pid" 2>/dev/null
    wait "$source_pid" 2>/dev/null
    source_pid=
  fi
}

# read_rows FILE: the window's rows as the scanner writes them.
read_rows() {
  run_wine "$reader" rows "$(winpath "$1")" >"$work/reader.log" 2>&1
}

# rows_become EXPECTED-FILE SECONDS: waits until the window shows exactly those rows.
rows_become() {
  for _ in $(seq $(($2 * 4))); do
    if read_rows "$work/rows" && cmp -s "$1" "$work/rows"; then
      return 0
    fi
    sleep 0.25
  done
  return 1
}

# expected_rows MAP FILE [--utf8]: the companion scanner's rows for MAP.
expected_rows() {
  local -a options=()
  [ -n "${3:-}" ] && options=("$3")
  run_wine "$scanner" "${options[@]}" "$(winpath "$1")" >"$2" 2>"$work/scan.err"
}

: >"$work/empty"

# ---- Drops on the running program.
if start "$work/app"; then
  for name in 12_ForestDefense_0.20c.w3x 45_YDWE_网游服务器存档.w3x 33_LegionTD_x3.w3x; do
    map=$maps/$name
    if [ ! -f "$map" ]; then
      fail "$name is missing from the maps"
      continue
    fi
    expected_rows "$map" "$work/expected"
    drag "$map"
    if rows_become "$work/expected" 15; then
      echo "drop of $name: $(wc -l <"$work/rows") row(s), as the scanner lists them"
    else
      fail "drop of $name: the window shows $(wc -l <"$work/rows") rows, the scanner $(wc -l <"$work/expected")"
      diff "$work/expected" "$work/rows" | head -10
    fi
    stop_source
  done

  # On the label, a drop is the same as anywhere on the window.
  if run_wine "$reader" labelpoint "$(winpath "$work/point")" >"$work/reader.log" 2>&1; then
    map=$maps/12_ForestDefense_0.20c.w3x
    expected_rows "$map" "$work/expected"
    drop_at=$(cat "$work/point")
    drag "$map"
    drop_at=
    if rows_become "$work/expected" 15; then
      echo "drop on the label: the map's rows"
    else
      fail "drop on the label: the window shows $(wc -l <"$work/rows") rows, the scanner $(wc -l <"$work/expected")"
    fi
    stop_source
  else
    fail "no place for the label"
  fi

  # Keeps the rows of the map above, then refuses dragged text.
  cp "$work/rows" "$work/kept"
  drag --text "$maps/12_ForestDefense_0.20c.w3x"
  sleep 2
  if read_rows "$work/rows" && cmp -s "$work/kept" "$work/rows" && [ -s "$work/rows" ]; then
    echo "dragged text: refused, the list keeps its rows"
  else
    fail "dragged text changed the list"
  fi
  stop_source

  # Each of these names no map: the list is emptied.
  for case in "a file that is no map:$maps/MANIFEST.tsv" \
              "three files:$maps/12_ForestDefense_0.20c.w3x $maps/10_ExampleMap203.w3x $maps/MANIFEST.tsv" \
              "a folder:$maps"; do
    label=${case%%:*}
    read -r -a files <<<"${case#*:}"
    expected_rows "$maps/12_ForestDefense_0.20c.w3x" "$work/expected"
    drag "$maps/12_ForestDefense_0.20c.w3x"
    rows_become "$work/expected" 15 || fail "$label: the map before it did not fill the list"
    stop_source
    drag "${files[@]}"
    if rows_become "$work/empty" 15; then
      echo "drop of $label: the list is emptied"
    else
      fail "drop of $label: the list still shows $(wc -l <"$work/rows") rows"
    fi
    stop_source
  done
fi

# ---- The copy command, with real clicks. The list holds the first map's rows again.
if [ -n "$pid" ]; then
  map=$maps/12_ForestDefense_0.20c.w3x
  expected_rows "$map" "$work/expected"
  expected_rows "$map" "$work/expected-utf8" --utf8
  drag "$map"
  rows_become "$work/expected" 15 || fail "copy: the map did not fill the list"
  stop_source
  command=$(head -1 "$work/expected-utf8" | cut -f2)
  printf 'before the copy' | xclip -selection clipboard &
  clip_pid=$!
  sleep 0.3
  if run_wine "$reader" rowpoint 0 "$(winpath "$work/point")" >"$work/reader.log" 2>&1; then
    read -r px py <"$work/point"
    # Esc in the popup closes the popup only.
    xdotool mousemove "$px" "$py" click 3
    sleep 0.7
    xdotool key Escape
    sleep 0.7
    if kill -0 "$pid" 2>/dev/null && [ -n "$(xdotool search --onlyvisible --name '^Quorvell$' 2>/dev/null)" ]; then
      echo "Esc in the popup: the window stays open"
    else
      fail "Esc in the popup closed the window"
    fi
    clip=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
    [ "$clip" = "before the copy" ] || fail "a dismissed popup changed the clipboard to '$clip'"
    # Choose "复制": the popup's first item lies just below and right of the pointer.
    xdotool mousemove "$px" "$py" click 3
    sleep 0.7
    xdotool mousemove $((px + 20)) $((py + 9)) click 1
    sleep 0.7
    clip=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
    if [ "$clip" = "$command" ]; then
      echo "复制 on row 0: the clipboard holds '$clip'"
    else
      fail "复制 on row 0: the clipboard holds '$clip', expected '$command'"
    fi
  else
    fail "no place for row 0"
  fi
  if [ -n "$clip_pid" ] && kill -0 "$clip_pid" 2>/dev/null; then
    kill "$clip_pid" 2>/dev/null
  fi
  wait "$clip_pid" 2>/dev/null
  clip_pid=
  xdotool key Escape
  if ended 5; then
    echo "Esc after the popup: the program ended with status 0"
  else
    fail "Esc did not end the program"
  fi
fi

# ---- Without Storm.dll: the first drop ends the program through the fatal error box.
if start "$work/nostorm"; then
  drag "$maps/12_ForestDefense_0.20c.w3x"
  if run_wine "$reader" box "$(winpath "$work/box")" >"$work/reader.log" 2>&1; then
    box=$(tr -d '\r' <"$work/box")
    if grep -q '^caption=错误$' <<<"$box" && grep -q '#262' <<<"$box" &&
        grep -q 'Storm.dll' <<<"$box"; then
      echo "missing Storm.dll: the box names \"#262\""
    else
      fail "missing Storm.dll: the box says: $box"
    fi
  else
    fail "missing Storm.dll: no error box"
  fi
  stop_source
  ended 10
  rc=$?
  if [ "$rc" -eq 255 ]; then
    echo "missing Storm.dll: the program ended with status -1"
  else
    fail "missing Storm.dll: exit status $rc, expected -1 (255)"
  fi
fi

[ "$failures" -eq 0 ]
