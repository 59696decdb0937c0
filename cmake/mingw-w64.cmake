# Cross-compiling for Windows with Debian's MinGW-w64 compilers.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         [-DDEZIDURE_MINGW_ARCH=i686] [-DDEZIDURE_QT_WINDOWS=<Qt for Windows prefix>]
#
# The -posix compilers are used because the default (win32 thread model) GCC
# has no std::thread, std::mutex or std::condition_variable. Programs run
# through scripts/wine-run.sh, which refuses to start wine where it could reach
# this machine's serial console.

set(DEZIDURE_MINGW_ARCH "x86_64" CACHE STRING "MinGW-w64 target: x86_64 or i686")
set(DEZIDURE_QT_WINDOWS "" CACHE PATH "Prefix of a Qt 6 built for this target (scripts/build-qt-windows.sh)")
# Checks that compile test programs read this file again without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DEZIDURE_MINGW_ARCH DEZIDURE_QT_WINDOWS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${DEZIDURE_MINGW_ARCH})
set(triple ${DEZIDURE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
if(DEZIDURE_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${DEZIDURE_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${DEZIDURE_QT_WINDOWS})
  # Qt's code generators (moc, rcc, uic) come from the host's Qt of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

get_filename_component(dezidureSourceDir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${dezidureSourceDir}/scripts/wine-run.sh)
