#!/usr/bin/env bash
# The program as Windows programs ship: its resource section holds the
# icon (the same pictures as assets/icon/tiral25-invite.ico), the version
# information (from VERSION, the group as company) and the manifest
# (Windows 10/11, per-monitor DPI awareness, no elevation), and each parses.
# The PE header carries the commit's time, not the build's.
source "$(dirname "$0")/lib.sh"
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)

python3 "$src/tests/windows/pe_resources.py" "$EXE" "$src/assets/icon/tiral25-invite.ico" "$src/VERSION" ||
    fail "the resources are not as they should be"
stamp=$(TZ=UTC0 x86_64-w64-mingw32-objdump -p "$EXE" | sed -n 's/^Time\/Date[[:space:]]*//p')
commit=$(TZ=UTC0 LC_ALL=C date -d "@${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}" '+%a %b %e %H:%M:%S %Y')
[ "$stamp" = "$commit" ] || fail "the PE header's time is '$stamp', not the commit's '$commit'"
echo "PASS"
