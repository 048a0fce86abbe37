#!/usr/bin/env bash
# Builds the invite for web browsers: the same code compiled to WebAssembly
# with Debian's emscripten, against SDL2 built for WebAssembly from Debian's
# own SDL2 source package. Writes dist/web/ (index.html, the .js and the
# .wasm); scripts/serve-web.sh serves it.
#
# Installs what is missing with apt-get (as root or through sudo). SDL2 for
# WebAssembly is built once per machine and kept outside the clone, keyed by
# the SDL2 source version and emscripten's version:
#   ${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}/web-sdl2-<key>
# Knobs: INVITE_WEB_BUILD_DIR (default build-web), INVITE_JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${INVITE_WEB_BUILD_DIR:-build-web}
jobs=${INVITE_JOBS:-2}
cache=${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}

# Pitfall of a node that is not Debian's: emscripten's JS optimiser needs
# acorn from Debian's node modules folder.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

scripts/install-deps.sh web
scripts/install-deps.sh sources

# One clear message naming a missing tool, then stop.
for tool in emcc em++ emcmake emar cmake node python3 gzip apt-get dpkg-source; do
  command -v "$tool" >/dev/null || { echo "build-web: missing tool: $tool" >&2; exit 1; }
done

sdl_version=$(apt-cache showsrc libsdl2 2>/dev/null | awk '/^Version:/ { print $2; exit }')
[ -n "$sdl_version" ] || { echo "build-web: missing source package: libsdl2 (apt-get source libsdl2 finds nothing)" >&2; exit 1; }
# (Named with its architecture, like every version lookup: with multiarch a
# bare name may match one package of several architectures.)
emcc_version=$(dpkg-query -W -f='${Version}' emscripten:all 2>/dev/null || emcc -dumpversion)
# Raise when the way SDL2 is built changes. 2: its objects carry no build
# path (its GLES2 renderer names its source file in error texts, and the
# folder it was built in would otherwise end up in the .wasm).
recipe=2
key="r${recipe}_sdl2-${sdl_version}_emscripten-${emcc_version}"
sdl_prefix=$cache/web-sdl2-${key//[^A-Za-z0-9._-]/_}

# --- SDL2 for WebAssembly (once per machine) ---------------------------------
if [ ! -f "$sdl_prefix/lib/libSDL2.a" ]; then
  echo "build-web: building SDL2 $sdl_version for WebAssembly into $sdl_prefix (once per machine; 4 to 6 minutes on 2 cores)"
  started=$SECONDS
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/web-sdl2-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source -qq "libsdl2=$sdl_version" >"$work/source.log" 2>&1) ||
    { tail -5 "$work/source.log" >&2; echo "build-web: apt-get source libsdl2=$sdl_version failed" >&2; exit 1; }
  src=$(find "$work" -maxdepth 1 -type d -name 'libsdl2-*' | head -1)
  # Threads are off in emscripten's default build (no SharedArrayBuffer
  # needed), so the demo's loop runs from the browser's animation frames.
  emcmake cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DCMAKE_C_FLAGS="-ffile-prefix-map=$work=." \
    -DCMAKE_INSTALL_PREFIX="$work/prefix" >"$work/configure.log" 2>&1 ||
    { tail -20 "$work/configure.log" >&2; echo "build-web: configuring SDL2 failed" >&2; exit 1; }
  cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
    { tail -20 "$work/build.log" >&2; echo "build-web: building SDL2 failed" >&2; exit 1; }
  cmake --install "$work/build" >"$work/install.log" 2>&1
  rm -rf "$sdl_prefix"
  mv "$work/prefix" "$sdl_prefix"
  rm -rf "$work"
  trap - EXIT
  echo "build-web: SDL2 for WebAssembly took $((SECONDS - started)) s"
fi
[ "${INVITE_WEB_SDL_ONLY:-0}" = 1 ] && exit 0

# --- the invite --------------------------------------------------------------
# No build path in what the page loads: the same commit gives the same files
# wherever it is built.
build_path=$(mkdir -p "$build" && cd "$build" && pwd)
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DINVITE_BUILD_TESTS=OFF -DINVITE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=src -ffile-prefix-map=$build_path=build" \
  -DSDL2_DIR="$sdl_prefix/lib/cmake/SDL2" >/dev/null
cmake --build "$build" -j"$jobs" --target tiral25-invite-web

# dist/web is written beside itself and moved in place only when complete.
mkdir -p dist
staging=$(mktemp -d "$root/dist/.web.XXXXXX")
trap 'rm -rf "$staging"' EXIT
cp "$build/app/web/index.html" "$build/app/web/tiral25-invite.js" "$build/app/web/tiral25-invite.wasm" "$staging/"
chmod 755 "$staging"
rm -rf dist/web.old
[ -d dist/web ] && mv dist/web dist/web.old
mv "$staging" dist/web
rm -rf dist/web.old
trap - EXIT
for f in dist/web/*; do
  printf 'build-web: %-28s %8d bytes, %7d gzipped\n' "$f" "$(stat -c%s "$f")" "$(gzip -9c "$f" | wc -c)"
done
