#!/usr/bin/env bash
# Checks what installing puts in place and the Debian package made of it:
#   - `cmake --install` into a scratch prefix yields the three programs, the
#     desktop entry, the icons, the metainfo and the three manual pages;
#   - desktop-file-validate, appstreamcli validate and man --warnings pass;
#   - every program answers --version and --help with status 0;
#   - cpack makes the .deb, lintian finds no error in it, and unpacked with
#     dpkg -x (never installed) it holds the same files and runs a whole order:
#     its webaccess-batch against its webaccess-sim.
#
#   scripts/check-package.sh [BUILD_DIR]      (build/default unless told)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
case $build in /*) ;; *) build=$root/$build ;; esac
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-package.XXXXXX")
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

programs=(webaccess webaccess-batch webaccess-sim)
files=(
  bin/webaccess bin/webaccess-batch bin/webaccess-sim
  share/applications/webaccess.desktop
  share/metainfo/invalid.webaccess.WebAccess.metainfo.xml
  share/icons/hicolor/scalable/apps/webaccess.svg
  share/man/man1/webaccess.1.gz share/man/man1/webaccess-batch.1.gz
  share/man/man1/webaccess-sim.1.gz
)
for size in 16 24 32 48 64 128 256; do
  files+=("share/icons/hicolor/${size}x${size}/apps/webaccess.png")
done

has_files() {  # PREFIX: every file of the installation is there
  local f
  for f in "${files[@]}"; do [ -s "$1/$f" ] || fail "$1/$f is missing"; done
}

echo "== cmake --install into a scratch prefix"
cmake --build "$build" --target webaccess webaccess-batch webaccess-sim manpages package_docs
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
prefix=$scratch/prefix
has_files "$prefix"
desktop-file-validate "$prefix/share/applications/webaccess.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/invalid.webaccess.WebAccess.metainfo.xml"
for program in "${programs[@]}"; do
  page=$prefix/share/man/man1/$program.1.gz
  # A malformed page makes man and groff say so on stderr.
  complaints=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  complaints+=$(zcat "$page" | groff -ww -z -man 2>&1)
  [ -z "$complaints" ] || fail "the manual page of $program: $complaints"
  LC_ALL=C.UTF-8 man -l "$page" 2>/dev/null | grep -q "EXIT STATUS" || fail "$page has no EXIT STATUS"
done
for program in "${programs[@]}"; do
  out=$("$prefix/bin/$program" --version) || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version printed \"$out\""
  "$prefix/bin/$program" --help | grep -q "^Usage: $program" || fail "$program --help"
done
for program in webaccess-batch webaccess-sim; do
  status=0
  "$prefix/bin/$program" --no-such-option >/dev/null 2>&1 </dev/null || status=$?
  [ "$status" -eq 64 ] || fail "$program --no-such-option: status $status, not 64"
done

echo "== cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb --field "$deb" Package Version Depends
echo "== lintian $(basename "$deb")"
lintian --fail-on error --display-level '>=warning' "$deb" || fail "lintian reports errors"

echo "== dpkg -x into a scratch root"
dpkg -x "$deb" "$scratch/root"
has_files "$scratch/root/usr"

echo "== A whole order with the unpacked webaccess-batch against the unpacked webaccess-sim"
work=$scratch/work
mkdir -p "$work"
i=0
for name in "ADAMS JOHN Q" "BAKER MARY" "CHAVEZ LUIS" "DOYLE ERIN" "EVANS PAT" "FISCHER ANNA" \
            "GARCIA ROSA" "HUANG WEI" "IBARRA JOSE" "JONES TOM" "KIM SOO" "LOPEZ ANA"; do
  i=$((i + 1))
  printf '%s%-19s%-15s%-2s%-20s\r\n' "$((i % 3 + 1))" "$name" "$(printf '7ABC%03d' "$i")" \
    "CA" "ORDER $i" >>"$work/INQUIRY.QDK"
done
"$scratch/root/usr/bin/webaccess-sim" --port 0 --lifetime 120 >"$scratch/sim.out" 2>"$scratch/sim.err" &
sim_pid=$!
base=""
for _ in $(seq 1 100); do
  base=$(head -n 1 "$scratch/sim.out" 2>/dev/null || true)
  [ -n "$base" ] && break
  sleep 0.1
done
[ -n "$base" ] || fail "the unpacked webaccess-sim did not start: $(cat "$scratch/sim.err")"
(cd "$work" && WEBACCESS_MAIN_URL=$base WEBACCESS_WAIT_MS=20 \
  "$scratch/root/usr/bin/webaccess-batch" --yes --time-limit 60 -- 1234567DEMO,DEMO01,PASSWD) \
  >"$scratch/batch.out" || fail "the order ended with status $?: $(tail -n 3 "$scratch/batch.out")"
responses=$(grep -c '^RESPONSE [0-9]' "$work/RESPONSE.QDK" || true)
[ "$responses" -eq 12 ] || fail "RESPONSE.QDK holds $responses responses, not 12"
echo "   12 responses in RESPONSE.QDK"
echo "check-package: all passed"
