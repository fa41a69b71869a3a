# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Every program is linked statically, so each .exe runs on its own (and under
# Wine) without the compiler's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVANE_MINGW_TRIPLE}-windres)

# Libraries and packages come from the target's tree only, never from the
# host's /usr (whose Qt and GoogleTest are Linux builds). A Qt for Windows
# given with -DCMAKE_PREFIX_PATH=<its prefix> is a root of its own.
set(CMAKE_FIND_ROOT_PATH /usr/${TORVANE_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs through Wine (see scripts/wine-run.sh).
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ABSOLUTE)
