# Cross build of the Windows programs with mingw-w64 (i686, posix threads):
# the release. Tests of this build run under Wine through
# CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KICKORA_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
