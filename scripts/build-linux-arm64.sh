#!/usr/bin/env bash
# Builds tiral25-invite for 64-bit ARM Linux (Raspberry Pi 4 and 5 on
# Raspberry Pi OS or Debian 12, ARM laptops) on a Debian 12 PC and packs it:
#   dist/tiral25-invite_<version>_arm64.deb   the same contents as the amd64 package
# Usage: scripts/build-linux-arm64.sh [--tests]   (--tests: the tests as well)
#
# Debian's cross compilers (crossbuild-essential-arm64) build against
# Debian's own arm64 libraries, installed beside the machine's ones
# (multiarch: libsdl2-dev:arm64, libpng-dev:arm64, libgtest-dev:arm64), with
# the toolchain file cmake/aarch64-linux-gnu.cmake. qemu's user-mode emulator
# (qemu-user) runs the results: a smoke run here, the tests in
# scripts/test-linux-arm64.sh. Installs what is missing with apt-get (as root
# or through sudo). The build tree is ${INVITE_ARM64_BUILD_DIR:-build-arm64};
# the package goes to ${INVITE_ARM64_DEB_DIR:-dist}. No path of the checkout
# or the build tree goes into a binary, so the same commit gives the same
# package anywhere (scripts/release.sh relies on that).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

with_tests=OFF
case "${1:-}" in
  "") ;;
  --tests) with_tests=ON ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

build=$(realpath -m "${INVITE_ARM64_BUILD_DIR:-$root/build-arm64}")
deb_dir=${INVITE_ARM64_DEB_DIR:-$root/dist}
jobs=$(nproc); [ "$jobs" -le 2 ] || jobs=2
toolchain=$root/cmake/aarch64-linux-gnu.cmake
arm64_lib=/usr/lib/aarch64-linux-gnu

# One line for everything that stops the build, then exit 1.
die() { echo "tiral25-invite: cannot build for arm64: $*" >&2; exit 1; }

# ---- what the build needs -------------------------------------------------
# command, or a file, and the Debian package that brings it
needed=(
  "aarch64-linux-gnu-g++ g++-aarch64-linux-gnu"
  "aarch64-linux-gnu-gcc gcc-aarch64-linux-gnu"
  "aarch64-linux-gnu-strip binutils-aarch64-linux-gnu"
  "qemu-aarch64 qemu-user"
  "cmake cmake"
  "make make"
  "dpkg-shlibdeps dpkg-dev"
  "$arm64_lib/cmake/SDL2/sdl2-config.cmake libsdl2-dev:arm64"
  "$arm64_lib/libpng.so libpng-dev:arm64"
)
[ "$with_tests" = OFF ] || needed+=("$arm64_lib/libgtest.a libgtest-dev:arm64")
missing_things() {
  local entry thing
  for entry in "${needed[@]}"; do
    thing=${entry%% *}
    if [[ $thing == /* ]]; then [ -e "$thing" ] && continue
    else command -v "$thing" >/dev/null && continue
    fi
    echo "$thing (package ${entry#* })"
  done
}
mkdir -p "$build"
if [ -n "$(missing_things)" ]; then
  scripts/install-deps.sh arm64 >"$build/install.log" 2>&1 || true
  gone=$(missing_things | paste -sd, - | sed 's/,/, /g')
  [ -z "$gone" ] || die "missing $gone (scripts/install-deps.sh arm64 did not make them available; see $build/install.log)"
fi

# ---- the demo and invite-tool ------------------------------------------------
start=$SECONDS
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root/= -ffile-prefix-map=$build/=" -DINVITE_BUILD_TOOLS=ON -DINVITE_BUILD_BENCH=OFF -DINVITE_BUILD_TESTS="$with_tests" \
  >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log" >&2; die "configuring failed (see $build/configure.log)"; }
if [ "$with_tests" = ON ]; then
  cmake --build "$build" -j"$jobs"
else
  cmake --build "$build" -j"$jobs" --target tiral25-invite invite-tool
fi
echo "arm64 build: $((SECONDS - start)) s"

# The programs are 64-bit ARM ones (ELF machine 183, EM_AARCH64) and start
# under the emulator.
tool=$build/tools/invite-tool/invite-tool
for program in "$build/app/tiral25-invite" "$tool"; do
  [ "$(od -An -tu2 -j18 -N2 "$program" | tr -d ' ')" = 183 ] || die "$program is not a 64-bit ARM program"
done
qemu-aarch64 -L / "$tool" --help >/dev/null 2>"$build/smoke.log" ||
  die "$tool does not start under qemu-aarch64 (see $build/smoke.log)"

# ---- the Debian package -------------------------------------------------------
[ -x scripts/build-deb.sh ] || die "scripts/build-deb.sh is missing"
scripts/build-deb.sh "$build" arm64 "$deb_dir"
