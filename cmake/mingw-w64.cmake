# Cross build for Windows with mingw-w64 (posix thread model: GoogleTest needs it). The
# program is a 32-bit one: it starts on 32-bit Windows as well as on 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
# The x87 unit, which every 32-bit PC has, keeps a float's excess precision past its
# conversions unless each value is stored: the progress bar's arithmetic is defined with
# its differences rounded to single precision.
set(CMAKE_C_FLAGS_INIT "-ffloat-store")
set(CMAKE_CXX_FLAGS_INIT "-ffloat-store")
# Libraries cross-built outside the compiler's root (scripts/setup.sh installs them in
# the prefix the windows preset names) are roots of their own.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests run the cross-built executables under wine.
find_program(SA_WINE NAMES wine)
if(SA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SA_WINE})
endif()
