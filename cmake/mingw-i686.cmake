# The shipped program: 32-bit Windows. The win32 thread model, because the posix one's runtime
# imports functions that Windows 98 and NT 4 lack; the program has one thread.
set(ZA2_TRIPLET i686-w64-mingw32)
set(ZA2_PROCESSOR i686)
set(ZA2_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
