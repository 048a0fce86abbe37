# Frame rendering on the SDL software renderer, one frame per scene window.
add_executable(scenes_bench ${CMAKE_CURRENT_LIST_DIR}/scenes_bench.cpp)
target_link_libraries(scenes_bench PRIVATE invite_scenes benchmark::benchmark)
