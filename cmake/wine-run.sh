#!/bin/sh
# Runs one Windows program under Wine for CTest. Wine's own background processes
# inherit stdout/stderr; the program's output is taken through a file so CTest does
# not wait for the wine server to exit.
out=$(mktemp)
wine "$@" >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
rm -f "$out"
exit $rc
