# Shared by the scripted tests of the real program under Wine (sourced, not run):
# skipping without a display, counting failures, waiting for the window and for the
# program's end. The sourcing script keeps the started program's process id in `pid`.

# Exits with the skip status when scripts/wine-env.sh has not provided a display and a
# Wine prefix.
skip_without_display() {
  if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "skipped: no display or Wine prefix (source scripts/wine-env.sh first)"
    exit 77
  fi
}

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

pid=
# wait_for_window WHAT: waits for the program's visible window (in `window`) and lets
# it paint; fails naming WHAT when none comes.
wait_for_window() {
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quorvell$' 2>/dev/null | head -1)
  if [ -z "$window" ]; then
    fail "no window for $1"
    return 1
  fi
  sleep 0.5
}

# ended SECONDS: the process's exit status once it ended within the time; 124 if not.
ended() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    return 124
  fi
  wait "$pid"
  local rc=$?
  pid=
  return "$rc"
}
