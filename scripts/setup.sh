#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian 12 machine.
# Safe to run again: packages already present are left alone, and when all
# are present apt-get is not called at all.
#
# A package mirror caught in the middle of a sync is an ordinary event: one
# index may fail to download, and then the security suite's amd64 libraries
# and the main suite's i386 ones no longer have the same version, which
# multiarch needs. So a failed "apt-get update" is retried and then passed
# over, and a failed install is tried once more with the release's main
# suite preferred for every architecture (-t <codename>).
#
# Some machines' kernels cannot run 32-bit programs at all (IA-32 emulation
# switched off). There the Windows tests run on a 64-bit build under 64-bit
# Wine, so its compiler, Wine and GStreamer plugins are installed as well.
#
# SETUP_RETRY_PAUSE (seconds between update attempts, default 5),
# SETUP_OS_RELEASE (default /etc/os-release) and SETUP_RUN32_PROBE (a command
# that succeeds when 32-bit programs run) exist for the script's test.
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
pause=${SETUP_RETRY_PAUSE:-5}
os_release=${SETUP_OS_RELEASE:-/etc/os-release}
run32_probe=${SETUP_RUN32_PROBE:-"/lib/ld-linux.so.2 --version"}
update_attempts=3

packages=(
  build-essential cmake git python3
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  wine wine32:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-libav:i386
  xvfb xauth x11-utils openbox imagemagick
  ffmpeg lame time
  clang libclang-rt-14-dev
)
packages_win64=(
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine64
  gstreamer1.0-plugins-base:amd64 gstreamer1.0-plugins-good:amd64 gstreamer1.0-libav:amd64
)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
updated=no

# The first line apt marks as an error (or, failing that, its last line):
# enough to say what failed.
first_error() { grep -m1 -E '^(E|W|Err):' "$log" || tail -n1 "$log"; }

update_lists() {
  [ $updated = yes ] && return 0
  updated=yes
  local attempt=1
  until $SUDO apt-get update -qq >"$log" 2>&1; do
    if [ $attempt -ge $update_attempts ]; then
      echo "setup: warning: apt-get update failed $update_attempts times ($(first_error)); going on with the package lists there are"
      return 0
    fi
    attempt=$((attempt + 1))
    sleep "$pause"
  done
}

apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}"; }

# install_missing <package>...: installs those not yet installed; returns
# when they are all there, exits 1 when they cannot be installed.
install_missing() {
  missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  update_lists

  if apt_install >"$log" 2>&1; then return 0; fi
  local first_log codename
  first_log=$(cat "$log")

  codename=$(. "$os_release" 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if [ -z "$codename" ]; then
    echo "$first_log"
    echo "setup: the install failed and $os_release names no release to prefer; run 'sudo apt-get update' and then scripts/setup.sh again"
    exit 1
  fi

  echo "setup: the install failed ($(first_error)); trying again with the $codename suite preferred for every architecture"
  if apt_install -t "$codename" >"$log" 2>&1; then return 0; fi

  echo "$first_log"
  cat "$log"
  echo "setup: the packages could not be installed; when the package mirror has finished its sync, run scripts/setup.sh again (or by hand: sudo apt-get update && sudo apt-get install -t $codename ${missing[*]})"
  exit 1
}

install_missing "${packages[@]}"
if ! $run32_probe >/dev/null 2>&1; then
  install_missing "${packages_win64[@]}"
fi
exit 0
