# Cross-compiling for 64-bit ARM Linux (Raspberry Pi 4 and 5, ARM laptops)
# with Debian's cross compilers (crossbuild-essential-arm64). The libraries
# are Debian's own arm64 packages installed beside the machine's ones
# (multiarch: dpkg --add-architecture arm64, libsdl2-dev:arm64 ...); CMake
# finds them under /usr/lib/aarch64-linux-gnu through the compiler's library
# architecture, so no sysroot is needed.
#
# Programs built here run under qemu's user-mode emulator (package
# qemu-user); with -L / it loads the arm64 libraries from the same place.
# ctest and the tests' discovery use it through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
