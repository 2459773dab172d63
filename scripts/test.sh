#!/usr/bin/env bash
# Sets everything up and runs every test: the native build under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short fuzz run, and the Windows build under Wine.
#   QUORVELL_FUZZ_SECONDS   seconds per fuzz target (default 20)
#   QUORVELL_SKIP_WINE=1    leave out the Windows build (quicker local runs)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
summary=()
status=0 # a failing stage is noted and the others still run
run_ctest() { # run_ctest NAME CTEST-ARGS...
  local name=$1 log
  shift
  log=$(mktemp)
  set +e
  ctest "$@" --output-on-failure 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1 || true)
  summary+=("$name: ${line:-no summary}")
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
}

echo "== native build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVELL_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
run_ctest native --test-dir build/asan -j "$jobs"

echo "== native release build (tools, benchmarks)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVELL_BENCH=ON \
  -DQUORVELL_TESTS=OFF >/dev/null
cmake --build build/release -j "$jobs"

echo "== fuzz targets (clang, libFuzzer)"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUORVELL_FUZZ=ON -DQUORVELL_SANITIZE=ON \
  -DQUORVELL_TESTS=OFF -DQUORVELL_FUZZ_SECONDS="${QUORVELL_FUZZ_SECONDS:-20}" >/dev/null
cmake --build build/fuzz -j "$jobs"
run_ctest fuzz --test-dir build/fuzz -L fuzz -j "$jobs"

if [ -z "${QUORVELL_SKIP_WINE:-}" ]; then
  echo "== Windows build (MinGW-w64 i686) under Wine"
  cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/win32 -j "$jobs"
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh
  trap wine_env_stop EXIT
  run_ctest wine --test-dir build/win32
fi

echo "== summary"
printf '%s\n' "${summary[@]}"
passed=0 failed=0
for s in "${summary[@]}"; do
  if [[ $s =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
done
echo "$passed passed, $failed failed"
exit "$status"
