#!/usr/bin/env bash
# The cross-built invite-tool under its emulator against the native one: the
# song's samples are the same bytes, and stills at several times and seeds
# agree within 2 in every colour channel (SDL's blenders round differently
# on other processors; the geometry and the jitter are the same). The
# comparison itself must catch a glyph one pixel off and the jitter of
# another seed.
# Usage: tool_test.sh INVITE_TOOL   (environment: INVITE_EMULATOR, INVITE_NATIVE_TOOL)
set -euo pipefail
tool=${1:?usage: tool_test.sh INVITE_TOOL}
read -r -a emulator <<<"${INVITE_EMULATOR:?INVITE_EMULATOR names the emulator of the cross build}"
native=${INVITE_NATIVE_TOOL:?INVITE_NATIVE_TOOL names the invite-tool of the native build}
[ -x "$native" ] || { echo "FAIL: $native is missing (the native build's invite-tool)" >&2; exit 1; }
compare=$(dirname "$0")/compare_pictures.py
tolerance=2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=offscreen

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# --- the song, byte for byte ------------------------------------------------
"$native" song "$work/native.raw" --raw
"${emulator[@]}" "$tool" song "$work/cross.raw" --raw || fail "song --raw under the emulator"
if cmp "$work/native.raw" "$work/cross.raw"; then
    echo "song --raw: $(stat -c %s "$work/cross.raw") bytes, the same as the native build's"
else
    fail "song --raw differs from the native build's"
fi

# --- stills: time seed, one per part of the timeline ---------------------
cases=(
    "0.3 1"     # the resting signature
    "7.5 2"     # the bouncing signature
    "15 3"      # the wave backdrop over it
    "24 4"      # the slogan scroller
    "31 5"      # the invitation's typewriter title
    "45 7"      # the invitation lines, shaking
    "62.5 11"   # the closing remark in place of the title
    "70 13"     # the greetings' header and handle rows
    "88 1234"   # the notes
)
for entry in "${cases[@]}"; do
    read -r t seed <<<"$entry"
    name=$t-$seed
    "$native" frame "$t" "$work/native-$name.png" --seed "$seed"
    if ! "${emulator[@]}" "$tool" frame "$t" "$work/cross-$name.png" --seed "$seed"; then
        fail "frame $t --seed $seed under the emulator"
        continue
    fi
    result=$(python3 "$compare" "$tolerance" "$work/native-$name.png" "$work/cross-$name.png") ||
        { fail "frame $t --seed $seed: $result"; continue; }
    echo "frame $t --seed $seed: $result"
done

# --- the comparison catches what it is there for ---------------------------
# A glyph one pixel to the right.
if result=$(python3 "$compare" "$tolerance" "$work/native-45-7.png" "$work/cross-45-7.png" --displace); then
    fail "a glyph moved by one pixel passes the comparison ($result)"
else
    echo "a glyph moved by one pixel: $result"
fi
# Jitter from another stream: the same still with the next seed.
"$native" frame 45 "$work/native-45-8.png" --seed 8
if result=$(python3 "$compare" "$tolerance" "$work/native-45-8.png" "$work/cross-45-7.png"); then
    fail "other jitter passes the comparison ($result)"
else
    echo "jitter of another seed: $result"
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
