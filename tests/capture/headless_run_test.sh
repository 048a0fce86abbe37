#!/usr/bin/env bash
# The README's run command on a machine without a display, or with one that
# cannot be reached: it says so and captures the demo to a file instead (cut
# short here with the test-only INVITE_CAPTURE_UNTIL, and reusing the test
# build through INVITE_BUILD_DIR).
# Usage: headless_run_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?usage: headless_run_test.sh SOURCE_DIR BUILD_DIR}
build_dir=${2:?usage: headless_run_test.sh SOURCE_DIR BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An X display number with no server: no socket and no lock file.
unreachable=5999
while [ -e "/tmp/.X11-unix/X$unreachable" ] || [ -e "/tmp/.X$unreachable-lock" ]; do
  unreachable=$((unreachable + 1))
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Each row: a name | the display variables | the line run.sh must print.
# No sound device in tests: SDL's dummy audio driver takes the demo's samples.
while IFS='|' read -r name display expected; do
  out="$work/$name.mp4"
  # shellcheck disable=SC2086
  if ! env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER $display SDL_AUDIODRIVER=dummy \
       INVITE_BUILD_DIR="$build_dir" INVITE_CAPTURE_OUT="$out" INVITE_CAPTURE_UNTIL=0.5 \
       timeout 120 "$source_dir/scripts/run.sh" >"$work/stdout" 2>"$work/stderr"; then
    fail "$name: scripts/run.sh failed"; cat "$work/stderr" >&2; continue
  fi
  expect_line() {  # expect_line PATTERN DESCRIPTION
    grep -qx -- "$1" "$work/stderr" || fail "$name: $2"
  }
  expect_line "$expected; capturing the demo to $out instead\." "no line saying there is no display and where the capture goes"
  expect_line ".*100%  31/31 frames.*" "no progress bar of the capture"
  expect_line "invite-tool: wrote $out: .*" "no line saying where the capture went"
  codecs=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$out" | tr '\n' ' ')
  [ "$codecs" = "h264 aac " ] || fail "$name: the capture's streams are '$codecs', expected h264 and aac"
  video_frames=$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of csv=p=0 "$out")
  [ "$video_frames" = 31 ] || fail "$name: $video_frames video frames, expected 31 (0.5 s at 60 fps)"
  [ "$failures" -eq 0 ] || cat "$work/stderr" >&2
done <<ROWS
unset||tiral25-invite: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)
unreachable|DISPLAY=:$unreachable|tiral25-invite: no display found at DISPLAY=:$unreachable
ROWS
[ "$failures" -eq 0 ] || exit 1
echo "headless runs captured the demo"
