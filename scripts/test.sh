#!/usr/bin/env bash
# Sets up a fresh machine, builds the native, the sanitizer and the Windows
# build, and runs every test. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh
. scripts/windows-build.sh

build() {  # build <dir> <cmake args...>; $targets, when set, limits the build
  local dir=$1; shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" ${targets:+--target $targets}
}

echo "== native build"
build out/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== native build with AddressSanitizer and UndefinedBehaviorSanitizer"
build out/asan -DCMAKE_BUILD_TYPE=Debug -DKICKORA_SANITIZE=ON
echo "== Windows build (mingw-w64 i686)"
# Where its tests cannot run, only the released programs are built.
[ "$win_dir" = out/win ] || targets="tonepak tunedeck tunegrab"
build out/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
targets=""

echo "== Windows release ZIP"
(cd out/win && cpack -G ZIP >/dev/null)
zip=$(ls out/win/kickora-music-manager-*-win32.zip)
cp "$zip" out/
ls -l "out/$(basename "$zip")"
if [ "$win_dir" != out/win ]; then
  echo "== Windows build (mingw-w64 $win_arch) for the tests"
  build "$win_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$win_toolchain"
  (cd "$win_dir" && cpack -G ZIP >/dev/null)
fi
test_zip=$(ls "$win_dir"/kickora-music-manager-*.zip)

status=0
echo "== set-up script against stand-in package tools"
tests/setup/setup_test.sh || status=1
echo "== native tests"
(cd out/native && ctest --output-on-failure -j "$jobs") || status=1
echo "== sanitizer tests"
(cd out/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs") || status=1
echo "== Windows tests under Wine"
export WINEPREFIX="$root/$win_dir/wineprefix"
(cd "$win_dir" && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j "$jobs") || status=1
wineserver -k 2>/dev/null || true

echo "== release acceptance test from the ZIP alone, in a fresh Wine prefix"
RELEASE_WORK=out/release-test tests/release/run-release-test.sh \
  "$test_zip" out/native/converter/tonepak "$win_dir"/tests/release/release_flow.exe || status=1

echo "== fuzz targets (clang, libFuzzer), 30 s each"
scripts/fuzz.sh 30 || status=1

if [ $status -ne 0 ]; then
  echo "SOME TESTS FAILED"
else
  echo "ALL TESTS PASSED"
fi
exit $status
