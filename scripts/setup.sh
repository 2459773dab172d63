#!/usr/bin/env bash
# Installs everything the builds and tests need on Debian 12. Safe to run again:
# packages already present are left as they are.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libbenchmark-dev zlib1g-dev libstorm-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev libz-mingw-w64-dev binutils-mingw-w64-i686
  wine wine32:i386 xvfb xdotool x11-utils xclip imagemagick fonts-wqy-microhei fonts-wine
  python3 python3-gi gir1.2-gtk-3.0 zip locales
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
else
  echo "setup: all packages present"
fi
