# Cross build of the shipped Windows program: a 32-bit one, which starts on 32-bit
# Windows as well as on 64-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(SA_MINGW_TRIPLET i686-w64-mingw32)
# The x87 unit, which every 32-bit PC has, keeps a float's excess precision past its
# conversions unless each value is stored: the progress bar's arithmetic is defined with
# its differences rounded to single precision.
set(CMAKE_C_FLAGS_INIT "-ffloat-store")
set(CMAKE_CXX_FLAGS_INIT "-ffloat-store")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
