#!/usr/bin/env bash
# Installs the Debian packages the web build needs, only those that are
# missing, and makes Debian's source packages reachable (apt-get source
# libsdl2 needs deb-src entries).
# Usage: scripts/install-web-deps.sh [build|test]   (default build; test adds
# chromium and npm for the browser tests)
# Runs apt-get as root, or through sudo. Safe to run again and again.
set -euo pipefail

profile=${1:-build}
build_packages=(emscripten cmake make dpkg-dev python3 gzip)
test_packages=("${build_packages[@]}" chromium)
# Debian's npm, unless the node at hand brings its own.
command -v npm >/dev/null || test_packages+=(npm)
case "$profile" in
  build) wanted=("${build_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 [build|test]" >&2; exit 2 ;;
esac

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || sudo=(missing-sudo)
  [ "${sudo[0]:-}" = missing-sudo ] || sudo=(sudo)
fi
need_root() {
  if [ "${sudo[0]:-}" = missing-sudo ]; then
    echo "install-web-deps: need root or sudo to $1" >&2
    exit 1
  fi
}
apt=(apt-get -o DPkg::Lock::Timeout=600)
export DEBIAN_FRONTEND=noninteractive
updated=0

# Debian 12 lists its archives in deb822 files: a copy of them with
# "Types: deb-src" adds the source packages.
src_list=/etc/apt/sources.list.d/tiral25-invite-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
   ! grep -qs '^deb-src' /etc/apt/sources.list; then
  need_root "enable Debian's source packages"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo[@]}" tee "$src_list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${sudo[@]}" tee /etc/apt/sources.list.d/tiral25-invite-src.list >/dev/null
  fi
  "${sudo[@]}" "${apt[@]}" update -qq
  updated=1
fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  need_root "install: ${missing[*]}"
  echo "Installing: ${missing[*]}"
  [ "$updated" = 1 ] || "${sudo[@]}" "${apt[@]}" update -qq
  "${sudo[@]}" "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
