#!/usr/bin/env bash
# invite-tool --version prints the version kept in the top-level VERSION file,
# and nothing else.  Usage: tool_version_test.sh INVITE_TOOL VERSION_FILE
set -euo pipefail
tool=${1:?usage: tool_version_test.sh INVITE_TOOL VERSION_FILE}
version=$(head -n 1 "${2:?usage: tool_version_test.sh INVITE_TOOL VERSION_FILE}")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "FAIL: VERSION holds '$version', not N.N.N" >&2; exit 1; }
status=0
out=$("$tool" --version 2>&1) || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: invite-tool --version exited with $status" >&2; exit 1; }
[ "$out" = "invite-tool $version" ] || { echo "FAIL: invite-tool --version printed '$out', expected 'invite-tool $version'" >&2; exit 1; }
# The help names it too.
"$tool" --help | grep -q -- '--version' || { echo "FAIL: --help does not mention --version" >&2; exit 1; }
echo "invite-tool --version: $out"
