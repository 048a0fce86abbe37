# Cross-compiling for 64-bit Windows with Debian's mingw-w64 toolchain
# (package g++-mingw-w64-x86-64-posix). The -posix compilers are named on
# purpose: the win32 variant has no std::thread, and the plain
# x86_64-w64-mingw32-g++ may point at either.
#
# SDL2 and GoogleTest for Windows come from one prefix of our own, made by
# scripts/build-windows.sh and given as -DMINGW_DEPS_PREFIX=/path. It has to
# be a find root: with the package search confined to the roots below, a
# CMAKE_PREFIX_PATH entry would be looked for under the sysroot instead.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_DEPS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${MINGW_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
