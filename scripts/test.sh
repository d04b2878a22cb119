#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DWENDOLARKA_WERROR=ON "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure
