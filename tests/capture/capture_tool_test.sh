#!/usr/bin/env bash
# End to end: invite-tool frame, capture and contact-sheet as a user runs them,
# checked with ffprobe.  Usage: capture_tool_test.sh INVITE_TOOL
set -euo pipefail
tool=$(realpath "${1:?usage: capture_tool_test.sh INVITE_TOOL}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The capture's temporary soundtrack goes here, and must not stay.
mkdir "$work/tmp"
export TMPDIR="$work/tmp"

failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected '$2', got '$3'" >&2
    failures=$((failures + 1))
  fi
}
# probe FILE STREAM ENTRIES: one stream's entries as key=value lines
probe() { ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=noprint_wrappers=1 "$1"; }

# --- frame: a 640 x 400 PNG, the same bytes for the same seed -------------
"$tool" frame 45 "$work/a.png" --seed 7
"$tool" frame 45 "$work/b.png" --seed 7
check "frame size" $'width=640\nheight=400' "$(probe "$work/a.png" v:0 width,height)"
check "same seed, same bytes" "same" "$(cmp -s "$work/a.png" "$work/b.png" && echo same || echo different)"
# At 45 s the invitation lines shake: another seed puts them elsewhere.
"$tool" frame 45 "$work/c.png" --seed 8
check "other seed, other picture" "different" "$(cmp -s "$work/a.png" "$work/c.png" && echo same || echo different)"

# --- capture: a short video with the song under it -------------------------
# 0.001, 1/30, ..., 30/30: 31 frames, 31 / 30 s of video and sound.
"$tool" capture "$work/short.mp4" --until 1 --fps 30 --seed 3 2>"$work/capture.log"
grep -q '100%  31/31 frames' "$work/capture.log" || { echo "FAIL: no finished progress bar" >&2; failures=$((failures + 1)); }
check "video stream" $'codec_name=h264\nwidth=640\nheight=400\npix_fmt=yuv420p\nr_frame_rate=30/1\nnb_frames=31' \
  "$(probe "$work/short.mp4" v:0 codec_name,width,height,pix_fmt,r_frame_rate,nb_frames)"
check "video duration" "duration=1.033333" "$(probe "$work/short.mp4" v:0 duration)"
check "audio stream" $'codec_name=aac\nsample_rate=48000\nchannels=1' \
  "$(probe "$work/short.mp4" a:0 codec_name,sample_rate,channels)"
audio_duration=$(probe "$work/short.mp4" a:0 duration | cut -d= -f2)
# AAC counts in blocks of 1024 samples: within one block (21.3 ms) of the video.
check "audio lasts as long as the video" "yes" \
  "$(awk -v d="$audio_duration" 'BEGIN { print (d > 1.033333 - 0.0214 && d < 1.033333 + 0.0214) ? "yes" : "no" }')"

# --scale 2: every pixel doubled.
"$tool" capture "$work/big.mp4" --until 0.1 --fps 10 --scale 2 2>/dev/null
check "scaled video" $'width=1280\nheight=800\nnb_frames=2' "$(probe "$work/big.mp4" v:0 width,height,nb_frames)"

# --fit 1920x1080: the picture doubled (1280 x 800), centred on black.
"$tool" capture "$work/fit.mp4" --until 0.1 --fps 10 --fit 1920x1080 2>/dev/null
check "fitted video" $'width=1920\nheight=1080\npix_fmt=yuv420p\nnb_frames=2' \
  "$(probe "$work/fit.mp4" v:0 width,height,pix_fmt,nb_frames)"
# --fit as PNG frames, odd sizes allowed: 1301 x 851 holds the picture twice,
# at (10, 25) with the odd pixel right and below. The inside is the --scale 2
# frame of the same seed, the margins black.
"$tool" capture --frames "$work/fit-frames" --until 0 --fit 1301x851 --seed 4 2>/dev/null
"$tool" capture --frames "$work/scale-frames" --until 0 --scale 2 --seed 4 2>/dev/null
fitted=$work/fit-frames/frame-00000.png
check "fitted frame size" $'width=1301\nheight=851' "$(probe "$fitted" v:0 width,height)"
rgb() { ffmpeg -v error -i "$1" ${2:+-vf "$2"} -f rawvideo -pix_fmt rgb24 -; }
check "picture inside the fitted frame" "same" \
  "$(cmp -s <(rgb "$fitted" crop=1280:800:10:25) <(rgb "$work/scale-frames/frame-00000.png") && echo same || echo different)"
for margin in "crop=1301:25:0:0" "crop=1301:26:0:825" "crop=10:851:0:0" "crop=11:851:1290:0"; do
  check "black margin ($margin)" 0 "$(rgb "$fitted" "$margin" | tr -d '\0' | wc -c)"
done
# Frames the picture does not fit in: a usage error that says why.
set +e
"$tool" capture "$work/small.mp4" --fit 1280x399 2>"$work/small.log"
status=$?
set -e
check "exit status of a frame smaller than the picture" 2 "$status"
grep -q -- '--fit 1280x399 is smaller than the demo.s 640x400 picture' "$work/small.log" ||
  { echo "FAIL: unclear message for a small --fit: $(cat "$work/small.log")" >&2; failures=$((failures + 1)); }
check "no video for a small --fit" "absent" "$([ -e "$work/small.mp4" ] && echo present || echo absent)"

# --frames: numbered PNGs and the song as a WAV of the same length.
"$tool" capture --frames "$work/frames" --until 0.5 --fps 10 --seed 1 2>/dev/null
check "frame files" "frame-00000.png frame-00001.png frame-00002.png frame-00003.png frame-00004.png frame-00005.png song.wav" \
  "$(cd "$work/frames" && echo *)"
check "frame PNG size" $'width=640\nheight=400' "$(probe "$work/frames/frame-00005.png" v:0 width,height)"
check "song.wav" $'codec_name=pcm_s16le\nsample_rate=48000\nchannels=1\nduration_ts=28800' \
  "$(probe "$work/frames/song.wav" a:0 codec_name,sample_rate,channels,duration_ts)"
# Frame 0 of the folder is the still at 0.001 with the same seed.
"$tool" frame 0.001 "$work/first.png" --seed 1
check "first frame equals the still" "same" \
  "$(cmp -s <(ffmpeg -v error -i "$work/first.png" -f rawvideo -) <(ffmpeg -v error -i "$work/frames/frame-00000.png" -f rawvideo -) && echo same || echo different)"

# --- contact sheet -----------------------------------------------------------
"$tool" contact-sheet "$work/sheet.png" --seed 1
check "contact sheet size" $'width=2600\nheight=1304' "$(probe "$work/sheet.png" v:0 width,height)"

# --- without ffmpeg: one clear line, exit status 1 --------------------------
set +e
PATH=/nonexistent "$tool" capture "$work/none.mp4" --until 0.1 2>"$work/noffmpeg.log"
status=$?
set -e
check "exit status without ffmpeg" 1 "$status"
check "one line without ffmpeg" 1 "$(wc -l <"$work/noffmpeg.log")"
grep -q 'ffmpeg not found.*apt-get install ffmpeg' "$work/noffmpeg.log" ||
  { echo "FAIL: the message does not say how to install ffmpeg: $(cat "$work/noffmpeg.log")" >&2; failures=$((failures + 1)); }
check "no video without ffmpeg" "absent" "$([ -e "$work/none.mp4" ] && echo present || echo absent)"

# --- no such folder: one line with the reason, before ffmpeg starts -----------
set +e
"$tool" capture "$work/no-such-folder/x.mp4" --until 0.2 2>"$work/fails.log"
status=$?
set -e
check "exit status without the folder" 1 "$status"
check "message without the folder" "invite-tool: cannot write '$work/no-such-folder/x.mp4': No such file or directory" \
  "$(cat "$work/fails.log")"

# Any file name gives an MP4, whatever its extension.
"$tool" capture "$work/clip.video" --until 0.1 --fps 10 2>/dev/null
check "container without .mp4" "format_name=mov,mp4,m4a,3gp,3g2,mj2" \
  "$(ffprobe -v error -show_entries format=format_name -of default=noprint_wrappers=1 "$work/clip.video")"

# --- bad arguments are usage errors ------------------------------------------
for args in "frame" "frame abc x.png" "frame 1 x.png --seed -1" "capture x.mp4 --fps 0" \
            "capture x.mp4 --scale 9" "capture x.mp4 --until 115" "capture" "capture x.mp4 --frames d" \
            "capture x.mp4 --fit 639x400" "capture x.mp4 --fit 1920x1081" "capture x.mp4 --fit 1920" \
            "capture x.mp4 --fit 1920x" "capture x.mp4 --fit 9000x1080" "capture x.mp4 --fit -640x400" \
            "capture x.mp4 --fit 1920x1080 --scale 2"; do
  set +e
  # shellcheck disable=SC2086
  (cd "$work" && "$tool" $args >/dev/null 2>&1)
  status=$?
  set -e
  check "exit status of 'invite-tool $args'" 2 "$status"
done

check "temporary files left" "" "$(ls -A "$TMPDIR")"

[ "$failures" -eq 0 ] && echo "all capture tool checks passed"
exit $((failures > 0))
