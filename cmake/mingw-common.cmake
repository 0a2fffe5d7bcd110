# Shared part of the MinGW-w64 cross builds; the including file sets VS_MINGW_ARCH first.
# The win32 thread model: the posix one links winpthreads, whose imports Windows 98 SE, 2000 and
# XP RTM lack. The programs run on one thread and need none of it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VS_MINGW_ARCH})
set(CMAKE_C_COMPILER ${VS_MINGW_ARCH}-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER ${VS_MINGW_ARCH}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${VS_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VS_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
# Unused functions and data are dropped at link time: the programs stay small.
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections")
# Tests run under Wine through a wrapper that owns the prefix and the display.
set(CMAKE_CROSSCOMPILING_EMULATOR env VS_WINE_TARGET=${VS_MINGW_ARCH}
                                  ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
