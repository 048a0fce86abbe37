#!/usr/bin/env bash
# Builds the 64-bit ARM Linux port and runs its tests under qemu's user-mode
# emulator, headless:
#  - the unit tests, cross-compiled, through ctest (qemu-aarch64 as the
#    emulator);
#  - end to end, the demo (SDL's offscreen video and disk audio drivers) and
#    invite-tool, held to the native build: the same song bit for bit, the
#    same stills within 2 per colour channel (tests/cross).
# Installs what is missing (apt-get, as root or through sudo). ctest's log,
# with its closing "... N tests failed out of M", is build-arm64/ctest.log.
# The native build tree (build/, for invite-tool) is made if it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${INVITE_ARM64_BUILD_DIR:-$root/build-arm64}
native_build=${INVITE_LINUX_BUILD_DIR:-$root/build}
# No summary of an earlier run may be taken for this one's.
mkdir -p "$build"
: >"$build/ctest.log"

start=$SECONDS
# A build that fails counts as one failed test in the summary.
if ! scripts/build-linux-arm64.sh --tests; then
  printf 'arm64.build ... Failed\n0%% tests passed, 1 tests failed out of 1\n' | tee "$build/ctest.log"
  exit 1
fi
echo "arm64 build and package: $((SECONDS - start)) s"

# The native invite-tool, the reference for the song and the stills.
tool=$native_build/tools/invite-tool/invite-tool
if [ ! -x "$tool" ]; then
  scripts/install-deps.sh test
  [ -f "$native_build/CMakeCache.txt" ] || cmake -S . -B "$native_build" >/dev/null
  cmake --build "$native_build" -j2 --target invite-tool
fi
cmake -S . -B "$build" -DINVITE_NATIVE_TOOL="$(realpath "$tool")" >/dev/null

tests_start=$SECONDS
status=0
ctest --test-dir "$build" --output-on-failure -j2 2>&1 | tee "$build/ctest.log" || status=1
echo "arm64 tests under qemu: $((SECONDS - tests_start)) s; the whole arm64 part: $((SECONDS - start)) s"
exit "$status"
