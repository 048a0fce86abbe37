#!/usr/bin/env bash
# Installs the Debian packages this project needs, only those that are missing.
# Usage: scripts/install-deps.sh [run|test|windows|windows-test|web|web-test|arm64|release|sources]
#   (default: test, which is a superset of run; windows: the cross-build for
#   Windows, windows-test: that and wine to test it; web: the WebAssembly
#   build, web-test: that and chromium, firefox-esr,
#   WebKitGTK, Xvfb and PulseAudio to test it; arm64: the cross-build for
#   64-bit ARM Linux with Debian's arm64 libraries beside the machine's own
#   (multiarch), and qemu to run it; release: what
#   scripts/release.sh needs on top of the Windows and web builds (the
#   portable Linux build, the Debian package, the archives, and mmdebstrap
#   and Xvfb for its tests); sources: only make Debian's source packages
#   reachable, which `apt-get source libsdl2` needs)
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
  libxfixes3  # the tests read the pointer's cursor image through XFixes
)

web_packages=(
  emscripten cmake make dpkg-dev python3 gzip
)
web_test_packages=(
  "${web_packages[@]}" chromium
  # Firefox and WebKit (MiniBrowser driven by WebKitWebDriver) run headed
  # under Xvfb and play into a PulseAudio daemon's null sink.
  firefox-esr webkit2gtk-driver gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-gl gstreamer1.0-pulseaudio
  pulseaudio xvfb xauth
)
# Libraries named NAME:arm64 install beside the machine's own (multiarch).
arm64_packages=(
  crossbuild-essential-arm64 cmake make dpkg-dev qemu-user
  libsdl2-dev:arm64 libpng-dev:arm64 libgtest-dev:arm64
)
release_packages=(
  "${run_packages[@]}"
  libpipewire-0.3-dev
  dpkg-dev fakeroot lintian zip unzip git xz-utils
  mmdebstrap xvfb xauth xdotool python3
)

# Debian's npm, unless the node at hand brings its own.
command -v npm >/dev/null || web_test_packages+=(npm)

case "$profile" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  windows-test) wanted=("${windows_test_packages[@]}") ;;
  web) wanted=("${web_packages[@]}") ;;
  web-test) wanted=("${web_test_packages[@]}") ;;
  arm64) wanted=("${arm64_packages[@]}") ;;
  release) wanted=("${release_packages[@]}") ;;
  sources) wanted=() ;;
  *) echo "usage: $0 [run|test|windows|windows-test|web|web-test|arm64|release|sources]" >&2; exit 2 ;;
esac

sudo=()
as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to $1" >&2; exit 1; }
    sudo=(sudo)
  fi
}
apt=(apt-get -qq -o DPkg::Lock::Timeout=600)  # another apt may hold the lock: wait for it
export DEBIAN_FRONTEND=noninteractive

# Debian's source packages (for SDL2 built for Windows and for WebAssembly):
# Debian 12 lists its archives in deb822 files, older setups in sources.list;
# a copy of them with deb-src added makes `apt-get source` work.
if [ "$profile" = sources ]; then
  apt-cache showsrc libsdl2 2>/dev/null | grep -q '^Package:' && exit 0
  as_root "enable Debian's source packages"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo[@]}" tee /etc/apt/sources.list.d/tiral25-invite-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${sudo[@]}" tee /etc/apt/sources.list.d/tiral25-invite-src.list >/dev/null
  fi
  "${sudo[@]}" "${apt[@]}" update
  exit 0
fi

# NAME:ARCH is that architecture's package; a bare NAME is the machine's own
# (or an architecture-independent one). With another architecture's library
# installed beside it (multiarch), a bare name alone would find either.
native=$(dpkg --print-architecture)
installed() {
  local name=${1%%:*} arch=${1#*:}
  [ "$arch" != "$1" ] || arch="$native|all"
  dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null |
    grep -qE "^($arch) install ok installed$"
}
missing=()
foreign=()
for p in "${wanted[@]}"; do
  installed "$p" && continue
  missing+=("$p")
  [[ $p != *:* ]] || foreign+=("${p#*:}")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root "install: ${missing[*]}"
for arch in $(printf '%s\n' "${foreign[@]}" | sort -u); do
  dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch"
done
echo "Installing: ${missing[*]}"
"${sudo[@]}" "${apt[@]}" update
# --no-remove: another architecture's libraries must never push out the
# machine's own ones.
"${sudo[@]}" "${apt[@]}" install -y --no-install-recommends --no-remove "${missing[@]}"
