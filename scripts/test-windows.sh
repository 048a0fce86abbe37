#!/usr/bin/env bash
# Builds the Windows port and runs its tests under wine, headless:
#  - the unit tests, cross-compiled, through ctest (wine as the emulator);
#  - end to end, the real tiral25-invite.exe from dist/tiral25-invite-win64.zip
#    on a private Xvfb display, its audio compared with the Linux build's song.
# Installs what is missing (apt-get, as root or through sudo). ctest's log,
# with its closing "... N tests failed out of M", is build-windows/ctest.log.
# The Linux build tree (build/, for invite-tool) is made if it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${INVITE_WINDOWS_BUILD_DIR:-$root/build-windows}
linux_build=${INVITE_LINUX_BUILD_DIR:-$root/build}
# No summary of an earlier run may be taken for this one's.
mkdir -p "$build"
: >"$build/ctest.log"
scripts/install-deps.sh windows-test

start=$SECONDS
scripts/build-windows.sh --tests
echo "Windows build: $((SECONDS - start)) s"

# The song as the Linux build renders it: the Windows build must agree.
tool=$linux_build/tools/invite-tool/invite-tool
if [ ! -x "$tool" ]; then
  scripts/install-deps.sh test
  [ -f "$linux_build/CMakeCache.txt" ] || cmake -S . -B "$linux_build" >/dev/null
  cmake --build "$linux_build" -j2 --target invite-tool
fi
"$tool" song "$build/song-linux.raw" --raw

source tests/windows/wine_session.sh "$build/wine"
trap wine_session_end EXIT
session_start=$SECONDS
wine_session_start
echo "wine session: $((SECONDS - session_start)) s"

tests_start=$SECONDS
status=0
ctest --test-dir "$build" --output-on-failure -j2 2>&1 | tee "$build/ctest.log" || status=1
echo "Windows tests: $((SECONDS - tests_start)) s; the whole Windows part: $((SECONDS - start)) s"
exit "$status"
