# Cross build for Windows with mingw-w64 (posix thread model: GoogleTest needs it),
# included by the toolchain file of each processor, which names SA_MINGW_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SA_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SA_MINGW_TRIPLET})
# Libraries cross-built outside the compiler's root (scripts/setup.sh installs them in
# the prefix the Windows presets name) are roots of their own.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run the cross-built executables under wine. A 64-bit program runs under the
# 64-bit loader itself: Debian's `wine` picks the 32-bit one wherever wine32 is
# installed, even on a kernel that cannot start it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  find_program(SA_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
endif()
find_program(SA_WINE NAMES wine)
if(SA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SA_WINE})
endif()
