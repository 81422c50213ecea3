#!/usr/bin/env bash
# Cross-builds the core, its tests and the replay of the fuzz inputs for
# 64-bit Windows (MinGW-w64, preset windows-core) and runs them under Wine in
# a scratch prefix that is removed afterwards. Prints how many tests ran.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows-core
cmake --build --preset windows-core -j "$(nproc)"

wine=/usr/lib/wine/wine64
prefix=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-wine.XXXXXX")
cleanup() {
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
# No Mono or Gecko: the tests need neither, and a fresh prefix would ask.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

total=0
skipped_total=0
for exe in build/windows-core/tests/core_tests.exe \
           build/windows-core/tests/fuzz/fuzz_regression_tests.exe; do
  if ! out=$("$wine" "$exe" --gtest_brief=1 2>&1); then
    printf '%s\n' "$out"
    echo "windows-tests: $(basename "$exe") failed under Wine" >&2
    exit 1
  fi
  ran=$(printf '%s\n' "$out" | sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p')
  skipped=$(printf '%s\n' "$out" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p')
  echo "windows-tests: $(basename "$exe"): ${ran:-0} tests ran under Wine, ${skipped:-0} skipped, none failed"
  total=$((total + ${ran:-0}))
  skipped_total=$((skipped_total + ${skipped:-0}))
done
echo "windows-tests: $((total - skipped_total)) passed, 0 failed, $skipped_total skipped"
