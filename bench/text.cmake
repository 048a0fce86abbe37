# Text and glyphs: the ChaCha batch on every vector path, uniformInt, and one
# glyph's texture made, copied and destroyed on SDL's software renderer.
add_executable(bench_text ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp)
target_link_libraries(bench_text PRIVATE invite_text invite_platform benchmark::benchmark
                      benchmark::benchmark_main)
