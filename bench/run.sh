#!/usr/bin/env bash
# Builds juanzhi-cli and the window benchmark in build-bench/, then times
# them against the standard tools. Not part of the tests: it takes minutes
# and its figures depend on the machine. Extra arguments go to bench.py
# (--rounds N, --only JOB, --work DIR).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${JUANZHI_BENCH_BUILD_DIR:-$root/build-bench}

"$root/scripts/install-deps.sh"
"$root/scripts/install-deps.sh" python3 coreutils sed time

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DJUANZHI_BUILD_TESTS=OFF -DJUANZHI_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" --parallel

python3 "$root/bench/bench.py" --cli "$build_dir/src/cli/juanzhi-cli" \
  --window-bench "$build_dir/bench/window_bench" "$@"
