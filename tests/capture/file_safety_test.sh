#!/usr/bin/env bash
# invite-tool never loses or fakes a user's file: the real binary, as a user
# (or an attacker) starts it, against real folders, devices, a full tmpfs,
# real signals and the real ffmpeg. One section per fault; rows of a table
# where the cases share a shape.
# Usage: file_safety_test.sh INVITE_TOOL
# Needs root for the full-disk (tmpfs) and device-node (mknod) cases; without
# it those cases print SKIP and the others still run.
set -uo pipefail
tool=$(realpath "${1:?usage: file_safety_test.sh INVITE_TOOL}")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
mounted=()
cleanup() {
  for m in "${mounted[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# The tool's own temporary files (capture's soundtrack) go here; it must end empty.
mkdir "$work/tmp"
export TMPDIR="$work/tmp"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() {  # check DESCRIPTION EXPECTED ACTUAL
  [ "$2" == "$3" ] || fail "$1: expected '$2', got '$3'"
}
# run ARGS...: runs the tool; sets $status and $errors (its standard error).
run() {
  "$tool" "$@" >"$work/out" 2>"$work/err"
  status=$?
  errors=$(cat "$work/err")
}
# one_line_failure DESCRIPTION PATTERN: the last run failed with status 1 and
# exactly one line on standard error that matches PATTERN.
one_line_failure() {
  check "$1: exit status" 1 "$status"
  check "$1: lines on standard error" 1 "$(wc -l <"$work/err")"
  grep -qE "$2" "$work/err" || fail "$1: the message does not match '$2': $errors"
}
# ffmpeg_failure DESCRIPTION: the last run failed with status 1 after
# ffmpeg's own message, and said so.
ffmpeg_failure() {
  check "$1: exit status" 1 "$status"
  check "$1: our last line" "ffmpeg failed" "$(tail -1 "$work/err" | grep -o 'ffmpeg failed')"
}
# leftovers DIR: files in DIR that look like our temporary files (".NAME.XXXXXX").
leftovers() { (cd "$1" && find . -maxdepth 1 -name '.*.??????' -printf '%f ' | sed 's/ $//'); }
# tmpfs DIR SIZE: mounts a fresh tmpfs; false where that is not allowed.
tmpfs() {
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2" tmpfs "$1" 2>/dev/null || return 1
  mounted+=("$1")
}

"$tool" export-mod "$work/v.mod" || { echo "FAIL: export-mod" >&2; exit 1; }

# --- F1, F2: module inputs that are not module files --------------------------
# One line each, exit status 1, and nothing written. A memory limit keeps an
# unbounded read from taking the machine's memory (it ends in bad_alloc).
mkdir "$work/folder"
mkfifo "$work/fifo"
truncate -s 9M "$work/huge.mod"
while IFS='|' read -r name input stdin pattern; do
  rm -f "$work/o.wav"
  (ulimit -v 2097152; timeout 20 "$tool" render "$input" "$work/o.wav" <"$stdin" >/dev/null 2>"$work/err")
  status=$?
  errors=$(cat "$work/err")
  one_line_failure "$name" "^invite-tool: cannot read '.*': $pattern"
  check "$name: no output" absent "$([ -e "$work/o.wav" ] && echo present || echo absent)"
done <<EOF
F1 a folder as the module|$work/folder|/dev/null|Is a directory
F2 /dev/zero as the module|/dev/zero|/dev/null|a character device, not a regular file
F2 a pipe as the module|$work/fifo|/dev/null|a pipe, not a regular file
F2 a file larger than any module|$work/huge.mod|/dev/null|larger than 8388608 bytes
F2 endless standard input|-|/dev/zero|larger than 8388608 bytes
a missing module|$work/missing.mod|/dev/null|No such file or directory
EOF
# Standard input stays a way in, and standard output a way out.
"$tool" render - "$work/stdin.raw" --raw <"$work/v.mod" && "$tool" render "$work/v.mod" - --raw >"$work/stdout.raw"
check "module on standard input, samples on standard output" same \
  "$(cmp -s "$work/stdin.raw" "$work/stdout.raw" && echo same || echo different)"
check "the song's samples" 10940416 "$(stat -c %s "$work/stdout.raw")"
# A new file gets the mode the umask gives; a replaced one keeps its own.
(umask 022 && "$tool" export-mod "$work/mode.mod")
check "mode of a new file" 644 "$(stat -c %a "$work/mode.mod")"
chmod 640 "$work/mode.mod" && "$tool" export-mod "$work/mode.mod"
check "mode of a replaced file" 640 "$(stat -c %a "$work/mode.mod")"
if [ "$(id -u)" -eq 0 ] && chown nobody "$work/mode.mod" 2>/dev/null; then
  "$tool" export-mod "$work/mode.mod"
  check "owner of a file that root replaced" nobody "$(stat -c %U "$work/mode.mod")"
fi

# --- F3: a disk that fills up part-way ----------------------------------------
# Each command, to a new name and over a file the user had: one line with the
# system's reason, no file that lies about its length, the user's file intact
# and no temporary file left.
small="$work/small"
if tmpfs "$small" 1m; then
  echo "the user's own file" >"$small/keep"
  dd if=/dev/zero of="$small/filler" bs=4k >/dev/null 2>&1  # until the disk is full
  while IFS='|' read -r name command; do
    for target in new keep; do
      # shellcheck disable=SC2086
      run $command "$small/$target"
      one_line_failure "F3 $name to $target" "^invite-tool: cannot write '$small/$target': No space left on device$"
    done
    check "F3 $name: the user's file" "the user's own file" "$(cat "$small/keep")"
    check "F3 $name: files on the disk" "filler keep" "$(cd "$small" && ls -A | xargs)"
  done <<EOF
song|song
render|render $work/v.mod
render --raw|render $work/v.mod --raw
export-mod|export-mod
frame|frame 45
contact-sheet|contact-sheet
specimen|specimen
EOF
  # A capture whose ffmpeg runs out of room part-way (8 s take about 360 KB;
  # 256 KB are left): no unplayable video is left.
  rm -f "$small/filler"
  dd if=/dev/zero of="$small/filler" bs=64k count=12 >/dev/null 2>&1
  run capture "$small/video.mp4" --until 8 --fps 30
  ffmpeg_failure "F3 capture on a full disk"
  check "F3 capture on a full disk: files on the disk" "filler keep" "$(cd "$small" && ls -A | xargs)"
else
  echo "SKIP: F3 (a full disk): cannot mount a tmpfs here (needs root)"
fi

# --- F4: a character device as the output --------------------------------------
# Written as it is, the failure reported with its reason, the node left alone.
if mknod "$work/full" c 1 7 2>/dev/null; then
  for command in "frame 45" "contact-sheet" "song" "render $work/v.mod" "export-mod"; do
    # shellcheck disable=SC2086
    run $command "$work/full"
    one_line_failure "F4 $command to a full device" "^invite-tool: cannot write '$work/full': No space left on device$"
    check "F4 $command: the device node" "character special file" "$(stat -c %F "$work/full" 2>&1)"
  done
else
  echo "SKIP: F4 (a device node): mknod is not allowed here (needs root)"
fi
run song /dev/null
check "song to /dev/null" 0 "$status"
check "/dev/null stays a device" "character special file" "$(stat -c %F /dev/null)"
check "F4: no temporary files in the work folder" "" "$(leftovers "$work")"

# --- F5: a capture stopped by Ctrl-C or SIGTERM, or failing -------------------
# ffmpeg is stopped and reaped, no video and no temporary file stays, and the
# tool ends by the signal (130 / 143). Ctrl-C reaches the whole foreground
# process group (ffmpeg too); kill only the tool.
mkdir "$work/cap"
while IFS='|' read -r name signal whom output expected; do
  set -m  # its own process group, as a terminal's foreground job
  "$tool" capture $output --fps 30 >/dev/null 2>"$work/capture.log" &
  pid=$!
  set +m
  # Wait until ffmpeg runs (for a video) and frames are being drawn.
  for _ in $(seq 200); do
    grep -q '[1-9][0-9]*/3421 frames' "$work/capture.log" 2>/dev/null && break
    sleep 0.05
  done
  helper=$(pgrep -P "$pid" ffmpeg)
  sleep 0.5
  if [ "$whom" = group ]; then kill -s "$signal" -- "-$pid"; else kill -s "$signal" "$pid"; fi
  wait "$pid"
  status=$?
  check "F5 $name: exit status" "$expected" "$status"
  if [ -n "$helper" ]; then
    check "F5 $name: ffmpeg stopped and reaped" gone "$(kill -0 "$helper" 2>/dev/null && echo running || echo gone)"
  fi
  check "F5 $name: files left in the output folder" "" "$(cd "$work/cap" && ls -A | xargs)"
  check "F5 $name: temporary files" "" "$(ls -A "$TMPDIR" | xargs)"
  [ -n "$helper" ] && kill -9 "$helper" 2>/dev/null  # only if it was left running
  rm -rf "${work:?}/cap/"* "$TMPDIR/"*
done <<EOF
Ctrl-C during a video|INT|group|$work/cap/out.mp4|130
SIGTERM during a video|TERM|tool|$work/cap/out.mp4|143
Ctrl-C during frames|INT|group|--frames $work/cap/frames|130
SIGTERM during frames|TERM|tool|--frames $work/cap/frames|143
EOF
# A render stopped while it writes: the user's earlier file stays as it was
# and no temporary file is left. (10 minutes at 384 kHz: 460 MB to write.)
python3 "$here/long_module.py" 10 "$work/ten.mod"
mkdir "$work/rendering" && echo "the user's earlier take" >"$work/rendering/take.wav"
"$tool" render "$work/ten.mod" "$work/rendering/take.wav" --rate 384000 2>"$work/err" &
pid=$!
for _ in $(seq 1000); do  # until the writing starts: a new file beside it, or this one changed
  [ "$(ls -A "$work/rendering" | wc -l)" -gt 1 ] && break
  [ "$(cat "$work/rendering/take.wav" 2>/dev/null)" != "the user's earlier take" ] && break
  sleep 0.01
done
kill -TERM "$pid"
wait "$pid"
check "F5 SIGTERM while render writes: exit status" 143 "$?"
check "F5 SIGTERM while render writes: the user's file" "the user's earlier take" "$(head -c 100 "$work/rendering/take.wav" | tr -d '\0')"
check "F5 SIGTERM while render writes: files in the folder" "take.wav" "$(ls -A "$work/rendering" | xargs)"
rm -rf "$work/rendering" "$work/ten.mod"

# A failing ffmpeg (it cannot write /dev/full) leaves no file and says so.
run capture /dev/full --until 0.5 --fps 10
ffmpeg_failure "F5 ffmpeg fails"
check "F5 ffmpeg fails: temporary files" "" "$(ls -A "$TMPDIR" | xargs)"
check "F5: /dev/full stays a device" "character special file" "$(stat -c %F /dev/full)"

# --- F6: --frames into a folder that holds an earlier capture -------------------
frames="$work/frames"
"$tool" capture --frames "$frames" --until 0.5 --fps 10 --seed 1 2>/dev/null
echo "the user's notes" >"$frames/notes.txt"
before=$(cd "$frames" && md5sum -- * | xargs)
run capture --frames "$frames" --until 0.2 --fps 5
one_line_failure "F6 an earlier capture" "'$frames' already holds a capture: 6 frames \(frame-00000.png ...\) and song.wav; --force replaces it"
check "F6 the earlier capture is untouched" "$before" "$(cd "$frames" && md5sum -- * | xargs)"
run capture --frames "$frames" --until 0.2 --fps 5 --force
check "F6 --force: exit status" 0 "$status"
check "F6 --force: the stale frames are gone, the user's notes stay" \
  "frame-00000.png frame-00001.png notes.txt song.wav" "$(cd "$frames" && echo *)"
check "F6 --force: the new song.wav lasts 2 frames at 5 fps" $((44 + 2 * 19200)) "$(stat -c %s "$frames/song.wav")"
# Ctrl-C during a --force capture: the earlier capture stays whole (the new
# frames are made beside it and take its place only when complete).
before=$(cd "$frames" && md5sum -- * | xargs)
set -m  # its own process group, as a terminal's foreground job
"$tool" capture --frames "$frames" --fps 30 --force >/dev/null 2>"$work/capture.log" &
pid=$!
set +m
for _ in $(seq 600); do
  grep -q '[1-9][0-9]*/3421 frames' "$work/capture.log" 2>/dev/null && break
  sleep 0.05
done
grep -q '[1-9][0-9]*/3421 frames' "$work/capture.log" || fail "F6 Ctrl-C during --force: no frame was drawn"
kill -INT -- "-$pid"
wait "$pid"
check "F6 Ctrl-C during --force: exit status" 130 "$?"
check "F6 Ctrl-C during --force: the earlier capture" "$before" "$(cd "$frames" && md5sum -- * | xargs)"
check "F6 Ctrl-C during --force: nothing else in the folder" \
  "frame-00000.png frame-00001.png notes.txt song.wav" "$(cd "$frames" && ls -A | xargs)"
mkdir "$work/song-only" && echo "a song" >"$work/song-only/song.wav"
run capture --frames "$work/song-only" --until 0.1 --fps 10
one_line_failure "F6 a folder with a song.wav" "already holds a capture: song.wav; --force replaces it"
check "F6 the user's song.wav" "a song" "$(cat "$work/song-only/song.wav")"

# --- F7: the output is the module itself -----------------------------------------
ln "$work/v.mod" "$work/hard.mod"
ln -s v.mod "$work/link.mod"
for output in "$work/v.mod" "$work/./v.mod" "$work/hard.mod" "$work/link.mod"; do
  run render "$work/v.mod" "$output"
  one_line_failure "F7 render v.mod $output" "^invite-tool: '$output' is the module file itself"
  "$tool" export-mod "$work/expected.mod"
  check "F7 render v.mod $output: the module" same \
    "$(cmp -s "$work/v.mod" "$work/expected.mod" && echo same || echo different)"
done
check "F7 the symbolic link" "v.mod" "$(readlink "$work/link.mod")"

# --- S1: memory stays at the song buffer plus a small block -----------------------
# 3 minutes at 384 kHz: a 138 MB buffer. Holding a second, encoded copy
# doubles the peak; streaming adds a block.
if [ -x /usr/bin/time ]; then
  python3 "$here/long_module.py" 3 "$work/long.mod"
  /usr/bin/time -f %M -o "$work/peak" "$tool" render "$work/long.mod" "$work/long.wav" --rate 384000
  wav=$(stat -c %s "$work/long.wav")
  peak_kb=$(tail -1 "$work/peak")
  limit_kb=$((wav / 1024 + 48 * 1024))  # the buffer, the program and its libraries, a block
  [ "$peak_kb" -le "$limit_kb" ] ||
    fail "S1 peak memory of a $((wav >> 20)) MiB render: $((peak_kb >> 10)) MiB, more than $((limit_kb >> 10)) MiB"
  rm -f "$work/long.wav"
else
  echo "SKIP: S1 (peak memory): /usr/bin/time is not installed"
fi

check "no temporary files left in the work folder" "" "$(leftovers "$work")"
check "no temporary files left in TMPDIR" "" "$(ls -A "$TMPDIR" | xargs)"
[ "$failures" -eq 0 ] && echo "all file safety checks passed"
exit $((failures > 0))
