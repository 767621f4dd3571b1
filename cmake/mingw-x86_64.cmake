# The test build: 64-bit Windows, run by 64-bit Wine on hosts that run no 32-bit code. Posix
# threads, because the test helpers watch for windows from a second thread.
set(ZA2_TRIPLET x86_64-w64-mingw32)
set(ZA2_PROCESSOR x86_64)
set(ZA2_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
