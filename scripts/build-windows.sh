#!/usr/bin/env bash
# Builds tiral25-invite for 64-bit Windows on Debian 12 and packs it:
#   dist/tiral25-invite-win64.zip   tiral25-invite.exe (one static file) + README.txt
# Usage: scripts/build-windows.sh [--tests]   (--tests: the unit tests as well)
#
# Installs what is missing with apt-get (as root or through sudo). SDL2 and
# GoogleTest for Windows are cross-built once from Debian's own sources into
#   ${INVITE_CACHE_DIR:-~/.cache/tiral25-invite}/mingw-deps-<versions>
# and reused by every later build; the key holds every input's version, so
# an update of any of them makes a new prefix. The build tree is
# ${INVITE_WINDOWS_BUILD_DIR:-build-windows}.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

with_tests=OFF
case "${1:-}" in
  "") ;;
  --tests) with_tests=ON ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

build=${INVITE_WINDOWS_BUILD_DIR:-$root/build-windows}
cache=${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}
jobs=$(nproc); [ "$jobs" -le 2 ] || jobs=2
toolchain=$root/cmake/mingw-w64-x86_64.cmake
mkdir -p "$build" "$cache"

# One line for everything that stops the build, then exit 1.
die() { echo "tiral25-invite: cannot build for Windows: $*" >&2; exit 1; }

# ---- what the build needs -------------------------------------------------
# command, or a file, and the Debian package that brings it
needed=(
  "x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix"
  "x86_64-w64-mingw32-gcc-posix gcc-mingw-w64-x86-64-posix"
  "x86_64-w64-mingw32-objdump binutils-mingw-w64-x86-64"
  "x86_64-w64-mingw32-strip binutils-mingw-w64-x86-64"
  "cmake cmake"
  "make make"
  "dpkg-source dpkg-dev"
  "zip zip"
  "/usr/src/googletest/CMakeLists.txt googletest"
)
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
if [ -n "$(missing_things)" ]; then
  scripts/install-deps.sh windows >"$build/install.log" 2>&1 || true
  gone=$(missing_things | paste -sd, - | sed 's/,/, /g')
  [ -z "$gone" ] || die "missing $gone (scripts/install-deps.sh windows did not make them available; see $build/install.log)"
fi

apt_opts=(-qq -o DPkg::Lock::Timeout=600)

# ---- SDL2 and GoogleTest for Windows, cached ------------------------------
version_of() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo none; }
# The SDL2 of the Linux build if it is installed, else the one apt would install.
# The package is named with the machine's own architecture: with another
# architecture's libsdl2-dev installed beside it (multiarch), the bare name
# prints both versions run together.
native_sdl=libsdl2-dev:$(dpkg --print-architecture)
sdl_version=$(dpkg-query -W -f='${source:Version}' "$native_sdl" 2>/dev/null ||
  apt-cache policy "$native_sdl" 2>/dev/null | awk '/Candidate:/ { sub(/\+b[0-9]+$/, "", $2); print $2 }')
[ -n "$sdl_version" ] && [ "$sdl_version" != "(none)" ] ||
  die "apt knows no libsdl2-dev, so the SDL2 source version is unknown (run apt-get update)"
# Raise when the way the dependencies are built changes. 2: SDL's objects
# carry no build path (its GL renderers name their source file in error
# texts), so the exe does not depend on where the prefix was built.
recipe=2
key="r${recipe}_sdl2-${sdl_version}_gtest-$(version_of googletest:all)_gcc-$(version_of "g++-mingw-w64-x86-64-posix:${native_sdl#*:}")_crt-$(version_of mingw-w64-x86-64-dev:all)"
deps=$cache/mingw-deps-${key//[^A-Za-z0-9._-]/_}

build_deps() {
  local work log src start=$SECONDS
  work=$(mktemp -d "$cache/.mingw-deps-build.XXXXXX")
  log=$build/deps.log
  : >"$log"
  echo "Building SDL2 $sdl_version and GoogleTest for Windows once (a few minutes; log: $log)"
  scripts/install-deps.sh sources >>"$log" 2>&1 || { rm -rf "$work"; die "cannot enable deb-src entries for apt (see $log)"; }
  (cd "$work" && apt-get source "${apt_opts[@]}" "libsdl2=$sdl_version") >>"$log" 2>&1 ||
    { rm -rf "$work"; die "the Debian source package libsdl2=$sdl_version cannot be fetched (see $log)"; }
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libsdl2-*' | head -n 1)
  [ -n "$src" ] || { rm -rf "$work"; die "the libsdl2 source package did not unpack (see $log)"; }
  {
    cmake -S "$src" -B "$work/sdl2" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=." \
      -DCMAKE_INSTALL_PREFIX="$work/prefix" -DSDL_STATIC=ON -DSDL_SHARED=OFF -DSDL_TEST=OFF &&
    cmake --build "$work/sdl2" -j"$jobs" && cmake --install "$work/sdl2" &&
    cmake -S /usr/src/googletest -B "$work/gtest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$work/prefix" &&
    cmake --build "$work/gtest" -j"$jobs" && cmake --install "$work/gtest"
  } >>"$log" 2>&1 || { rm -rf "$work"; die "building SDL2 or GoogleTest for Windows failed (see $log)"; }
  # Only a complete prefix gets the final name.
  mv -T "$work/prefix" "$deps" 2>/dev/null || [ -d "$deps" ] ||
    { rm -rf "$work"; die "cannot move the dependencies to $deps"; }
  rm -rf "$work"
  echo "SDL2 and GoogleTest for Windows built in $((SECONDS - start)) s: $deps"
}
[ -d "$deps" ] || build_deps

# ---- the demo --------------------------------------------------------------
# A tree configured against another dependency prefix starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "MINGW_DEPS_PREFIX:UNINITIALIZED=$deps" "$build/CMakeCache.txt" &&
   ! grep -qxF "MINGW_DEPS_PREFIX:PATH=$deps" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
# The same commit gives the same exe wherever and whenever it is built: no
# build path in the objects (source and build tree mapped to fixed names)
# and no link time in the PE header.
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DMINGW_DEPS_PREFIX:PATH="$deps" \
  -DCMAKE_BUILD_TYPE=Release -DINVITE_BUILD_TOOLS=OFF -DINVITE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=src -ffile-prefix-map=$build=build" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,--no-insert-timestamp" \
  -DINVITE_BUILD_TESTS="$with_tests" >"$build/configure.log" 2>&1 ||
  { tail -n 30 "$build/configure.log" >&2; die "configuring failed (see $build/configure.log)"; }
if [ "$with_tests" = ON ]; then
  cmake --build "$build" -j"$jobs"
else
  cmake --build "$build" -j"$jobs" --target tiral25-invite
fi
exe=$build/app/tiral25-invite.exe

# One file to hand out: nothing but Windows' own DLLs may be imported.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
foreign=$(grep -viE '^(kernel32|user32|gdi32|winmm|imm32|ole32|oleaut32|version|advapi32|setupapi|shell32|msvcrt|bcrypt|ws2_32|hid|dinput8|dxgi|cfgmgr32|uxtheme)\.dll$' <<<"$imports" || true)
[ -z "$foreign" ] || die "$exe needs DLLs that Windows does not have: $(paste -sd' ' - <<<"$foreign")"

# ---- the zip: complete, or not there at all --------------------------------
mkdir -p dist
stage=$(mktemp -d "$build/.zip.XXXXXX")
trap 'rm -rf "$stage"' EXIT
# The same bytes from the same commit: its time (SOURCE_DATE_EPOCH when
# given) stands for the build time, in the stripped exe's PE header (strip
# stamps that, unlike the linker) and on the zip's members.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
SOURCE_DATE_EPOCH=$epoch x86_64-w64-mingw32-strip -o "$stage/tiral25-invite.exe" "$exe"
sed 's/$/\r/' scripts/windows/README.txt >"$stage/README.txt"  # Windows line ends
# The members in a fixed order, their times as UTC, fixed modes, and no extra
# fields (-X: no owners, no extended times).
chmod 644 "$stage/tiral25-invite.exe" "$stage/README.txt"
touch -d "@$epoch" "$stage/tiral25-invite.exe" "$stage/README.txt"
zip_tmp=dist/.tiral25-invite-win64.zip.tmp
rm -f "$zip_tmp"
(cd "$stage" && TZ=UTC zip -q -X -9 "$root/$zip_tmp" README.txt tiral25-invite.exe)
mv -f "$zip_tmp" dist/tiral25-invite-win64.zip
echo "dist/tiral25-invite-win64.zip: $(stat -c %s dist/tiral25-invite-win64.zip) bytes" \
  "(tiral25-invite.exe $(stat -c %s "$stage/tiral25-invite.exe") bytes; imports $(paste -sd' ' - <<<"$imports"))"
