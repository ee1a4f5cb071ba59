#!/usr/bin/env bash
# Builds the fuzz targets in fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, runs each for a bounded time, and tells for
# each how many inputs it ran and which of its properties broke, with the
# smallest input found for each. Not part of the tests: run it by hand.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target: the first argument, else FUZZ_SECONDS, else 60.
# TARGETs: text title heading replace split merge insert (all by default).
# FUZZ_BUILD_DIR: where to build (build-fuzz/ by default). The corpus of a
#   target grows in its corpus/TARGET/ from run to run; the inputs that
#   broke something land in artifacts/TARGET/, its output in logs/TARGET.log.
# FUZZ_JOBS: build jobs (1 by default).
# Exits 1 when any target found something.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
all_targets=(text title heading replace split merge insert)

seconds=${FUZZ_SECONDS:-60}
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=("${all_targets[@]}")
fi
for target in "${targets[@]}"; do
  if [[ " ${all_targets[*]} " != *" $target "* ]]; then
    echo "fuzz.sh: no target '$target' (targets: ${all_targets[*]})" >&2
    exit 2
  fi
done

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev cmake ninja-build
cmake -S "$root/fuzz" -B "$build_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build_dir" --parallel "${FUZZ_JOBS:-1}"

# The targets' scratch folders, in memory where possible; gone at the end
# even when a run aborted inside one.
scratch_parent=/dev/shm
[[ -d $scratch_parent && -w $scratch_parent ]] || scratch_parent=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$scratch_parent/juanzhi-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export JUANZHI_FUZZ_TMP=$scratch

# Runs one target; fork mode goes on after a failure, so that one run can
# find several.
run_target() {
  local target=$1 binary=$build_dir/fuzz_$1
  local corpus=$build_dir/corpus/$target artifacts=$build_dir/artifacts/$target
  local log=$build_dir/logs/$target.log
  rm -rf "$artifacts"
  mkdir -p "$corpus" "$artifacts" "$build_dir/logs"
  local inputs=("$corpus")
  [[ -d $root/fuzz/seeds/$target ]] && inputs+=("$root/fuzz/seeds/$target")
  echo "== $target: ${seconds} s"
  "$binary" -fork=1 -ignore_crashes=1 -max_total_time="$seconds" -timeout=10 \
    -dict="$root/fuzz/gbk.dict" -artifact_prefix="$artifacts/" "${inputs[@]}" >"$log" 2>&1 || true
}

# What an input that broke something says when run again: the property, or
# the sanitizer's summary.
failure_kind() {
  local output
  output=$("$build_dir/fuzz_$1" "$2" 2>&1 || true)
  grep -m1 -E '^property broken:|^SUMMARY:|ERROR: libFuzzer' <<<"$output" ||
    echo "(does not fail when run again)"
}

found_any=0
summary=()
for target in "${targets[@]}"; do
  run_target "$target"
  log=$build_dir/logs/$target.log
  # libFuzzer numbers its runs: "#N" starts its status lines, and a run
  # without fork mode ends with "Done N runs".
  runs=$(grep -oE '^Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | tail -1 || true)
  [[ -n $runs ]] || runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)
  mapfile -t found < <(find "$build_dir/artifacts/$target" -type f | sort)
  if ((${#found[@]} == 0)); then
    summary+=("$target: ${runs:-0} runs, nothing found")
    continue
  fi
  found_any=1
  summary+=("$target: ${runs:-0} runs, ${#found[@]} failing inputs (see below)")
  declare -A smallest=() count=()
  for input in "${found[@]}"; do
    kind=$(failure_kind "$target" "$input")
    count[$kind]=$((${count[$kind]:-0} + 1))
    if [[ -z ${smallest[$kind]:-} ]] || (($(stat -c %s "$input") < $(stat -c %s "${smallest[$kind]}"))); then
      smallest[$kind]=$input
    fi
  done
  for kind in "${!smallest[@]}"; do
    summary+=("  ${count[$kind]} x $kind")
    summary+=("    smallest: ${smallest[$kind]}")
    while IFS= read -r line; do
      summary+=("    $line")
    done < <("$build_dir/fuzz_$target" "${smallest[$kind]}" 2>&1 | grep -E '^  [^ #]' || true)
  done
  unset smallest count
done

echo
echo "== fuzzing summary (${seconds} s per target)"
printf '%s\n' "${summary[@]}"
exit "$found_any"
