#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian 12 machine.
# Safe to run again: packages already present are left alone.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  build-essential cmake git python3
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386
  xvfb xauth x11-utils openbox imagemagick
  ffmpeg lame time
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
