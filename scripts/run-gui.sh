#!/usr/bin/env bash
# Builds the Windows program (build/win32) and starts it under Wine.
# On the current DISPLAY when one is set; otherwise on an Xvfb of its own, which shows
# nothing: take a look with `import -window root shot.png` (DISPLAY as printed) while it
# runs. Close the window (Esc) to end. The Wine prefix is the one of scripts/wine-env.sh.
#   QUORVELL_ACP=936   run with ANSI code page 936 (a Simplified Chinese locale)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 --target quorvell

if [ -n "${DISPLAY:-}" ]; then
  export QUORVELL_KEEP_DISPLAY=1
fi
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap wine_env_stop EXIT
echo "run-gui: quorvell.exe on DISPLAY=$DISPLAY"

locale_env=()
if [ "${QUORVELL_ACP:-}" = 936 ]; then
  locale_env=(LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "LOCPATH=$QUORVELL_ZH_LOCPATH")
fi
log=$(mktemp)
set +e
env "${locale_env[@]}" wine build/win32/app/quorvell.exe >"$log" 2>&1
rc=$?
set -e
tr -d '\r' <"$log"
rm -f "$log"
echo "run-gui: quorvell.exe ended with status $rc"
exit "$rc"
