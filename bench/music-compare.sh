#!/usr/bin/env bash
# Renders a module file (default: the built-in song) with our engine,
# libopenmpt and libxmp in the same run; prints each time and the ratios.
# Then runs the Google Benchmark of renderSong.
# Usage: bench/music-compare.sh [MODFILE] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
module=${1:-assets/song.mod}
runs=${2:-9}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target music_compare music_bench >/dev/null
build/bench/music_compare "$module" "$runs"
build/bench/music_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
