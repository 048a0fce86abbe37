#!/usr/bin/env bash
# The cross-built demo under its emulator, headless: SDL's offscreen video
# driver and its disk audio driver. It writes its time lines, ends with exit
# status 0 on SIGTERM, and the floats the audio device received are the song
# exactly as the native invite-tool renders it (song --raw), each divided by
# 32767: the replayer is integer arithmetic, so both processors agree bit
# for bit.
# Usage: demo_test.sh DEMO   (environment: INVITE_EMULATOR, INVITE_NATIVE_TOOL)
source "$(dirname "$0")/../app/e2e/lib.sh"
read -r -a emulator <<<"${INVITE_EMULATOR:?INVITE_EMULATOR names the emulator of the cross build}"
native=${INVITE_NATIVE_TOOL:?INVITE_NATIVE_TOOL names the invite-tool of the native build}
[ -x "$native" ] || fail "$native is missing (the native build's invite-tool)"
DEMO_RUN=("${emulator[@]}" "$DEMO")

"$native" song "$WORK/song.raw" --raw || fail "the native invite-tool cannot render the song"
# The disk driver waits SDL_DISKAUDIODELAY ms per buffer (8192 frames, 171 ms
# of sound): with 10 the whole song arrives in about 7 s.
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=10
export SDL_DISKAUDIOFILE=$WORK/audio.raw
audio=$SDL_DISKAUDIOFILE
start_demo
want=$(($(stat -c %s "$WORK/song.raw") * 2 + 4 * 48000))  # the song's floats and a second of silence
for i in $(seq 900); do
    [ "$(stat -c %s "$audio" 2>/dev/null || echo 0)" -ge "$want" ] && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early"
    sleep 0.1
done
[ "$(stat -c %s "$audio" 2>/dev/null || echo 0)" -ge "$want" ] ||
    fail "only $(stat -c %s "$audio" 2>/dev/null || echo 0) bytes of audio in 90 s"
# The frame loop runs: a hundred time lines at least.
for i in $(seq 600); do
    [ "$(grep -c 'Time: ' "$WORK/stdout" || true)" -ge 100 ] && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early"
    sleep 0.1
done
[ "$(grep -c 'Time: ' "$WORK/stdout" || true)" -ge 100 ] ||
    fail "only $(grep -c 'Time: ' "$WORK/stdout" || true) time lines in 60 s after the song"
kill -TERM "$DEMO_PID"
wait_for_exit 30
[ "$DEMO_STATUS" -eq 0 ] || fail "SIGTERM gave exit status $DEMO_STATUS"
# (The disk driver itself logs a warning on standard error.)
if grep -q "tiral25-invite" "$WORK/stderr"; then fail "the demo reported an error"; fi
check_time_lines || fail "the time lines are wrong"
python3 "$(dirname "$0")/../app/e2e/disk_audio_song.py" "$WORK/song.raw" "$audio" || fail "the audio differs"
echo "PASS"
