# The portable Linux build (scripts/build-linux-portable.sh): one program
# that runs on any x86-64 Linux desktop with glibc 2.34 or later. SDL2 comes
# in as a static library (its X11, Wayland and sound back ends are opened at
# run time), libstdc++ is linked in; glibc and libgcc_s stay the system's.
#
# libgcc stays dynamic: its static unwinder calls _dl_find_object, which
# needs glibc 2.35. And a static libstdc++ always brings std::random_device,
# which calls arc4random (glibc 2.36): arc4random_compat.cpp defines it.
if(NOT TARGET SDL2::SDL2-static)
  message(FATAL_ERROR "INVITE_PORTABLE_LINUX needs a static SDL2 (SDL2_DIR of a static-only SDL2)")
endif()
add_link_options(-static-libstdc++)
add_library(invite_arc4random_compat OBJECT ${PROJECT_SOURCE_DIR}/cmake/portable-linux/arc4random_compat.cpp)
