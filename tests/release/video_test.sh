#!/usr/bin/env bash
# The 1080p video for video sites: 1920 x 1080 at 60 fps, H.264 in yuv420p
# with the index at the front (+faststart), the song as AAC, the whole 114 s;
# the picture is the demo's 640 x 400 enlarged 2 times (the largest whole
# factor that fits), centred on black.
source "$(dirname "$0")/lib.sh"
video=$RELEASE/$NAME-1080p.mp4
[ -f "$video" ] || fail "$video is missing"

probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of default=noprint_wrappers=1:nokey=1 "$video"; }
[ "$(probe v:0 stream=codec_name,width,height,pix_fmt,r_frame_rate | paste -sd' ' -)" = "h264 1920 1080 yuv420p 60/1" ] ||
    fail "video stream: $(probe v:0 stream=codec_name,width,height,pix_fmt,r_frame_rate | paste -sd' ' -)"
[ "$(probe a:0 stream=codec_name)" = aac ] || fail "audio stream: $(probe a:0 stream=codec_name)"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$video")
python3 -c "import sys; d = float(sys.argv[1]); sys.exit(0 if 113.5 <= d <= 114.5 else 1)" "$duration" ||
    fail "the video lasts $duration s, not 114"
# +faststart: the moov box comes before mdat.
python3 - "$video" <<'PY' || fail "the index (moov) is not at the front"
import struct, sys
f = open(sys.argv[1], 'rb')
order = []
while True:
    head = f.read(8)
    if len(head) < 8:
        break
    size, kind = struct.unpack('>I4s', head)
    if size == 1:
        size = struct.unpack('>Q', f.read(8))[0] - 8
    order.append(kind)
    f.seek(size - 8, 1)
sys.exit(0 if b'moov' in order and b'mdat' in order and order.index(b'moov') < order.index(b'mdat') else 1)
PY
# One frame in the middle: black borders (320 px left and right, 140 px
# above and below) around the picture.
ffmpeg -v error -ss 60 -i "$video" -frames:v 1 -f rawvideo -pix_fmt gray "$WORK/frame.gray" || fail "cannot decode a frame"
python3 - "$WORK/frame.gray" <<'PY' || fail "the picture is not 1280 x 800 centred on black"
import sys
g = open(sys.argv[1], 'rb').read()
W, H = 1920, 1080
def region(x0, y0, x1, y1):
    return [g[y * W + x] for y in range(y0, y1) for x in range(x0, x1)]
# The borders are black (limited range: 16; allow the encoder's ringing).
for name, box in {"left": (0, 0, 316, H), "right": (1604, 0, W, H),
                  "top": (0, 0, W, 136), "bottom": (0, 944, W, H)}.items():
    if max(region(*box)) > 24:
        sys.exit("the %s border is not black" % name)
if max(region(320, 140, 1600, 940)) <= 24:
    sys.exit("nothing drawn inside the picture")
PY
echo "PASS"
