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
python3 "$(dirname "$0")/../../app/e2e/disk_audio_song.py" "$song" "$audio" ||
    fail "the audio is not the song"
echo "PASS"
