# Cross build for 32-bit Windows with Debian's MinGW-w64 i686 compilers.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake
#
# Programs built for tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR
# (scripts/wine-run.sh: quiet, serialised prefix use); set QUENLOR_WINE to
# another launcher to override it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUENLOR_MINGW_PREFIX i686-w64-mingw32)
# Debian installs the compilers under the triplet, with -posix and -win32
# thread-model variants; the plain names follow the alternatives.
find_program(CMAKE_C_COMPILER NAMES ${QUENLOR_MINGW_PREFIX}-gcc-posix ${QUENLOR_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUENLOR_MINGW_PREFIX}-g++-posix ${QUENLOR_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUENLOR_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENLOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(DEFINED ENV{QUENLOR_WINE})
    set(CMAKE_CROSSCOMPILING_EMULATOR "$ENV{QUENLOR_WINE}")
  else()
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
  endif()
endif()

# Programs carry their runtime (libgcc, libstdc++, winpthread) inside, as the
# DLL does, so that they run under Wine and on Windows without MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
