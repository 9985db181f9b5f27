# Cross-builds the Qt-free core for 64-bit Windows with Debian's MinGW-w64 (POSIX threads),
# so that std::thread and the rest of the standard library behave as on Linux.
# Use: cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#      -DRAMEX_CORE_ONLY=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RAMEX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RAMEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RAMEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RAMEX_MINGW_PREFIX}-windres)

# Libraries and headers from the target's tree only; programs (bison) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${RAMEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their runtime, so they run without MinGW's DLLs on the path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and the build steps that run ramex-cli go through Wine when it is installed.
# The 64-bit loader itself: the wine wrapper only adds a warning about 32-bit support.
find_program(RAMEX_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(RAMEX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${RAMEX_WINE})
endif()
