#!/usr/bin/env bash
# The README's run command on a machine without a display: it says so and
# captures the demo to a file instead (cut short here with the test-only
# INVITE_CAPTURE_UNTIL, and reusing the test build through INVITE_BUILD_DIR).
# Usage: headless_run_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?usage: headless_run_test.sh SOURCE_DIR BUILD_DIR}
build_dir=${2:?usage: headless_run_test.sh SOURCE_DIR BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out="$work/headless.mp4"

env -u DISPLAY -u WAYLAND_DISPLAY INVITE_BUILD_DIR="$build_dir" INVITE_CAPTURE_OUT="$out" INVITE_CAPTURE_UNTIL=0.5 \
  "$source_dir/scripts/run.sh" >"$work/stdout" 2>"$work/stderr" || {
  echo "FAIL: scripts/run.sh failed without a display" >&2; cat "$work/stderr" >&2; exit 1; }

failures=0
expect_line() {  # expect_line PATTERN DESCRIPTION
  grep -q -- "$1" "$work/stderr" || { echo "FAIL: $2" >&2; failures=$((failures + 1)); }
}
expect_line "no display found.*capturing the demo to $out instead" "no line saying there is no display and where the capture goes"
expect_line "100%  31/31 frames" "no progress bar of the capture"
expect_line "wrote $out" "no line saying where the capture went"
codecs=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out" | tr '\n' ' ')
[ "$codecs" = "h264 aac " ] || { echo "FAIL: the capture's streams are '$codecs', expected h264 and aac" >&2; failures=$((failures + 1)); }
video_frames=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 "$out")
[ "$video_frames" = 31 ] || { echo "FAIL: $video_frames video frames, expected 31 (0.5 s at 60 fps)" >&2; failures=$((failures + 1)); }
if [ "$failures" -ne 0 ]; then cat "$work/stderr" >&2; exit 1; fi
echo "headless run captured $out"
