#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
# INVITE_BUILD_DIR (for tests) reuses a build tree that is already configured.
build=${INVITE_BUILD_DIR:-build-run}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DINVITE_BUILD_TESTS=OFF -DINVITE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target tiral25-invite
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No display: capture the demo to a video instead. INVITE_CAPTURE_OUT picks
  # the file; INVITE_CAPTURE_UNTIL (for tests) stops the capture early.
  out=${INVITE_CAPTURE_OUT:-$PWD/tiral25-invite.mp4}
  echo "tiral25-invite: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); capturing the demo to $out instead." >&2
  cmake --build "$build" -j"$(nproc)" --target invite-tool
  exec "$build"/tools/invite-tool/invite-tool capture "$out" ${INVITE_CAPTURE_UNTIL:+--until "$INVITE_CAPTURE_UNTIL"}
fi
exec "$build"/app/tiral25-invite
