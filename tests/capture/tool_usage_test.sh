#!/usr/bin/env bash
# invite-tool's command line as a user meets it, on the real binary: every
# mistake is named (the extra or unknown argument, the value and its rule),
# every option takes "--name value" and "--name=value", demo times follow one
# rule everywhere, and output paths follow one set of rules (symbolic links,
# the video's extension, missing parent folders, unwritable folders).
# Usage: tool_usage_test.sh INVITE_TOOL
set -uo pipefail
tool=$(realpath "${1:?usage: tool_usage_test.sh INVITE_TOOL}")
work=$(mktemp -d)
mounted=
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/tmp"
export TMPDIR="$work/tmp"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() {  # check DESCRIPTION EXPECTED ACTUAL
  [ "$2" == "$3" ] || fail "$1: expected '$2', got '$3'"
}
# run ARGS...: runs the tool in $work; sets $status and $first (its first line on standard error).
run() {
  (cd "$work" && "$tool" "$@" >"$work/out" 2>"$work/err")
  status=$?
  first=$(head -n 1 "$work/err")
}

# --- usage errors: exit status 2, the mistake named, then the usage line -------
time_rule="a time from 0 to 114 seconds, such as 45 or 62.25"
while IFS='|' read -r args line; do
  # shellcheck disable=SC2086
  run $args
  check "'$args': exit status" 2 "$status"
  check "'$args': message" "$line" "$first"
  grep -q '^usage: invite-tool ' "$work/err" || fail "'$args': no usage line"
done <<ROWS
frame 45 x.png extra|invite-tool frame: extra argument 'extra'
frame 45 x.png extra more|invite-tool frame: extra arguments 'extra' 'more'
frame 45|invite-tool frame: missing OUT.png
frame|invite-tool frame: missing T and OUT.png
frame -5 x.png|invite-tool frame: T takes $time_rule, not '-5'
frame 200 x.png|invite-tool frame: T takes $time_rule, not '200'
frame 1000000 x.png|invite-tool frame: T takes $time_rule, not '1000000'
frame 1e9 x.png|invite-tool frame: T takes $time_rule, not '1e9'
frame 45s x.png|invite-tool frame: T takes $time_rule, not '45s'
frame 45 x.png --bogus|invite-tool frame: unknown option '--bogus'
frame 45 x.png --seed|invite-tool frame: --seed needs a value
frame 45 x.png --seed=x|invite-tool frame: --seed takes a whole number from 0 up, not 'x'
specimen sp.png --bogus|invite-tool specimen: unknown option '--bogus'
specimen a.png b.png|invite-tool specimen: extra argument 'b.png'
specimen|invite-tool specimen: missing OUT.png
contact-sheet a.png b.png|invite-tool contact-sheet: extra argument 'b.png'
contact-sheet a.png --seed=-1|invite-tool contact-sheet: --seed takes a whole number from 0 up, not '-1'
export-mod a.mod b.mod|invite-tool export-mod: extra argument 'b.mod'
export-mod a.mod --bogus=1|invite-tool export-mod: unknown option '--bogus'
song a.wav b.wav|invite-tool song: extra argument 'b.wav'
song a.wav --rate=100|invite-tool song: --rate takes a whole number of frames per second from 8000 to 384000, not '100'
song a.wav --raw=1|invite-tool song: --raw takes no value
render x.mod|invite-tool render: missing OUT.wav
render|invite-tool render: missing MODFILE and OUT.wav
capture a.mp4 b.mp4|invite-tool capture: extra argument 'b.mp4'
capture|invite-tool capture: missing OUT.mp4 or --frames DIR
capture x.mp4 --frames d|invite-tool capture: extra argument 'x.mp4' (--frames DIR takes the place of OUT.mp4)
capture x.mp4 --force|invite-tool capture: --force goes with --frames DIR
capture --frames=d --force=yes|invite-tool capture: --force takes no value
capture x.mp4 --fps=0|invite-tool capture: --fps takes a whole number from 1 to 240, not '0'
capture x.mp4 --scale 9|invite-tool capture: --scale takes a whole number from 1 to 8, not '9'
capture x.mp4 --until 200|invite-tool capture: --until takes $time_rule, not '200'
capture x.mp4 --until=-1|invite-tool capture: --until takes $time_rule, not '-1'
capture -|invite-tool capture: an MP4 cannot stream to standard output ('-'); name a file such as out.mp4, or use --frames DIR
capture --frames -|invite-tool capture: --frames takes a folder, not '-' (standard output)
capture x.avi|invite-tool capture: the capture is an MP4 video: name it OUT.mp4, not 'x.avi'
capture x|invite-tool capture: the capture is an MP4 video: name it OUT.mp4, not 'x'
ROWS
check "nothing written by the refused commands" "tmp" "$(ls -A "$work" | grep -v -e '^out$' -e '^err$' | xargs)"

# --- the same rules accept: "--name=value" everywhere, one time rule ---------
while IFS='|' read -r args made; do
  # shellcheck disable=SC2086
  run $args
  check "'$args': exit status" 0 "$status"
  [ -s "$work/$made" ] || fail "'$args': no $made"
  rm -rf "${work:?}/$made"
done <<ROWS
frame 45 a.png --seed=7|a.png
frame 1e1 a.png --seed 7|a.png
frame 114 a.png|a.png
frame 0 a.png|a.png
contact-sheet a.png --seed=2|a.png
song a.wav --rate=8000 --raw|a.wav
capture --frames=f --until=0.5 --fps=2 --seed=3 --scale=1|f/frame-00001.png
capture A.MP4 --until=0 --fps=1|A.MP4
ROWS
# The same time and seed by either spelling: the same picture.
run frame 45 a.png --seed 7
run frame 4.5e1 b.png --seed=7
check "'frame 45 --seed 7' and 'frame 4.5e1 --seed=7'" same "$(cmp -s "$work/a.png" "$work/b.png" && echo same || echo different)"

# --- output paths ------------------------------------------------------------
# A symbolic link to a missing file is followed, as a live one is: the file
# it names is made and the link stays.
ln -s made.png "$work/dangling.png"
run frame 45 dangling.png
check "dangling link: exit status" 0 "$status"
check "dangling link: still a link to made.png" made.png "$(readlink "$work/dangling.png")"
check "dangling link: the file it names" "PNG" "$(head -c 4 "$work/made.png" 2>/dev/null | tail -c 3)"
ln -s nowhere/x.png "$work/lost.png"
run frame 45 lost.png
check "link into a missing folder: exit status" 1 "$status"
check "link into a missing folder: message" "invite-tool: cannot write 'lost.png': folder 'nowhere/': No such file or directory" "$first"
check "link into a missing folder: the link stays" nowhere/x.png "$(readlink "$work/lost.png")"

# Parent folders are never made: the same rule for a file and for --frames.
while IFS='|' read -r args line; do
  # shellcheck disable=SC2086
  run $args
  check "'$args': exit status" 1 "$status"
  check "'$args': message" "$line" "$first"
  [ -e "$work/nodir" ] && fail "'$args': made nodir"
done <<ROWS
capture nodir/x.mp4 --until 0|invite-tool: cannot write 'nodir/x.mp4': folder 'nodir/': No such file or directory
capture --frames nodir/sub --until 0|invite-tool: cannot write 'nodir/sub': No such file or directory
frame 45 nodir/x.png|invite-tool: cannot write 'nodir/x.png': folder 'nodir/': No such file or directory
song nodir/x.wav|invite-tool: cannot write 'nodir/x.wav': folder 'nodir/': No such file or directory
ROWS

# The summary names the folder once, however it was written.
for given in frames frames/ frames//; do
  run capture --frames "$given" --until 0 --fps 1 --force
  check "capture --frames $given: exit status" 0 "$status"
  grep -q "^invite-tool: wrote frames/ (frame-NNNNN.png and song.wav): 1 frames" "$work/err" ||
    fail "capture --frames $given: summary: $(tail -n 1 "$work/err")"
done

# A folder the tool may not write in: the message names the folder. (As root,
# permissions do not stop us: a read-only tmpfs does.)
mkdir "$work/locked"
if [ "$(id -u)" -eq 0 ]; then
  mount -t tmpfs -o ro,size=1M tmpfs "$work/locked" 2>/dev/null && mounted="$work/locked"
  reason="Read-only file system"
else
  chmod 555 "$work/locked" && mounted=none
  reason="Permission denied"
fi
if [ -n "$mounted" ]; then
  while IFS='|' read -r args line; do
    # shellcheck disable=SC2086
    run $args
    check "'$args': exit status" 1 "$status"
    check "'$args': message" "$line" "$first"
  done <<ROWS
frame 45 locked/x.png|invite-tool: cannot write 'locked/x.png': folder 'locked/': $reason
capture locked/x.mp4 --until 0|invite-tool: cannot write 'locked/x.mp4': folder 'locked/': $reason
capture --frames locked --until 0|invite-tool: cannot write 'locked': $reason
capture --frames locked/sub --until 0|invite-tool: cannot write 'locked/sub': $reason
ROWS
else
  echo "SKIP: unwritable folders (no read-only tmpfs and no permissions to take away)"
fi

check "temporary files left" "" "$(ls -A "$TMPDIR")"
[ "$failures" -eq 0 ] && echo "all command-line checks passed"
exit $((failures > 0))
