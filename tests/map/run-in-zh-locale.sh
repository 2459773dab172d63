#!/bin/sh
# Runs a command in the Simplified Chinese locale, from which Wine takes the ANSI code
# page 936. QUORVELL_ZH_LOCPATH names the folder holding zh_CN.UTF-8 when the system
# has none of its own.
LANG=zh_CN.UTF-8
LC_ALL=zh_CN.UTF-8
export LANG LC_ALL
if [ -n "${QUORVELL_ZH_LOCPATH:-}" ]; then
  LOCPATH=$QUORVELL_ZH_LOCPATH
  export LOCPATH
fi
exec "$@"
