# Cross build of the same sources as a 64-bit Windows program, for the tests on a machine
# whose kernel runs no 32-bit programs (and so no 32-bit wine). It is not shipped.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(SA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
