# Capture speed: drawing the demo offscreen, frame by frame.
add_executable(capture_bench ${CMAKE_CURRENT_LIST_DIR}/capture_bench.cpp)
target_link_libraries(capture_bench PRIVATE invite_capture benchmark::benchmark benchmark::benchmark_main)
