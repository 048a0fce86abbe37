#!/usr/bin/env bash
# Installs the Debian packages this project needs, only those that are missing.
# Usage: scripts/install-deps.sh [run|test]   (default: test, which is a superset of run)
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

case "$profile" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
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
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
