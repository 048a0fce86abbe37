#!/usr/bin/env bash
# The samples the audio device receives on Windows are exactly the song that
# the Linux build renders (invite-tool song --raw, in $INVITE_SONG_RAW), each
# divided by 32767 as a float, and silence after the song's end: the
# replayer is integer arithmetic, so the two systems agree bit for bit.
source "$(dirname "$0")/lib.sh"
song=${INVITE_SONG_RAW:?INVITE_SONG_RAW names the raw song of the Linux build}
[ -s "$song" ] || fail "$song is missing (invite-tool song --raw of the Linux build)"

# SDL's disk driver waits SDL_DISKAUDIODELAY ms per buffer (8192 frames,
# 171 ms of sound): with 10 the whole song arrives in about 7 s. SDL's getenv
# on Windows hands out one shared buffer, so reading the delay overwrites
# the file name it read just before (SDL_DISKAUDIOFILE has to be set, to
# anything): the file is named after the delay's text, which atoi reads as 10.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=10-audio.raw SDL_DISKAUDIOFILE=overwritten.raw
audio=$WORK/10-audio.raw
start_demo
want=$(($(stat -c %s "$song") * 2 + 4 * 48000))  # the song's floats and a second of silence
for i in $(seq 600); do
    [ "$(stat -c %s "$audio" 2>/dev/null || echo 0)" -ge "$want" ] && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early"
    sleep 0.1
done
window=$(wait_for_window)
# The demo ends on the key-down; the key-up after it may find the window gone.
xdotool key --window "$window" Escape 2>/dev/null || true
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "exit status $DEMO_STATUS"
[ "$(stat -c %s "$audio")" -ge "$want" ] || fail "only $(stat -c %s "$audio") bytes of audio in 60 s"
python3 - "$song" "$audio" <<'PY'
import struct, sys
raw = open(sys.argv[1], 'rb').read()
song = struct.unpack('<%dh' % (len(raw) // 2), raw)
n = len(song) - 1  # the device never plays the song's last sample
got = open(sys.argv[2], 'rb').read()
# The demo converts each sample as float(s / 32767.0): a double divided,
# then rounded to float, just as struct packs a Python float.
table = {s: struct.pack('<f', s / 32767.0) for s in set(song)}
expected = b''.join(table[s] for s in song[:n])
# While the song is rendered the paused device writes whole buffers of
# silence; the song starts at the beginning of a buffer after them.
buffer = 8192 * 4
start = 0
while start + 4 * n <= len(got) and got[start:start + 4 * n] != expected:
    if got[start:start + buffer].count(0) != buffer:
        k = next(i for i in range(n) if got[start + 4 * i:start + 4 * i + 4] != expected[4 * i:4 * i + 4])
        sys.exit("sample %d: %r, expected %r (song value %d)" % (
            k, struct.unpack('<f', got[start + 4 * k:start + 4 * k + 4])[0],
            struct.unpack('<f', table[song[k]])[0], song[k]))
    start += buffer
if start + 4 * n > len(got):
    sys.exit("the song is not in the audio file")
tail = got[start + 4 * n:]
if tail.count(0) != len(tail):
    sys.exit("not silent after the song's end")
if len(got) % 32768:
    sys.exit("%d bytes is not a whole number of 8192-frame buffers" % len(got))
print("%d buffers of silence, then %d samples equal to the Linux render, then %d of silence" % (
    start // buffer, n, len(tail) // 4))
PY
echo "PASS"
