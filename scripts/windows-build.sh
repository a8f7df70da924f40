# Sourced by the scripts that run the Windows programs under Wine. Chooses
# the Windows build that this machine can run and sets:
#   win_dir        its build folder (out/win, or out/win64)
#   win_toolchain  its CMake toolchain file
# The release is always the i686 build in out/win. A kernel with IA-32
# emulation switched off cannot run any 32-bit program, Wine's 32-bit loader
# included; there the same sources are built for x86_64 as well and run
# under 64-bit Wine, and this says so in one line.
# KICKORA_WINDOWS_ARCH=x86_64 chooses the 64-bit build on any machine.
win_arch=${KICKORA_WINDOWS_ARCH:-}
if [ -z "$win_arch" ]; then
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then win_arch=i686; else win_arch=x86_64; fi
fi
if [ "$win_arch" = x86_64 ]; then
  echo "note: this machine cannot run 32-bit programs (or KICKORA_WINDOWS_ARCH says x86_64): the Windows programs are also built for x86_64 and run under 64-bit Wine; the release ZIP is still the i686 build"
  win_dir=out/win64
  win_toolchain="$root/cmake/mingw-w64-x86_64.cmake"
  export WINEARCH=win64
  export PATH="$root/cmake/wine64:$PATH"
else
  win_dir=out/win
  win_toolchain="$root/cmake/mingw-w64-i686.cmake"
fi
