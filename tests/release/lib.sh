# Shared pieces of the release tests: each case checks the folder that
# scripts/release.sh wrote, as a user who downloads it would find it.
# Usage: source lib.sh RELEASE_DIR   (after the end-to-end tests' lib.sh,
# if a case needs that too: then its work folder and clean-up serve both)
set -euo pipefail
RELEASE=$(realpath "${1:?usage: $0 RELEASE_DIR}")
VERSION=$(basename "$RELEASE"); VERSION=${VERSION#tiral25-invite-}
NAME=tiral25-invite-$VERSION
if [ -z "${WORK:-}" ]; then
    WORK=$(mktemp -d)
    trap 'rm -rf "$WORK"' EXIT
    fail() { echo "FAIL: $*" >&2; exit 1; }
fi

# make_root SUITE DIR MMDEBSTRAP_OPTIONS...: a bare Debian root from
# Debian's archive (DIR inside $WORK, so it goes with it).
make_root() {
    local suite=$1 dir=$2
    shift 2
    mmdebstrap --quiet --mode=root "$@" "$suite" "$dir" >"$WORK/mmdebstrap-$suite.log" 2>&1 ||
        { tail -n 20 "$WORK/mmdebstrap-$suite.log" >&2; fail "mmdebstrap $suite failed"; }
}
