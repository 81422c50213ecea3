#!/usr/bin/env bash
# Whole webaccess-batch runs under valgrind's memcheck with a full leak
# check, against webaccess-sim on 127.0.0.1 in scratch working directories:
#
#   order      12 records in two batches; the first download is dropped and
#              fetched again at the next poll (status 0)
#   full-disk  3000 waiting responses into a work disk that holds 100 KB per
#              file: storing the download fails (status 70)
#
# Fails when a run ends with another status, or when memcheck finds a memory
# error or a leak (definite, indirect or possible). The only suppressions
# are those in tests/reliability/valgrind.supp.
#
#   scripts/valgrind.sh
#   WEBACCESS_BUILD_DIR=build/x scripts/valgrind.sh    another build directory
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${WEBACCESS_BUILD_DIR:-$root/build/default}
case $build in /*) ;; *) build=$root/$build ;; esac
suppressions=$root/tests/reliability/valgrind.supp
credentials="1234567PW9Z,ABC123,S3CR3T"

command -v valgrind >/dev/null || {
  echo "valgrind is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWEBACCESS_WARNINGS_AS_ERRORS=ON >/dev/null
fi
cmake --build "$build" -j 2 --target webaccess-batch webaccess-sim >/dev/null
sim=$build/tools/sim/webaccess-sim
batch=$build/src/batch/webaccess-batch

scratch=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-valgrind-XXXXXX")
sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
  fi
}
trap 'stop_sim; rm -rf "$scratch"' EXIT

# Starts the simulated server in directory $1 with the switches that follow;
# sets sim_url.
start_sim() {
  local dir=$1
  shift
  "$sim" --port 0 --log "$dir/requests.log" --lifetime 300 "$@" >"$dir/sim.out" 2>"$dir/sim.err" &
  sim_pid=$!
  sim_url=
  for _ in $(seq 100); do
    sim_url=$(head -n 1 "$dir/sim.out" 2>/dev/null || true)
    [ -n "$sim_url" ] && return 0
    sleep 0.1
  done
  echo "webaccess-sim did not start:" >&2
  cat "$dir/sim.err" >&2
  return 1
}

# An inquiry file of $2 records in directory $1.
write_inquiry() {
  local n
  for n in $(seq "$2"); do
    printf '%sNAME %-14sPLT%-12sCA%s\r\n' $((n % 10)) "$n" "$n" "DOB19800101 0123456789AB"
  done >"$1/INQUIRY.QDK"
}

failed=0
printf '%-10s %-8s %-8s %s\n' run status expected memcheck
# run_case NAME EXPECTED-STATUS RECORDS FILE-SIZE-LIMIT-KB|- SIM-SWITCHES...
run_case() {
  local name=$1 expected=$2 records=$3 limit=$4
  shift 4
  local dir=$scratch/$name
  mkdir -p "$dir"
  write_inquiry "$dir" "$records"
  start_sim "$dir" "$@"
  local status=0
  (
    cd "$dir"
    if [ "$limit" != - ]; then
      trap '' XFSZ # a write beyond the limit fails with EFBIG instead
      ulimit -f "$limit"
    fi
    WEBACCESS_MAIN_URL=$sim_url WEBACCESS_WAIT_MS=20 exec valgrind --leak-check=full \
      --error-exitcode=1 --errors-for-leak-kinds=definite,indirect,possible \
      --show-leak-kinds=definite,indirect,possible --gen-suppressions=all \
      --suppressions="$suppressions" --log-file="$dir/valgrind.log" \
      "$batch" --time-limit 300 --yes "$credentials" >"$dir/batch.out" 2>"$dir/batch.err"
  ) || status=$?
  stop_sim
  local summary
  summary=$(grep -o 'ERROR SUMMARY: .*' "$dir/valgrind.log" || echo 'no summary')
  printf '%-10s %-8s %-8s %s\n' "$name" "$status" "$expected" "$summary"
  if [ "$status" != "$expected" ] || [[ $summary != "ERROR SUMMARY: 0 errors"* ]]; then
    failed=1
    echo "--- $name: valgrind.log" >&2
    cat "$dir/valgrind.log" >&2
    echo "--- $name: standard error" >&2
    cat "$dir/batch.err" >&2
  fi
}

run_case order 0 12 - --drop-at File:1
run_case full-disk 70 3 100 --waiting 3000

exit "$failed"
