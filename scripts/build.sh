#!/usr/bin/env bash
# Configures and builds out of tree, in build/ unless JUANZHI_BUILD_DIR says
# otherwise.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${JUANZHI_BUILD_DIR:-$root/build}

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" --parallel
