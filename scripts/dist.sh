#!/usr/bin/env bash
# Builds the Windows program and writes the release zip:
#   build/dist/quorvell-<version>.zip holding quorvell.exe, our Storm.dll and README.txt.
# The binaries are checked first: they may import only DLLs that every Windows has.
#   QUORVELL_DIST_BUILD_DIR  the Windows build folder (default build/win32)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QUORVELL_DIST_BUILD_DIR:-build/win32}
out=build/dist
version=$(sed -n 's/^project(Quorvell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ -z "$version" ]; then
  echo "dist: no version in CMakeLists.txt" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvell storm_dll

exe=$build/app/quorvell.exe
dll=$build/storm/Storm.dll
tests/app/imports-test.sh i686-w64-mingw32-objdump "$exe" "$dll"

name=quorvell-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$exe" "$dll" "$stage/$name/"
# Without their symbols: the users need none (the exports go by ordinal and stay).
i686-w64-mingw32-strip --strip-unneeded "$stage/$name/quorvell.exe" "$stage/$name/Storm.dll"
# Windows line ends and a UTF-8 mark, for the people who open it in Notepad.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' dist/README.txt; } >"$stage/$name/README.txt"

mkdir -p "$out"
zip_file=$(pwd)/$out/$name.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" "$name")
echo "dist: $out/$name.zip"
unzip -l "$zip_file"
