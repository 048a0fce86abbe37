#!/usr/bin/env bash
# Fuzzes the module loader and the renderer under AddressSanitizer and
# UndefinedBehaviorSanitizer with libFuzzer (clang, libclang-rt-14-dev).
# Usage: scripts/fuzz-music.sh [SECONDS]   (default 60)
# Builds into build-fuzz/, seeds the corpus with the built-in song and keeps
# the corpus there between runs; a crash leaves its input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus"
cp -n assets/song.mod "$out/corpus/song.mod" 2>/dev/null || true

sources=(music/module.cpp music/sequencer.cpp music/effects.cpp music/mixer.cpp music/renderer.cpp
         fuzz/module_fuzzer.cpp)
binary="$out/module_fuzzer"
if [ ! -x "$binary" ] || [ -n "$(find "${sources[@]}" music/*.h -newer "$binary" 2>/dev/null)" ]; then
  clang++ -std=c++20 -O1 -g -I. -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" -o "$binary"
fi

# Small inputs mutate fastest; the largest built-in module is 9202 bytes.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=detect_leaks=1 \
  "$binary" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus"
