#!/usr/bin/env bash
# scripts/build-linux-arm64.sh on a machine that lacks the emulator or the
# cross compiler (here: hidden from PATH, with everything else in place):
# exactly one line on standard error naming the command and its Debian
# package, exit status 1, and nothing built.
# Usage: missing_tool_test.sh SOURCE_DIR
set -euo pipefail
source_dir=${1:?usage: missing_tool_test.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# command hidden, package the line must name
cases=(
    "qemu-aarch64 qemu-user"
    "aarch64-linux-gnu-g++ g++-aarch64-linux-gnu"
)
for entry in "${cases[@]}"; do
    read -r hidden package <<<"$entry"
    bin=$work/bin-$hidden
    mkdir -p "$bin"
    # Every command on PATH but the hidden one.
    IFS=: read -r -a dirs <<<"$PATH"
    for dir in "${dirs[@]}"; do
        for program in "$dir"/*; do
            name=${program##*/}
            [ "$name" = "$hidden" ] || [ -e "$bin/$name" ] || [ ! -x "$program" ] || ln -s "$program" "$bin/$name"
        done
    done
    status=0
    PATH=$bin INVITE_ARM64_BUILD_DIR=$work/build-$hidden \
        "$source_dir/scripts/build-linux-arm64.sh" >"$work/stdout" 2>"$work/stderr" || status=$?
    lines=$(wc -l <"$work/stderr")
    [ "$status" -eq 1 ] || fail "without $hidden: exit status $status"
    [ "$lines" -eq 1 ] || fail "without $hidden: $lines lines on standard error: $(cat "$work/stderr")"
    grep -qF "$hidden (package $package)" "$work/stderr" ||
        fail "without $hidden: the line does not name it and $package: $(cat "$work/stderr")"
    [ ! -e "$work/build-$hidden/CMakeCache.txt" ] || fail "without $hidden: a build was configured"
    echo "without $hidden: $(cat "$work/stderr")"
done

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
