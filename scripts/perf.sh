#!/usr/bin/env bash
# Builds a Release build (preset perf, in build/perf) and measures the whole programs, each
# figure next to a baseline from the same run (bench/perf/PerfRun.py prints
# the summary; docs/performance.md explains the figures):
#   1. requests: webaccess-batch --yes sending 1,000 records to webaccess-sim,
#      its work files in memory against the same URLs through one reused
#      libcurl handle, and its work files on disk against the same loop
#      storing each download as the client must (written, synced, before
#      its delete request); targets <= 1.2 net of the poll timer's waits
#   2. the window: process start to the first showing; navigations through
#      the web engine (median, 95th percentile of 200) vs webaccess-batch's
#   3. peak resident memory of webaccess-batch for 10,000 records and for a
#      100 MB download (target < 50 MB), and of the window and each of its
#      web engine processes through a small run (target <= 200 MB summed)
#   4. CPU time of the window (with the web engine's processes) over 60 s of
#      waiting (target < 1% of one core)
#
#   scripts/perf.sh                       everything, 5 repetitions
#   PERF_REPS=3 scripts/perf.sh           fewer repetitions
#   PERF_NO_WINDOW=1 scripts/perf.sh      webaccess-batch only (no Qt needed)
#   PERF_IDLE_SECONDS=60                  length of the idle sample
# Exits non-zero when a target is missed or a measurement fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/perf

cmake --preset perf >/dev/null
targets=(webaccess-batch webaccess-sim webaccess-perf-curl webaccess-perf-rusage)
[ -n "${PERF_NO_WINDOW:-}" ] || targets+=(webaccess-perf-window)
cmake --build --preset perf --target "${targets[@]}" -j 2

exec python3 "$root/bench/perf/PerfRun.py" "$build"
