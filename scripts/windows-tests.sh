#!/usr/bin/env bash
# Cross-builds for 64-bit Windows (MinGW-w64, preset windows): the core and
# its tests, the replay of the fuzz inputs, webaccess-batch.exe and its MSI.
# Then, under Wine, in a scratch prefix that is removed afterwards:
#   - runs the core tests and the replay;
#   - installs the MSI (msiexec /qn) and runs the rows of tests/wine: each
#     order by the installed webaccess-batch.exe and by the Linux
#     webaccess-batch (from the native build NATIVE, default build/fast),
#     which must come out the same;
#   - installs a newer version over it, then uninstalls, and checks that the
#     program is gone and a working folder's files are left as they were.
# Prints how many tests and rows ran.
#
# usage: scripts/windows-tests.sh [NATIVE]
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/fast}
jobs=$(nproc)

cmake --preset windows
cmake --build --preset windows -j "$jobs"
if [ ! -f "$native/CMakeCache.txt" ]; then
  cmake --preset fast
fi
cmake --build "$native" -j "$jobs" --target wine_tests

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
prefix=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-wine.XXXXXX")
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
# No Mono or Gecko: nothing here needs them, and a fresh prefix would ask.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One server for the whole prefix, started here: the rows kill a client's
# process group, which must not take the server along. The prefix is made
# at once, so that the system's own processes it starts hold none of the
# pipes the tests' output comes through.
"$wineserver" -p
"$wine" wineboot --init > /dev/null 2>&1

# Counts what a Google Test program ran (its output in `out`); fails the
# script when it failed.
run_tests() {
  local name=$1
  shift
  if ! out=$("$@" --gtest_brief=1 2>&1); then
    printf '%s\n' "$out"
    echo "windows-tests: $name failed under Wine" >&2
    exit 1
  fi
  ran=$(printf '%s\n' "$out" | sed -n 's/^\[==========\] \([0-9]*\) tests\{0,1\} from .* ran\..*/\1/p')
  skipped=$(printf '%s\n' "$out" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p')
  ran=${ran:-0}
  skipped=${skipped:-0}
}

total=0
skipped_total=0
for exe in build/windows/tests/core_tests.exe \
           build/windows/tests/fuzz/fuzz_regression_tests.exe; do
  run_tests "$(basename "$exe")" "$wine" "$exe"
  echo "windows-tests: $(basename "$exe"): $ran tests ran under Wine, $skipped skipped, none failed"
  total=$((total + ran))
  skipped_total=$((skipped_total + skipped))
done

installed="$prefix/drive_c/Program Files/webaccess"
uninstall_keys() {
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -E 'DisplayName +REG_SZ +webaccess-batch$|DisplayVersion' | grep -A1 DisplayName || true
}
msi=build/windows/webaccess-batch-$(sed -n 's/^project(webaccess VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt).msi
"$wine" msiexec /i "$("$wine" winepath -w "$msi" | tr -d '\r')" /qn
test -f "$installed/webaccess-batch.exe" -a -f "$installed/webaccess-batch.html" || {
  echo "windows-tests: the MSI did not install webaccess-batch.exe and its manual page" >&2
  exit 1
}

started=$(date +%s)
run_tests "the Wine rows" env WINE="$wine" \
  WEBACCESS_WINDOWS_BATCH='C:\Program Files\webaccess\webaccess-batch.exe' \
  WEBACCESS_COMMAND_LINE_READER="$("$wine" winepath -w build/windows/tests/wine/read-command-line.exe | tr -d '\r')" \
  "$native/tests/wine/wine_tests"
rows=$ran
# What another process reads of the client's command line, as the rows saw it.
printf '%s\n' "$out" | grep -a '^\[ W' | sed 's/^/windows-tests: /'
echo "windows-tests: $rows rows ran by the installed webaccess-batch.exe and the Linux webaccess-batch, the same in every row ($(($(date +%s) - started)) s)"

# A working folder the installed program has used, to be left alone.
work=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-work.XXXXXX")
trap 'cleanup; rm -rf "$work"' EXIT
printf 'AN ORDER\r\n' > "$work/INQUIRY.QDK"
(cd "$work" && "$wine" "$installed/webaccess-batch.exe" --answers no,no 1234567ABCD,ABC123,PASS01 \
   > /dev/null 2>&1 || true)
before=$(cd "$work" && sha256sum -- *)

# A newer version replaces the one installed: one product is left, the newer.
upgrade=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-msi.XXXXXX")
(cd build/windows/packaging/stage &&
   wixl -a x64 -D Version=99.0 -o "$upgrade/newer.msi" "$PWD/../../../../packaging/webaccess-batch.wxs")
"$wine" msiexec /i "$("$wine" winepath -w "$upgrade/newer.msi" | tr -d '\r')" /qn
keys=$(uninstall_keys)
if [ "$(printf '%s\n' "$keys" | grep -c DisplayName)" != 1 ] || ! printf '%s\n' "$keys" | grep -q '99\.0'; then
  printf '%s\n' "$keys"
  echo "windows-tests: the newer version did not replace the older one" >&2
  exit 1
fi

"$wine" msiexec /x "$("$wine" winepath -w "$upgrade/newer.msi" | tr -d '\r')" /qn
rm -rf "$upgrade"
after=$(cd "$work" && sha256sum -- *)
if [ -e "$installed" ] || [ -n "$(uninstall_keys)" ] || [ "$before" != "$after" ]; then
  echo "windows-tests: the uninstall left the program, or touched the working folder" >&2
  exit 1
fi
echo "windows-tests: installed, replaced by a newer version and uninstalled; the working folder's $(printf '%s\n' "$after" | wc -l) files are as they were"
echo "windows-tests: $((total - skipped_total)) tests passed, 0 failed, $skipped_total skipped; $rows Wine rows passed"
