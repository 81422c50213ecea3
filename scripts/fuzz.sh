#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (preset fuzz) and runs each for a
# bounded time, starting from its corpus (fuzz/corpus/<target>) and the inputs
# that once broke the code (fuzz/regressions/<target>). Stops with an error at
# the first crash, hang, sanitizer report, broken invariant or memory blow-up;
# the input that did it is kept in build/fuzz/findings/<target>/. Once the
# fault is fixed, copy that input to fuzz/regressions/<target>/ so that
# fuzz_regression_tests replays it.
#
# Usage: scripts/fuzz.sh [seconds per target, default 8]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-8}
build=build/fuzz
targets=(reply_dispatcher reply_parse convert_download credentials inquiry_reader request_items)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target "${targets[@]/#/fuzz_}"

# The targets write their work files into scratch directories of their own;
# in memory when /dev/shm is there, since every input writes and syncs files.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch_base=/dev/shm; else scratch_base=${TMPDIR:-/tmp}; fi
work=$(mktemp -d "$scratch_base/webaccess-fuzz-run-XXXXXX")
trap 'rm -rf "$work"' EXIT

printf '%-18s %12s %8s %s\n' target executions seconds result
for target in "${targets[@]}"; do
  findings="$root/$build/findings/$target"
  mkdir -p "$work/$target" "$findings"
  inputs=("$work/$target" "$root/fuzz/corpus/$target")
  [ -d "$root/fuzz/regressions/$target" ] && inputs+=("$root/fuzz/regressions/$target")
  log="$work/$target.log"
  # New inputs go to the first directory, in the scratch area: the corpus in
  # the repository stays as it is.
  if ! (cd "$work" && TMPDIR="$work" "$root/$build/fuzz/fuzz_$target" \
          -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
          -artifact_prefix="$findings/" -print_final_stats=1 "${inputs[@]}") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target FAILED; the input is in $findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  time=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  printf '%-18s %12s %8s %s\n' "$target" "${runs:-?}" "${time:-?}" ok
done
