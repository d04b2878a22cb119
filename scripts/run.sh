#!/usr/bin/env bash
# Installs what is missing, builds and starts Wendolarka.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; starting on a virtual one (xvfb-run)."
  exec xvfb-run -a build/src/app/wendolarka
fi
exec build/src/app/wendolarka
