#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DINVITE_BUILD_TESTS=OFF -DINVITE_BUILD_BENCH=OFF >/dev/null
cmake --build build-run -j"$(nproc)" --target tiral25-invite
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "tiral25-invite: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  exit 1
fi
exec build-run/app/tiral25-invite
