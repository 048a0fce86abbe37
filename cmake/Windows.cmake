# The Windows build, cross-compiled with cmake/mingw-w64-x86_64.cmake (see
# scripts/build-windows.sh): one .exe that needs no DLL beside it.

# Our own main() as the entry point (no SDL2main), a console program for
# Windows 10 and later.
add_compile_definitions(SDL_MAIN_HANDLED _WIN32_WINNT=0x0A00)

# libstdc++, libgcc and winpthread go into the executable as well:
# -static-libgcc -static-libstdc++ alone would still need libwinpthread-1.dll.
add_link_options(-static)

# The exe's resource script (app/windows/tiral25-invite.rc.in), compiled by
# the toolchain's windres.
enable_language(RC)
