#!/usr/bin/env bash
# Builds the release once (scripts/release.sh --force) and checks it as a
# user gets it (tests/release/): its contents and checksums, the Debian
# package with lintian and installed on a fresh Debian 12, the portable Linux
# program in a bare Debian 13 root, and the 1080p video.
# Usage: scripts/test-release.sh [RELEASE_DIR]   (a folder given: check it, build nothing)
# The closing "... N tests failed out of M" line is in build/test-release.log,
# which scripts/test.sh sums with the others.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mkdir -p build
log=$root/build/test-release.log
: >"$log"
start=$SECONDS
cases=(contents deb portable_root video)
summary() {
  local total=$1 failed=$2
  printf '%d%% tests passed, %d tests failed out of %d\n' $(((total - failed) * 100 / total)) "$failed" "$total" |
    tee -a "$log"
}
# A release that cannot be built fails every case.
if [ $# -ge 1 ]; then
  release=$(realpath "$1")
elif scripts/release.sh --force; then
  release=$root/dist/release/tiral25-invite-$(head -n 1 VERSION)
  echo "release: $((SECONDS - start)) s"
else
  echo "release.build ... Failed" | tee -a "$log"
  summary $((${#cases[@]} + 1)) $((${#cases[@]} + 1))
  exit 1
fi
scripts/install-deps.sh release >/dev/null
tool=${INVITE_RELEASE_BUILD_DIR:-$root/build-release}/native/tools/invite-tool/invite-tool
[ -x "$tool" ] || { echo "test-release: $tool is missing (scripts/release.sh builds it)" >&2; exit 1; }

failed=0
[ $# -ge 1 ] || echo "release.build ... Passed $((SECONDS - start)) s" | tee -a "$log"
for name in "${cases[@]}"; do
  case_start=$SECONDS
  args=("$release")
  [ "$name" = portable_root ] && args+=("$tool")
  if bash "tests/release/${name}_test.sh" "${args[@]}" >"build/test-release-$name.log" 2>&1; then
    result=Passed
  else
    result=Failed; failed=$((failed + 1))
  fi
  sed 's/^/    /' "build/test-release-$name.log"
  printf 'release.%s ... %s %d s\n' "$name" "$result" "$((SECONDS - case_start))" | tee -a "$log"
done
total=${#cases[@]}
[ $# -ge 1 ] || total=$((total + 1))
summary "$total" "$failed"
echo "release tests: $((SECONDS - start)) s in all"
[ "$failed" -eq 0 ]
