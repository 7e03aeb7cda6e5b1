#!/usr/bin/env bash
# Installs every Debian package the build and the three test tiers need, and nothing already present.
set -euo pipefail

packages=(cmake g++ make libgtest-dev googletest libbenchmark-dev
          g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick osslsigncode openssl
          clang lld llvm clang-tidy clang-format libclang-rt-14-dev)
# clang, lld and llvm (llvm-ar for LTO archives): the windows-clang build and the fuzz targets;
# the x86-64 MinGW packages: the x86-64 build that the Wine tiers run where the host runs no 32-bit code;
# libclang-rt-14-dev: libFuzzer and the sanitizer runtimes for clang; clang-tidy, clang-format: the habits.

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
