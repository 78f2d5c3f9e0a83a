# Cross build for 64-bit Windows with Debian's mingw-w64 GCC (the POSIX
# thread model, for std::thread), the programs linked statically so that
# they need no DLL beside them. Wine runs the test programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVANE_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${KORVANE_MINGW_PREFIX}-g++-posix ${KORVANE_MINGW_PREFIX}-g++
             REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KORVANE_MINGW_PREFIX}-gcc-posix ${KORVANE_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${KORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C99 printf family of mingw-w64 instead of the system's: "%zu" and
# numbers formatted exactly as on the other hosts.
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")

# libstdc++, libgcc and winpthread go into each program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian installs the 64-bit loader as wine64 (wine itself asks for the
# 32-bit one when it is missing); either runs a 64-bit program.
find_program(KORVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KORVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVANE_WINE})
endif()
