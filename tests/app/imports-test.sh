#!/usr/bin/env bash
# The shipped binaries import only DLLs that every Windows has: no MinGW runtime
# (libstdc++, libgcc, libwinpthread), no zlib, nothing that would have to travel with them.
#   imports-test.sh OBJDUMP BINARY...
set -u
objdump=$1
shift
# Part of every Windows since long before the oldest system the program runs on.
allowed='^(kernel32|user32|gdi32|comctl32|ole32|oleaut32|shell32|advapi32|msvcrt|shlwapi|comdlg32|version)\.dll$'
failures=0
for binary in "$@"; do
  if ! names=$("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r'); then
    echo "FAILED: cannot read the import table of $binary"
    failures=$((failures + 1))
    continue
  fi
  if [ -z "$names" ]; then
    echo "FAILED: $binary lists no imported DLL at all (not a PE file?)"
    failures=$((failures + 1))
    continue
  fi
  while IFS= read -r name; do
    lower=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]')
    if [[ $lower =~ $allowed ]]; then
      echo "$(basename "$binary"): $name"
    else
      echo "FAILED: $(basename "$binary") imports $name, which not every Windows has"
      failures=$((failures + 1))
    fi
  done <<<"$names"
done
[ "$failures" -eq 0 ]
