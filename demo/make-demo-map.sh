#!/usr/bin/env bash
# Regenerates demo/demo.w3x from demo/demo.j: the script stored as "war3map.j", zlib
# compressed, behind a map header, written by the fixture tool (which uses the
# system's StormLib as an independent writer of the archive format).
#   QUORVELL_BUILD_DIR   build folder for the fixture tool (default: build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUORVELL_BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVELL_BENCH=ON -DQUORVELL_TESTS=OFF >/dev/null
cmake --build "$build" --target quorvell-fixture -j 2
rm -f demo/demo.w3x
"$build/tools/fixture/quorvell-fixture" demo/demo.w3x --map-header --compress zlib 'war3map.j=demo/demo.j'
echo "wrote demo/demo.w3x ($(stat -c %s demo/demo.w3x) bytes)"
