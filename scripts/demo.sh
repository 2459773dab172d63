#!/usr/bin/env bash
# Installs what the build needs, builds the companion scanner natively (build/release)
# and lists the chat commands of the bundled demo map (demo/demo.w3x), as UTF-8.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== building quorvell-scan (build/release)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVELL_BENCH=ON \
  -DQUORVELL_TESTS=OFF >/dev/null
cmake --build build/release --target quorvell-scan -j 2

echo
echo "== chat commands of demo/demo.w3x (from demo/demo.j)"
rows=$(build/release/tools/quorvell-scan --utf8 demo/demo.w3x)
columns() { if command -v column >/dev/null; then column -t -s $'\t'; else cat; fi; }
{
  printf '玩家\t命令\t匹配\n'
  # A command may end in spaces: show it between brackets.
  printf '%s\n' "$rows" | awk -F '\t' -v OFS='\t' '{ $2 = "[" $2 "]"; print }'
} | columns
echo
echo "$(printf '%s\n' "$rows" | grep -c .) rows. Scan any map with:"
echo "  build/release/tools/quorvell-scan --utf8 MAP.w3x"
