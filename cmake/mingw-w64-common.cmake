# What both mingw-w64 toolchain files share; each sets KICKORA_MINGW_TRIPLET
# (and CMAKE_SYSTEM_PROCESSOR) before it includes this.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${KICKORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KICKORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${KICKORA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KICKORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# SSE2 arithmetic keeps float and double results identical to the native build
# (x87 would evaluate in extended precision).
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Static runtime: the program folder needs no DLLs beside the executables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run")
