#!/usr/bin/env bash
# The whole capture at 60 fps with ffmpeg's encoding, as a user makes it; the
# tool's last line gives the drawing rate and the overall rate.
# Usage: bench/capture_speed.sh [BUILD_DIR]   (default build)
set -euo pipefail
build=${1:-build}
out=$(mktemp --suffix=.mp4)
trap 'rm -f "$out"' EXIT
/usr/bin/time -f "wall %e s, user %U s, system %S s (tool and ffmpeg)" \
  "$build/tools/invite-tool/invite-tool" capture "$out" --seed 1 2>&1 | tr '\r' '\n' | tail -2
ls -l "$out" | awk '{ printf "video: %.1f MB\n", $5 / 1e6 }'
