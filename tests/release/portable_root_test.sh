#!/usr/bin/env bash
# The portable Linux program from the tarball runs in a bare Debian 13 root
# that has the X11 client and sound libraries of every desktop, but neither
# SDL2 nor libstdc++: under Xvfb, with SDL's disk audio driver, it writes its
# time lines, ends with status 0 on SIGTERM, and the device receives the song
# as `invite-tool song --raw` renders it, each sample / 32767 as a float, bit
# for bit.
#   portable_root_test.sh RELEASE_DIR INVITE_TOOL
here=$(cd "$(dirname "$0")" && pwd)
tool=$(realpath "${2:?usage: $0 RELEASE_DIR INVITE_TOOL}")
# The end-to-end tests' own helpers (Xvfb, starting the demo, the time lines),
# with the demo started inside the root below.
source "$here/../app/e2e/lib.sh" "tiral25-invite"
source "$here/lib.sh" "$1"
tarball=$RELEASE/$NAME-linux-x86_64.tar.gz
[ -f "$tarball" ] || fail "$tarball is missing"
"$tool" song "$WORK/song.raw" --raw >/dev/null || fail "invite-tool song --raw failed"

root=$WORK/trixie
make_root trixie "$root" --variant=essential \
    --include=libx11-6,libxext6,libxcursor1,libxi6,libxrandr2,libxfixes3,libxss1,libxkbcommon0,libasound2t64,libpulse0
for lib in 'libSDL2*' 'libstdc++*'; do
    [ -z "$(find "$root" -name "$lib" -print -quit)" ] || fail "the bare root has $lib"
done
tar xzf "$tarball" -C "$root/opt"
program=/opt/$NAME-linux-x86_64/tiral25-invite

# Xvfb listens on an abstract socket as well, which the chroot shares.
start_xvfb
DEMO_RUN=(chroot "$root" env -i "DISPLAY=$DISPLAY" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk
          SDL_DISKAUDIOFILE=/tmp/audio.raw SDL_DISKAUDIODELAY=10 "$program")
audio=$root/tmp/audio.raw
start_demo
want=$(($(stat -c %s "$WORK/song.raw") * 2 + 4 * 48000))  # the song's floats and a second of silence
for i in $(seq 900); do
    [ "$(stat -c %s "$audio" 2>/dev/null || echo 0)" -ge "$want" ] && break
    kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early"
    sleep 0.1
done
wait_for_window >/dev/null
kill -TERM "$DEMO_PID"
wait_for_exit 10
[ "$DEMO_STATUS" -eq 0 ] || fail "SIGTERM gave exit status $DEMO_STATUS"
# SDL's disk driver announces itself on standard error; nothing else may be there.
! grep -v '^CRITICAL: ' "$WORK/stderr" || fail "the demo wrote to standard error"
check_time_lines
python3 "$here/../app/e2e/disk_audio_song.py" "$WORK/song.raw" "$audio" || fail "the audio is not the song"
echo "PASS"
