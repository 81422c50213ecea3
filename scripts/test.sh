#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds, and runs
# every test: the whole suite in the default build, the installation and the
# Debian package, the core tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for a few seconds, and the
# Windows cross build under Wine: the core tests, and webaccess-batch.exe
# installed from its MSI running whole orders.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# The sources as clang-format writes them.
find src tests tools fuzz bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format --dry-run --Werror

export QT_QPA_PLATFORM=offscreen
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

# What installing puts in place, and the Debian package: built, checked by
# lintian, unpacked and run.
bash scripts/check-package.sh build/default

# Every fuzz target for a few seconds, from its corpus: no crash, hang or
# sanitizer report.
bash scripts/fuzz.sh 5

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset asan -j "$jobs"

# The core tests and the replay of the fuzz inputs, cross-built for Windows
# and run under Wine; the MSI installed there, and whole orders by the
# installed webaccess-batch.exe compared with the same orders by the Linux
# one of the default build.
bash scripts/windows-tests.sh build/default
