# Shared part of the two Windows toolchains; the including file sets ZA2_TRIPLET, ZA2_PROCESSOR
# and ZA2_THREADS (the mingw-w64 compilers' thread model: win32 or posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZA2_PROCESSOR})

set(CMAKE_C_COMPILER   ${ZA2_TRIPLET}-gcc-${ZA2_THREADS})
set(CMAKE_CXX_COMPILER ${ZA2_TRIPLET}-g++-${ZA2_THREADS})
set(CMAKE_RC_COMPILER  ${ZA2_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZA2_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable is self-contained: no mingw runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run on Wine in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
