#!/usr/bin/env bash
# Starts the window tests on primary screens of several sizes and checks the window's
# outer corner against the corner worked out by hand for each.
#   screen-sizes.sh WINDOW-TESTS.exe
# Needs the Wine prefix of scripts/wine-env.sh (WINEPREFIX). Each size gets an Xvfb
# of its own and a wine server of its own (a throwaway copy of the prefix): a Wine
# process cannot create windows on a display other than its server's desktop.
set -u
tests_exe=$1
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "skipped: no Wine prefix (source scripts/wine-env.sh first)"
  exit 77
fi

# Beside the prefix: hard links need the same file system.
work=$(mktemp -d "$(dirname "$WINEPREFIX")/screen-sizes.XXXXXX")
prefix="$work/prefix"
# Linked, not copied: the files stay as they are; the registry files, which the server
# rewrites, are real copies.
cp -al "$WINEPREFIX" "$prefix"
for reg in "$prefix"/*.reg; do
  cp --remove-destination "$WINEPREFIX/$(basename "$reg")" "$reg"
done

xvfb_pid=
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

free_display() {
  for n in $(seq 140 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return
    fi
  done
}

failed=0
# width height expected-corner
while read -r width height corner; do
  n=$(free_display)
  Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  log="$work/run.log"
  DISPLAY=":$n" WINEPREFIX="$prefix" QUORVELL_EXPECTED_ORIGIN="$corner" \
    wine "$tests_exe" --gtest_color=no \
    --gtest_filter='MainWindowTest.StartsCentred*:MainWindowTest.ShowsAtTheCentred*' \
    >"$log" 2>&1
  rc=$?
  if [ $rc -eq 0 ] && grep -aq 'PASSED.*2 tests' "$log"; then
    echo "screen ${width}x${height}: corner ($corner) as expected"
  else
    echo "screen ${width}x${height}: FAILED (expected corner $corner)"
    tr -d '\r' <"$log"
    failed=1
  fi
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
done <<'SIZES'
1920 1080 783,362
1024 768 335,206
1366 768 506,206
320 240 -17,-58
SIZES
exit $failed
