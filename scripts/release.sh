#!/usr/bin/env bash
# Builds everything a party publishes from the checked-out commit and writes
#   dist/release/tiral25-invite-<version>/
#     tiral25-invite-<version>-windows-x64.zip     the exe, README.txt, the .nfo
#     tiral25-invite-<version>-linux-x86_64.tar.gz the portable Linux program, README, the .nfo
#     tiral25-invite_<version>_amd64.deb           the demo and invite-tool for Debian and Ubuntu
#     tiral25-invite_<version>_arm64.deb           the same for 64-bit ARM (Raspberry Pi 4 and 5)
#     tiral25-invite-<version>-web.zip             the page, for any static web server
#     tiral25-invite-<version>-1080p.mp4           the whole demo at 1920 x 1080, 60 fps
#     contact-sheet.png, tiral25-invite.nfo
#     tiral25-invite-<version>-src.tar.gz          git archive of the commit
#     SHA256SUMS                                   over all of the above
# Usage: scripts/release.sh [--force] [--check]
#   --force replaces a release folder of the same version; --check then
#   builds the commit again in a clone elsewhere and compares every file
#   (scripts/check-reproducible.sh --against; twice the time)
#
# The version is the file VERSION. Installs what is missing (apt-get). Every
# build starts from an empty tree under build-release/ (INVITE_RELEASE_BUILD_DIR);
# the SDL2 builds are cached outside the clone as the port scripts describe.
# The same commit gives the same bytes (scripts/check-reproducible.sh checks
# that): every time stamp is SOURCE_DATE_EPOCH, the commit's time; archives
# list their members sorted, owned by root, with fixed modes; no build path
# goes into a binary. The release folder appears complete or not at all.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
die() { echo "release: $*" >&2; exit 1; }

force=0 check=0
for arg in "$@"; do
  case "$arg" in
    --force) force=1 ;;
    --check) check=1 ;;
    *) echo "usage: $0 [--force] [--check]" >&2; exit 2 ;;
  esac
done

version=$(head -n 1 VERSION)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "VERSION holds no version: '$version'"
name=tiral25-invite-$version
releases=$root/dist/release
final=$releases/$name

# --- what the release is made of ---------------------------------------------
command -v git >/dev/null || die "missing tool: git"
git rev-parse --verify -q HEAD >/dev/null || die "$root is not a git checkout with a commit"
[ -z "$(git status --porcelain --untracked-files=normal)" ] ||
  die "the work tree has changes or untracked files: a release must match its commit (commit or stash them)"
[ ! -e "$final" ] || [ "$force" = 1 ] || die "$final exists already (--force replaces it)"
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022
started=$SECONDS

# --- tools --------------------------------------------------------------------
scripts/install-deps.sh release >/dev/null ||
  die "installing the release's packages failed (scripts/install-deps.sh release)"
for tool in cmake make g++ tar gzip zip unzip sha256sum ffmpeg dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || die "missing tool: $tool"
done

builds=$(realpath -m "${INVITE_RELEASE_BUILD_DIR:-$root/build-release}")
rm -rf "$builds"
mkdir -p "$builds" "$releases"
stage=$(mktemp -d "$releases/.$name.XXXXXX")
trap 'rm -rf "$stage"' EXIT
step() { echo "release: $* ($((SECONDS - started)) s)"; }

# Archive members: sorted, owned by root, fixed modes, the commit's time.
normalise_tree() {
  find "$1" -type d -exec chmod 0755 {} +
  find "$1" -type f ! -perm /111 -exec chmod 0644 {} +
  find "$1" -type f -perm /111 -exec chmod 0755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}
# zip_tree DIR ZIP: DIR's contents (without DIR itself), sorted.
zip_tree() {
  normalise_tree "$1"
  (cd "$1" && find . -mindepth 1 -printf '%P\n' | sort | zip -q -X -9 -D -@ "$2.tmp")
  mv -f "$2.tmp" "$2"
}
# tar_tree PARENT NAME TGZ: PARENT/NAME as NAME/ in a gzipped tar.
tar_tree() {
  normalise_tree "$1/$2"
  tar -C "$1" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" -cf - "$2" | gzip -9n >"$3.tmp"
  mv -f "$3.tmp" "$3"
}

# --- the native build: invite-tool, the .nfo, the Debian package ---------------
step "native build"
native=$builds/native
# No path of this checkout or of the build tree goes into a binary.
prefix_map="-ffile-prefix-map=$root/= -ffile-prefix-map=$native/="
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DINVITE_BUILD_TESTS=OFF -DINVITE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$prefix_map" >"$builds/native-configure.log" 2>&1 ||
  { tail -n 20 "$builds/native-configure.log" >&2; die "configuring the native build failed"; }
cmake --build "$native" -j2 --target tiral25-invite invite-tool nfogen >"$builds/native-build.log" 2>&1 ||
  { tail -n 20 "$builds/native-build.log" >&2; die "the native build failed (see $builds/native-build.log)"; }
tool=$native/tools/invite-tool/invite-tool

nfo=$stage/tiral25-invite.nfo
"$native/tools/nfogen/nfogen" >"$nfo" || die "nfogen failed"
LC_ALL=C grep -n '[^ -~]' "$nfo" && die "the .nfo holds a character that is not printable ASCII"
awk 'length($0) > 80 { print FILENAME ":" NR ": " length($0) " columns"; bad = 1 } END { exit bad }' "$nfo" ||
  die "the .nfo is wider than 80 columns"

step "Debian package"
scripts/build-deb.sh "$native" amd64 "$stage" >"$builds/deb.log" 2>&1 ||
  { cat "$builds/deb.log" >&2; die "building the Debian package failed"; }

step "arm64 Linux build and its Debian package"
INVITE_ARM64_BUILD_DIR=$builds/arm64 INVITE_ARM64_DEB_DIR=$stage scripts/build-linux-arm64.sh \
  >"$builds/arm64.log" 2>&1 ||
  { tail -n 5 "$builds/arm64.log" >&2; die "the arm64 Linux build failed (see $builds/arm64.log)"; }

# --- the portable Linux program -------------------------------------------------
step "portable Linux build"
scripts/build-linux-portable.sh "$builds/portable" >"$builds/portable.log" 2>&1 ||
  { tail -n 5 "$builds/portable.log" >&2; die "the portable Linux build failed (see $builds/portable.log)"; }
linux=$name-linux-x86_64
mkdir -p "$builds/tar/$linux"
cp "$builds/portable/tiral25-invite" "$nfo" "$builds/tar/$linux/"
sed "s/@VERSION@/$version/g" scripts/linux/README >"$builds/tar/$linux/README"
tar_tree "$builds/tar" "$linux" "$stage/$linux.tar.gz"

# --- Windows --------------------------------------------------------------------
step "Windows build"
INVITE_WINDOWS_BUILD_DIR=$builds/windows scripts/build-windows.sh >"$builds/windows.log" 2>&1 ||
  { tail -n 5 "$builds/windows.log" >&2; die "the Windows build failed (see $builds/windows.log)"; }
mkdir -p "$builds/windows-zip"
unzip -q dist/tiral25-invite-win64.zip -d "$builds/windows-zip"
[ -f "$builds/windows-zip/tiral25-invite.exe" ] || die "dist/tiral25-invite-win64.zip holds no tiral25-invite.exe"
sed 's/$/\r/' "$nfo" >"$builds/windows-zip/tiral25-invite.nfo"  # Windows line ends, like README.txt
zip_tree "$builds/windows-zip" "$stage/$name-windows-x64.zip"

# --- the web page ----------------------------------------------------------------
step "web build"
INVITE_WEB_BUILD_DIR=$builds/web scripts/build-web.sh >"$builds/web.log" 2>&1 ||
  { tail -n 5 "$builds/web.log" >&2; die "the web build failed (see $builds/web.log)"; }
mkdir -p "$builds/web-zip/$name-web"
cp -R dist/web/. "$builds/web-zip/$name-web/"
zip_tree "$builds/web-zip" "$stage/$name-web.zip"

# --- pictures and the video ------------------------------------------------------
step "contact sheet and 1080p video"
# A fixed seed: the text jitter is the same in every build of the release.
"$tool" contact-sheet "$stage/contact-sheet.png" --seed 1 >/dev/null || die "the contact sheet failed"
"$tool" capture "$stage/$name-1080p.mp4" --fit 1920x1080 --fps 60 --seed 1 2>"$builds/capture.log" ||
  { tail -n 5 "$builds/capture.log" >&2; die "the 1080p capture failed"; }

# --- the source, the checksums ---------------------------------------------------
git archive --format=tar --prefix="$name/" "$commit" | gzip -9n >"$stage/$name-src.tar.gz"
(cd "$stage" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%P\n' | sort | xargs sha256sum >SHA256SUMS)
normalise_tree "$stage"

# Exactly the artefacts above, nothing else.
expected="$name-1080p.mp4 $name-linux-x86_64.tar.gz $name-src.tar.gz $name-web.zip $name-windows-x64.zip
SHA256SUMS contact-sheet.png tiral25-invite.nfo tiral25-invite_${version}_amd64.deb tiral25-invite_${version}_arm64.deb"
[ "$(ls -A "$stage" | sort | paste -sd' ' -)" = "$(tr '\n' ' ' <<<"$expected" | tr -s ' ' | sed 's/ $//' | tr ' ' '\n' | sort | paste -sd' ' -)" ] ||
  die "the release holds $(ls -A "$stage" | paste -sd' ' -)"
(cd "$stage" && sha256sum --quiet -c SHA256SUMS) || die "SHA256SUMS does not match"

rm -rf "$final"
mv -T "$stage" "$final"
trap - EXIT
step "done: $final"
(cd "$final" && ls -l --time-style=+ | awk 'NR > 1 { printf "  %10d  %s\n", $5, $NF }')
if [ "$check" = 1 ]; then
  scripts/check-reproducible.sh --against "$final" || die "the release is not reproducible (see build/reproducible/)"
fi

