#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${JUANZHI_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
JUANZHI_BUILD_DIR=$build_dir "$root/scripts/build.sh"

# Window tests need no display.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
