#!/usr/bin/env bash
# Checks that a commit's release is byte for byte reproducible: clones the
# commit twice, at two different paths, and runs scripts/release.sh in one
# and then, minutes later, in the other; every file of the two release
# folders must be identical. Names each file that differs, and with
# diffoscope (Debian's package of that name) writes why into
# build/reproducible/<file>.diffoscope.txt.
# Usage: scripts/check-reproducible.sh [COMMIT]   (default HEAD)
#        scripts/check-reproducible.sh --against RELEASE_DIR
#   (--against: one new clone, compared with a release folder built before,
#   elsewhere; the commit is the one its source tarball names)
# Both builds share the SDL2 builds cached outside the clone
# (${INVITE_CACHE_DIR:-$HOME/.cache/tiral25-invite}); set INVITE_CACHE_DIR
# to an empty folder to rebuild those too.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
against=
if [ "${1:-}" = --against ]; then
  against=$(realpath "${2:?usage: $0 --against RELEASE_DIR}")
  source_tarball=$(find "$against" -maxdepth 1 -name 'tiral25-invite-*-src.tar.gz' | head -n 1)
  [ -n "$source_tarball" ] || { echo "check-reproducible: $against holds no source tarball" >&2; exit 1; }
  set -- "$(gzip -dc "$source_tarball" | git get-tar-commit-id)"
fi
commit=$(git rev-parse --verify "${1:-HEAD}^{commit}") || { echo "check-reproducible: no commit ${1:-HEAD}" >&2; exit 1; }
report=$root/build/reproducible
rm -rf "$report"
mkdir -p "$report"
work=$(mktemp -d /tmp/check-reproducible.XXXXXX)
trap 'rm -rf "$work"' EXIT
start=$SECONDS

# Two paths of different lengths, so that a path left in a file shows.
clones=("$work/a/tiral25-invite" "$work/second-build/somewhere/deeper/invite-clone")
[ -z "$against" ] || clones=("${clones[1]}")
for clone in "${clones[@]}"; do
  mkdir -p "$(dirname "$clone")"
  git clone -q --no-checkout "$root" "$clone"
  git -C "$clone" checkout -q --detach "$commit"
  build_start=$SECONDS
  echo "check-reproducible: building $commit in $clone"
  (cd "$clone" && scripts/release.sh) >"$report/$(basename "$clone").log" 2>&1 ||
    { tail -n 20 "$report/$(basename "$clone").log" >&2; echo "check-reproducible: the release failed in $clone" >&2; exit 1; }
  echo "check-reproducible: built in $((SECONDS - build_start)) s"
done

release_of() { find "$1/dist/release" -mindepth 1 -maxdepth 1 -type d -name 'tiral25-invite-*'; }
if [ -n "$against" ]; then
  first=$against
  second=$(release_of "${clones[0]}")
else
  first=$(release_of "${clones[0]}")
  second=$(release_of "${clones[1]}")
fi
files=$( (cd "$first" && ls -A; cd "$second" && ls -A) | sort -u)
differ=0
for file in $files; do
  if [ ! -f "$first/$file" ] || [ ! -f "$second/$file" ]; then
    echo "DIFFERS: $file (only in one of the two releases)"
    differ=$((differ + 1))
  elif cmp -s "$first/$file" "$second/$file"; then
    echo "same:    $file ($(sha256sum <"$first/$file" | cut -c1-16))"
  else
    echo "DIFFERS: $file"
    differ=$((differ + 1))
    if command -v diffoscope >/dev/null; then
      diffoscope --text "$report/$file.diffoscope.txt" "$first/$file" "$second/$file" >/dev/null 2>&1 || true
      echo "         why: $report/$file.diffoscope.txt"
    else
      echo "         (install diffoscope to see why)"
    fi
  fi
done
echo "check-reproducible: $(wc -w <<<"$files") files, $differ differ; $((SECONDS - start)) s in all"
[ "$differ" -eq 0 ]
