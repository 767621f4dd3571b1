# 32-bit Windows target built with the posix-thread mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZA2_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZA2_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZA2_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZA2_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZA2_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable is self-contained: no mingw runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run on Wine; the script sets up the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
