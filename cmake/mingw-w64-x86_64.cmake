# Cross build of the Windows programs with mingw-w64 (x86_64, posix threads):
# the test build on machines that cannot run 32-bit programs, run under
# 64-bit Wine (WINEARCH=win64, cmake/wine64 first on PATH).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KICKORA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
