#!/usr/bin/env bash
# Takes the pictures in this folder:
#   request-list.png    the request list over an order of twelve records
#   server-message.png  the server message window at Exit, after a run in
#                       which the server sent two messages
# under Xvfb and the openbox window manager, with webaccess-sim on
# 127.0.0.1. Needs xvfb-run, openbox and ImageMagick's import, and a built
# window_screens (cmake --build <build dir> --target window_screens):
#   docs/screens/take.sh [path/to/window_screens]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="$(realpath "${1:-$here/../../build/qt/tests/window_e2e/window_screens}")"

export QTWEBENGINE_DISABLE_SANDBOX="${QTWEBENGINE_DISABLE_SANDBOX:-1}"
unset QT_QPA_PLATFORM
# Inside the X server: a window manager for the frames and title bars, then
# the program, which takes the pictures itself when each window is in view.
# shellcheck disable=SC2016
timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  openbox & wm=$!
  sleep 2
  status=0
  "$1" "$2" || status=$?
  kill "$wm" 2>/dev/null || true
  exit "$status"
' take "$program" "$here"
echo "pictures in $here"
