#!/usr/bin/env bash
# Whole processes side by side: `invite-tool render MODFILE OUT --raw` against
# libxmp rendering the same module (bench/xmp_render.cpp: nearest-neighbour
# interpolation, mono 16-bit at 48000 Hz, written in blocks to a file). The
# runs alternate, each writes over its own file in one folder, and the best
# and the median of RUNS are printed (process start and writing included).
# Then the peak memory (maximum resident set size) of `render` for a module
# of about 29 minutes at 48 and 384 kHz, also for an earlier binary if given.
# Usage: bench/render-speed.sh [MODFILE] [RUNS] [EARLIER_INVITE_TOOL]
set -euo pipefail
cd "$(dirname "$0")/.."
module=$(realpath "${1:-assets/song.mod}")
runs=${2:-21}
earlier=${3:-}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target invite-tool xmp_render >/dev/null
tool=build/tools/invite-tool/invite-tool
xmp=build/bench/xmp_render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# microseconds COMMAND...: the wall time of one run (bash's clock: no extra process).
microseconds() {
  local start=${EPOCHREALTIME/./}
  "$@" >/dev/null
  echo $((${EPOCHREALTIME/./} - start))
}
# summary FILE: "best B ms, median M ms" of the times (µs) in FILE.
summary() { sort -n "$1" | awk '{ t[NR] = $1 } END { printf "best %6.2f ms, median %6.2f ms", t[1] / 1000, t[int((NR + 1) / 2)] / 1000 }'; }

# compare NAME: the runs alternate; "new" writes a fresh file each time,
# "replace" writes over the previous run's file, as a user running the same
# command again does (the kernel then drops the old file's pages, and for a
# rename over a file ext4 starts writing the new one out at once).
compare() {
  local name=$1
  rm -f "$work/ours.times" "$work/xmp.times" "$work/earlier.times"
  for _ in $(seq "$runs"); do
    [ "$name" = new ] && rm -f "$work/ours.raw" "$work/xmp.raw" "$work/earlier.raw"
    microseconds "$tool" render "$module" "$work/ours.raw" --raw >>"$work/ours.times"
    microseconds "$xmp" "$module" "$work/xmp.raw" >>"$work/xmp.times"
    if [ -n "$earlier" ]; then
      microseconds "$earlier" render "$module" "$work/earlier.raw" --raw >>"$work/earlier.times"
    fi
  done
  local ours_best xmp_best
  ours_best=$(sort -n "$work/ours.times" | head -1)
  xmp_best=$(sort -n "$work/xmp.times" | head -1)
  echo "output file: $name ($runs runs each, alternating)"
  echo "  invite-tool render --raw   $(summary "$work/ours.times")   $(stat -c %s "$work/ours.raw") bytes"
  echo "  libxmp (nearest)           $(summary "$work/xmp.times")   $(stat -c %s "$work/xmp.raw") bytes"
  if [ -n "$earlier" ]; then
    echo "  earlier invite-tool        $(summary "$work/earlier.times")   ($earlier)"
  fi
  awk -v x="$xmp_best" -v o="$ours_best" 'BEGIN { printf "  libxmp / invite-tool (best): %.2fx\n", x / o }'
}

"$tool" render "$module" "$work/ours.raw" --raw  # warm the caches once
"$xmp" "$module" "$work/xmp.raw"
echo "module $module, whole processes writing into $work ($(findmnt -no FSTYPE -T "$work"))"
compare new
compare replace

# Peak memory: the song buffer alone should count, whatever the length.
python3 tests/capture/long_module.py 29 "$work/long.mod"
echo "peak memory of render for a module of about 29 minutes (maximum resident set size):"
for binary in "$tool" ${earlier:+"$earlier"}; do
  for rate in 48000 384000; do
    /usr/bin/time -f %M -o "$work/peak" "$binary" render "$work/long.mod" "$work/long.wav" --rate "$rate"
    printf "  %-40s %6d Hz  WAV %5d MiB  peak %5d MiB\n" "$binary" "$rate" \
      $(($(stat -c %s "$work/long.wav") >> 20)) $(($(tail -1 "$work/peak") >> 10))
    rm -f "$work/long.wav"
  done
done
