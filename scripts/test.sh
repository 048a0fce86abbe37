#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. the normal build and all its tests (the 114-second run among them);
#  2. a sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) of the
#     unit tests and one short end-to-end run of the demo;
#  3. a short run of the module fuzzer;
#  4. the Windows build, its unit and end-to-end tests under wine
#     (scripts/test-windows.sh).
#  5. the web build in chromium, firefox and WebKit, with and without a sound
#     server, and on emulated phones (scripts/test-web.sh);
#  6. the 64-bit ARM Linux build, its unit and end-to-end tests under qemu
#     (scripts/test-linux-arm64.sh);
#  7. the release, built once and checked as a user gets it: contents and
#     checksums, the Debian package, the portable Linux program in a bare
#     Debian 13 root, the video (scripts/test-release.sh).
# The normal build's tests run while the sanitizer build compiles.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)

# The later steps' packages download and install while the native build
# compiles and tests (on a fresh machine that hides several minutes); the
# Windows step waits for them. (The arm64 libraries stay with their own step:
# they bring a point release of the machine's own libraries with them, which
# should not change under running tests.)
mkdir -p build
(for profile in windows-test web-test sources release; do
   scripts/install-deps.sh "$profile" || echo "test: installing the $profile packages failed" >&2
 done) >build/install-deps.log 2>&1 &
more_deps=$!

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

# Most end-to-end tests wait on clocks and windows, not on the CPU.
ctest --test-dir build --output-on-failure -j$((jobs + 2)) >build/ctest.log 2>&1 &
tests=$!

# -O1 keeps the song's start-up rendering quick under the sanitizers; asserts stay on.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DINVITE_SANITIZE=ON -DINVITE_BUILD_BENCH=OFF >/dev/null
sanitize_build=0
cmake --build build-sanitize -j"$jobs" || sanitize_build=$?

status=0
wait "$tests" || status=$?
cat build/ctest.log
[ "$sanitize_build" -eq 0 ] || { echo "The sanitizer build failed." >&2; exit 1; }

echo "--- sanitizer build: unit tests and one end-to-end run"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -L unit 2>&1 |
  tee build-sanitize/ctest-unit.log || status=1
ctest --test-dir build-sanitize --output-on-failure -R '^e2e_sigterm$' 2>&1 |
  tee build-sanitize/ctest-e2e.log || status=1

scripts/fuzz-music.sh 30 || status=1  # a short clean run of the module fuzzer (ASan + UBSan)

wait "$more_deps" || true
cat build/install-deps.log

echo "--- Windows build: unit and end-to-end tests under wine"
scripts/test-windows.sh || status=1

echo "--- web build: the page in chromium, firefox and WebKit"
scripts/test-web.sh 2>&1 | tee build/test-web.log || status=1

echo "--- arm64 Linux build: unit and end-to-end tests under qemu"
scripts/test-linux-arm64.sh || status=1

echo "--- the release: built once, then checked (writes build/test-release.log)"
scripts/test-release.sh || status=1

# One closing line over every ctest run and the web tests ("... N tests failed out of M").
awk '/tests failed out of/ { failed += $4; total += $NF }
     END { printf "tests: %d passed, %d failed\n", total - failed, failed }' \
  build/ctest.log build-sanitize/ctest-unit.log build-sanitize/ctest-e2e.log build-windows/ctest.log \
  build/test-web.log build-arm64/ctest.log build/test-release.log
exit "$status"
