# Benchmarks of the music engine.
add_executable(music_bench ${CMAKE_CURRENT_LIST_DIR}/music_bench.cpp)
target_link_libraries(music_bench PRIVATE invite_music benchmark::benchmark)

# Side-by-side render of a module file with our engine, libopenmpt and libxmp
# (bench/music-compare.sh runs it). Built only where both libraries are installed.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(OPENMPT QUIET IMPORTED_TARGET libopenmpt)
  pkg_check_modules(XMP QUIET IMPORTED_TARGET libxmp)
  if(OPENMPT_FOUND AND XMP_FOUND)
    add_executable(music_compare ${CMAKE_CURRENT_LIST_DIR}/music_compare.cpp)
    target_link_libraries(music_compare PRIVATE invite_music_engine PkgConfig::OPENMPT PkgConfig::XMP)
  endif()
endif()

# libxmp rendering a module file as a whole process, for bench/render-speed.sh.
if(PkgConfig_FOUND AND XMP_FOUND)
  add_executable(xmp_render ${CMAKE_CURRENT_LIST_DIR}/xmp_render.cpp)
  target_link_libraries(xmp_render PRIVATE PkgConfig::XMP)
endif()
