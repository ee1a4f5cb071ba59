#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${JUANZHI_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
JUANZHI_BUILD_DIR=$build_dir "$root/scripts/build.sh"
exec "$build_dir/src/app/juanzhi"
