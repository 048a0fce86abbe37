#!/usr/bin/env bash
# Makes the Debian package of the demo and invite-tool from a build tree:
#   scripts/build-deb.sh BUILD_DIR ARCH OUT_DIR
# BUILD_DIR is a configured and built tree of this project (native tools on,
# e.g. CMAKE_BUILD_TYPE=Release); ARCH is Debian's name of its architecture
# (amd64, arm64, ...); OUT_DIR gets tiral25-invite_<version>_<ARCH>.deb.
# The package is what `cmake --install` puts under /usr (binaries stripped,
# manual pages compressed, a changelog added); its dependencies are computed
# from the binaries by dpkg-shlibdeps. For a cross build the target's
# libraries come from multiarch packages (libsdl2-dev:ARCH ...), or from the
# folders named in INVITE_DEB_LIBDIRS (colon-separated, e.g. a sysroot's).
# Reproducible: every time and date is SOURCE_DATE_EPOCH (default: the time
# of the source's last commit), files belong to root, modes are fixed.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR ARCH OUT_DIR" >&2; exit 2; }
build=$(realpath "$1")
arch=$2
out=$(realpath -m "$3")
here=$(cd "$(dirname "$0")/.." && pwd)
die() { echo "build-deb: $*" >&2; exit 1; }

for tool in cmake dpkg-deb dpkg-shlibdeps gzip md5sum; do
  command -v "$tool" >/dev/null || die "missing tool: $tool (package dpkg-dev or cmake)"
done
[ -f "$build/CMakeCache.txt" ] || die "$build is not a configured build tree"
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || die "$build has no project version"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null) ||
    die "SOURCE_DATE_EPOCH is not set and $source_dir is not a git checkout"
fi
export SOURCE_DATE_EPOCH

package=tiral25-invite
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
umask 022

DESTDIR=$root cmake --install "$build" --prefix /usr --strip >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; die "cmake --install failed"; }
[ -x "$root/usr/bin/tiral25-invite" ] && [ -x "$root/usr/bin/invite-tool" ] ||
  die "$build installs no tiral25-invite and invite-tool (is INVITE_BUILD_TOOLS on?)"

# Debian's conventions: compressed manual pages, and the changelog of a
# native package (its version has no Debian revision).
find "$root/usr/share/man" -type f -exec gzip -9n {} +
doc=$root/usr/share/doc/$package
cat >"$work/changelog" <<CHANGES
$package ($version) unstable; urgency=medium

  * Release $version of the invitation to the demo party Tiral 2025.

 -- Mox-Space <mox-space@tiral2025.de>  $(date -u -R -d "@$SOURCE_DATE_EPOCH")
CHANGES
gzip -9n <"$work/changelog" >"$doc/changelog.gz"

# Dependencies from the binaries. dpkg-shlibdeps reads debian/control from
# the folder it runs in: a minimal one names the package.
mkdir -p "$work/src/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: any\n' "$package" "$package" >"$work/src/debian/control"
libdirs=()
IFS=: read -r -a extra <<<"${INVITE_DEB_LIBDIRS:-}"
for dir in "${extra[@]}"; do [ -n "$dir" ] && libdirs+=("-l$dir"); done
depends=$(cd "$work/src" && DEB_HOST_ARCH=$arch dpkg-shlibdeps -O "${libdirs[@]}" \
  "$root/usr/bin/tiral25-invite" "$root/usr/bin/invite-tool" 2>"$work/shlibdeps.log" |
  sed -n 's/^shlibs:Depends=//p') || true
[ -n "$depends" ] || { cat "$work/shlibdeps.log" >&2; die "dpkg-shlibdeps found no dependencies for $arch"; }

# Fixed modes and times for everything in the package.
find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/"*
installed_size=$(find "$root" -type f -printf '%s\n' | awk '{ kb += int(($1 + 1023) / 1024) } END { print kb }')

mkdir -p "$root/DEBIAN"
(cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$root/DEBIAN/md5sums"
cat >"$root/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: $arch
Maintainer: Mox-Space <mox-space@tiral2025.de>
Installed-Size: $installed_size
Depends: $depends
Recommends: ffmpeg
Section: misc
Priority: optional
Homepage: https://www.tiral2025.de/
Description: audiovisual invitation to the demo party Tiral 2025
 A self-contained demo by Mox-Space: one 640 x 400 window, a four-channel
 tracker song rendered at start-up by its own integer replayer, and text
 scenes on a 114-second timeline that invite to Tiral 2025.
 .
 invite-tool draws the demo offscreen: stills, contact sheets, and video
 captures through ffmpeg; it also plays module files through the demo's
 replayer.
CONTROL
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$out"
deb=${package}_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$out/.$deb.tmp" >/dev/null
mv -f "$out/.$deb.tmp" "$out/$deb"
echo "build-deb: $out/$deb: $(stat -c %s "$out/$deb") bytes; Depends: $depends"
