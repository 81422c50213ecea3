#!/usr/bin/env bash
# Runs a command on a virtual X display with the openbox window manager, so
# that windows get frames and title bars as on a desktop:
#   tests/ui/under-window-manager.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ "${1:-}" != --inside ]; then
  unset QT_QPA_PLATFORM
  exec xvfb-run -a -e /dev/stderr -s "-screen 0 1280x1024x24" "$0" --inside "$@"
fi
shift
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true' EXIT
# The manager owns the screen once it has set its check window on the root.
ready=""
for _ in $(seq 300); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    ready=1
    break
  fi
  sleep 0.1
done
if [ -z "$ready" ]; then
  echo "under-window-manager.sh: openbox did not come up within 30 s" >&2
  exit 1
fi
"$@"
