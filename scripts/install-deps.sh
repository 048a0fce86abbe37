#!/usr/bin/env bash
# Installs the Debian packages this project needs, only those that are missing.
# Usage: scripts/install-deps.sh [run|test|windows|windows-test]
#   (default: test, which is a superset of run; windows: the cross-build for
#   Windows, windows-test: that and wine to test it)
# Runs apt-get as root, or through sudo. Safe to run again and again.
set -euo pipefail

profile=${1:-test}

run_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libgl1-mesa-dri libegl-mesa0
  ffmpeg libpng-dev
)
test_packages=(
  "${run_packages[@]}"
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils openbox wmctrl imagemagick
  clang libclang-rt-14-dev
  libfreetype-dev fonts-dejavu-core
  sox libopenmpt-dev libxmp-dev
  time
  python3
)

windows_packages=(
  g++-mingw-w64-x86-64-posix cmake make dpkg-dev googletest zip
)
windows_test_packages=(
  "${windows_packages[@]}"
  wine wine64 xvfb xauth xdotool x11-utils unzip python3
)

case "$profile" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  windows-test) wanted=("${windows_test_packages[@]}") ;;
  *) echo "usage: $0 [run|test|windows|windows-test]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Another apt (an unattended upgrade, a second build) may hold the lock: wait for it.
"${sudo[@]}" apt-get update -qq -o DPkg::Lock::Timeout=600
"${sudo[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
