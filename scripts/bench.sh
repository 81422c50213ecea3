#!/usr/bin/env bash
# Builds the benchmarks in a Release build (preset bench), runs them and
# checks each throughput against its baseline from the same run:
#   converting a 100 MB DOWN.TXT   at least 1/2 of copying the same file
#   counting inquiry records       at least 1/2 of counting the file's lines
#                                  with fread and memchr
# Exits non-zero when a ratio is missed or a benchmark fails. Arguments are
# passed to the benchmark program (for example --benchmark_repetitions=9).
#
# The files live in a scratch directory under WEBACCESS_BENCH_TMPDIR, by
# default /dev/shm when it exists: in memory, so that the speed of the disk
# does not enter the ratios. Times are the benchmark process's CPU time (user
# and system), which other work on a shared machine disturbs far less than the
# wall clock.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/bench
jobs=2
cmake --preset bench >/dev/null
cmake --build --preset bench --target webaccess_bench -j "$jobs"

scratch_base=${WEBACCESS_BENCH_TMPDIR:-}
if [ -z "$scratch_base" ]; then
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then scratch_base=/dev/shm; else scratch_base=${TMPDIR:-/tmp}; fi
fi
json=$(mktemp)
trap 'rm -f "$json"' EXIT

TMPDIR=$scratch_base "$build/bench/webaccess_bench" \
  --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$json" --benchmark_out_format=json "$@"

python3 - "$json" "$scratch_base" <<'PY'
import json
import os
import sys

results = json.load(open(sys.argv[1]))
scratch = sys.argv[2]

model = "unknown"
try:
    with open("/proc/cpuinfo") as cpuinfo:
        for line in cpuinfo:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
except OSError:
    pass

medians = {}
failed = []
for b in results["benchmarks"]:
    if b.get("error_occurred"):
        failed.append(f'{b["name"]}: {b.get("error_message", "failed")}')
    if b.get("aggregate_name") == "median":
        name = b["run_name"].removesuffix("/real_time")
        medians[name] = b["bytes_per_second"]

def rate(bps):
    return f"{bps / 1e9:6.3f} GB/s ({bps:,.0f} bytes/s)"

checks = [
    ("Download conversion", "Download/Copy", "Download/Convert", 1 / 2, "1/2"),
    ("Inquiry record count", "Inquiry/CountLines", "Inquiry/CountRecords", 1 / 2, "1/2"),
]
print()
print(f"machine: {model}, {os.cpu_count()} CPUs; files in {scratch}; CPU time, medians of "
      f"{results['benchmarks'][0].get('repetitions', '?')} repetitions")
ok = not failed
for line in failed:
    print(f"FAILED  {line}")
for title, base, measured, target, target_text in checks:
    if base not in medians or measured not in medians:
        print(f"{title}: not measured")
        ok = False
        continue
    ratio = medians[measured] / medians[base]
    verdict = "ok" if ratio >= target else "MISSED"
    ok = ok and ratio >= target
    print(f"{title}:")
    print(f"  baseline {base:22} {rate(medians[base])}")
    print(f"  measured {measured:22} {rate(medians[measured])}")
    print(f"  ratio {ratio:.3f} (target at least {target_text})  {verdict}")
sys.exit(0 if ok else 1)
PY
