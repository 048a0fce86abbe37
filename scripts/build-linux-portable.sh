#!/usr/bin/env bash
# Builds the portable Linux demo: one x86-64 program that runs on any Linux
# desktop with glibc 2.34 or later, with nothing else installed. SDL2 (built
# from Debian's SDL2 source package, its X11, Wayland, ALSA, PulseAudio and
# PipeWire back ends opened at run time) and libstdc++ are linked in; it needs
# only glibc, libgcc_s.so.1 and the desktop's own X11/Wayland and sound
# libraries. Writes BUILD_DIR/tiral25-invite (stripped) and checks it.
# Usage: scripts/build-linux-portable.sh [BUILD_DIR]   (default build-portable)
#
# Installs what is missing (scripts/install-deps.sh release). The static SDL2
# is built once per machine and kept, keyed by its inputs' versions, in
#   ${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}/linux-sdl2-<key>
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${1:-build-portable}")
jobs=${INVITE_JOBS:-2}
cache=${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}
# The newest glibc symbol version the program may need.
glibc_limit=2.34

die() { echo "build-linux-portable: $*" >&2; exit 1; }

scripts/install-deps.sh release >/dev/null
scripts/install-deps.sh sources >/dev/null
for tool in cmake make gcc g++ strip objdump readelf apt-get dpkg-source; do
  command -v "$tool" >/dev/null || die "missing tool: $tool"
done

sdl_version=$(apt-cache showsrc libsdl2 2>/dev/null | awk '/^Version:/ { print $2; exit }')
[ -n "$sdl_version" ] || die "missing source package: libsdl2 (apt-get source libsdl2 finds nothing)"
# The machine's own packages, named with its architecture: with another
# architecture's libpipewire-0.3-dev installed beside it (multiarch), the bare
# name prints both versions run together.
version_of() { dpkg-query -W -f='${Version}' "$1:$(dpkg --print-architecture)" 2>/dev/null || echo none; }
# Raise when the way SDL2 is built here changes.
recipe=1
key="r${recipe}_sdl2-${sdl_version}_gcc-$(version_of gcc-12)_pipewire-$(version_of libpipewire-0.3-dev)"
sdl_prefix=$cache/linux-sdl2-${key//[^A-Za-z0-9._-]/_}

# --- SDL2 as a static library (once per machine) ----------------------------
if [ ! -f "$sdl_prefix/lib/libSDL2.a" ]; then
  echo "build-linux-portable: building a static SDL2 $sdl_version into $sdl_prefix (once per machine; about a minute on 2 cores)"
  started=$SECONDS
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/.linux-sdl2-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source -qq "libsdl2=$sdl_version" >"$work/source.log" 2>&1) ||
    { tail -5 "$work/source.log" >&2; die "missing source package: libsdl2=$sdl_version (apt-get source failed)"; }
  src=$(find "$work" -maxdepth 1 -type d -name 'libsdl2-*' | head -1)
  [ -n "$src" ] || die "the libsdl2 source package did not unpack"
  # The work folder's random name must not end up in the library (SDL's
  # assertions quote their source file).
  cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$work/=" \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_STATIC_PIC=ON -DSDL_TEST=OFF \
    -DSDL_X11=ON -DSDL_X11_SHARED=ON -DSDL_WAYLAND=ON -DSDL_WAYLAND_SHARED=ON \
    -DSDL_ALSA=ON -DSDL_ALSA_SHARED=ON -DSDL_PULSEAUDIO=ON -DSDL_PULSEAUDIO_SHARED=ON \
    -DSDL_PIPEWIRE=ON -DSDL_PIPEWIRE_SHARED=ON \
    -DCMAKE_INSTALL_PREFIX="$work/prefix" >"$work/configure.log" 2>&1 ||
    { tail -20 "$work/configure.log" >&2; die "configuring SDL2 failed"; }
  for backend in X11 WAYLAND ALSA PULSEAUDIO PIPEWIRE; do
    grep -q "SDL_${backend}_SHARED *(Wanted: ON): ON" "$work/configure.log" ||
      die "SDL2's $backend back end is not loaded at run time (see $work/configure.log)"
  done
  cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
    { tail -20 "$work/build.log" >&2; die "building SDL2 failed"; }
  cmake --install "$work/build" >"$work/install.log" 2>&1 || die "installing SDL2 failed"
  mv -T "$work/prefix" "$sdl_prefix" 2>/dev/null || [ -f "$sdl_prefix/lib/libSDL2.a" ] ||
    die "cannot move SDL2 to $sdl_prefix"
  rm -rf "$work"
  trap - EXIT
  echo "build-linux-portable: the static SDL2 took $((SECONDS - started)) s"
fi

# --- the demo ----------------------------------------------------------------
mkdir -p "$build"
# No path of this checkout or of the build tree goes into the program.
flags="-ffile-prefix-map=$root/= -ffile-prefix-map=$build/="
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DINVITE_PORTABLE_LINUX=ON \
  -DINVITE_BUILD_TOOLS=OFF -DINVITE_BUILD_TESTS=OFF -DINVITE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DSDL2_DIR="$sdl_prefix/lib/cmake/SDL2" >"$build/configure.log" 2>&1 ||
  { tail -20 "$build/configure.log" >&2; die "configuring the demo failed (see $build/configure.log)"; }
cmake --build "$build" -j"$jobs" --target tiral25-invite >"$build/build.log" 2>&1 ||
  { tail -20 "$build/build.log" >&2; die "building the demo failed (see $build/build.log)"; }
strip -o "$build/tiral25-invite.tmp" "$build/app/tiral25-invite"

# What the program asks of the system it runs on.
needed=$(readelf -d "$build/tiral25-invite.tmp" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | paste -sd' ' -)
newest=$(objdump -T "$build/tiral25-invite.tmp" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n 1)
allowed='^(libc\.so\.6|libm\.so\.6|libgcc_s\.so\.1|ld-linux-x86-64\.so\.2)$'
foreign=$(tr ' ' '\n' <<<"$needed" | grep -vE "$allowed" || true)
[ -z "$foreign" ] || die "the program needs libraries it should not: $(paste -sd' ' - <<<"$foreign")"
[ "$(printf '%s\n' "GLIBC_$glibc_limit" "$newest" | sort -V | tail -n 1)" = "GLIBC_$glibc_limit" ] ||
  die "the program needs $newest, newer than GLIBC_$glibc_limit"
mv -f "$build/tiral25-invite.tmp" "$build/tiral25-invite"
echo "build-linux-portable: $build/tiral25-invite: $(stat -c %s "$build/tiral25-invite") bytes; needs $needed; newest symbol version $newest"
