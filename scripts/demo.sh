#!/usr/bin/env bash
# A whole order through webaccess in under a minute.
#
# Starts webaccess-sim (the simulated server) on a free loopback port, writes
# a sample order of twelve records into a scratch working directory, runs the
# client against it, stops the server and prints the work files the run left.
#
# The client is the window when one can be shown: on your display (you answer
# the question, press Start, and press Exit once the status reads "Tranfers
# complete"), or, without a display, under xvfb-run, driven by xdotool, with
# screenshots saved in the scratch directory. Otherwise, or when the window
# does not get through, it is webaccess-batch --yes.
#
#   scripts/demo.sh
#   DEMO_CLIENT=batch scripts/demo.sh          never the window
#   WEBACCESS_BUILD_DIR=build/x scripts/demo.sh another build directory
#   DEMO_KEEP=1 scripts/demo.sh                keep the scratch directory
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${WEBACCESS_BUILD_DIR:-$root/build/default}
case $build in /*) ;; *) build=$root/$build ;; esac
sim=$build/tools/sim/webaccess-sim
batch=$build/src/batch/webaccess-batch
window=$build/src/ui/webaccess
credentials="1234567DEMO,DEMO01,PASSWD"
client=${DEMO_CLIENT:-auto}

# --- Driving the window on a virtual display (run under xvfb-run) ---------
# Every wait is bounded; any step that does not come returns non-zero.
if [ "${1:-}" = "--drive-window" ]; then
  window=$2
  work=$3
  cd "$work"
  deadline=$((SECONDS + 60))
  QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox" \
    "$window" "$credentials" >window.log 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT

  window_named() {  # waits for a window with this exact title; prints its id
    while ((SECONDS < deadline)); do
      local id
      id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
      if [ -n "$id" ]; then
        echo "$id"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || return 1
      sleep 0.2
    done
    return 1
  }
  press_return_in() {  # the default button of the box with this title
    local id
    id=$(window_named "$1") || return 1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    # The box closes at once, which xdotool may report as an error.
    xdotool key Return 2>/dev/null || true
  }
  click_in() {  # a point of the main window, in pixels
    xdotool mousemove --window "$1" "$2" "$3" click 1
  }

  echo "  the order question: Yes"
  press_return_in "QUESTION" || exit 1
  main=$(window_named "Request Records From Vantorel - V1.15") || exit 1
  sleep 0.5
  import -window root screenshot-1-ready.png 2>/dev/null || true
  # The buttons' row lies 40 to 73 pixels below the menu bar: Start on the
  # left, Exit on the right.
  echo "  Start"
  click_in "$main" 60 80
  echo "  waiting for the run to end"
  until grep -q -e "Transactions complete" -e "Aborted" TRACE.QDK 2>/dev/null; do
    ((SECONDS < deadline)) && kill -0 "$pid" 2>/dev/null || exit 1
    sleep 0.2
  done
  sleep 0.3
  import -window root screenshot-2-complete.png 2>/dev/null || true
  echo "  Exit, and Yes to the exit question"
  # The title now names the last record sent ("Requesting Record 12"), and
  # the window has a new id since the browser came up in it.
  main=$(window_named "Request.*") || exit 1
  click_in "$main" 740 80
  press_return_in "Exit Question" || exit 1
  if [ -s MESSAGE.QDK ]; then
    echo "  closing the server's messages"
    # Its Exit button: 3240,3960 twips, 1575 by 375, in the client area.
    box=$(window_named "Message From Vantorel") || exit 1
    click_in "$box" 268 276
  fi
  while kill -0 "$pid" 2>/dev/null; do
    ((SECONDS < deadline)) || exit 1
    sleep 0.1
  done
  trap - EXIT
  wait "$pid"
  exit $?
fi

# --- Building what is missing ---------------------------------------------
if [ ! -x "$sim" ] || [ ! -x "$batch" ] || { [ "$client" != batch ] && [ ! -x "$window" ]; }; then
  echo "== Building"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    if [ "$build" = "$root/build/default" ]; then
      (cd "$root" && cmake --preset default)
    else
      cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
  fi
  cmake --build "$build" --target webaccess-sim webaccess-batch
  if [ "$client" != batch ]; then
    # The window needs Qt; without it the demo goes on without the window.
    echo "== Building the window program (the first time takes a few minutes)"
    cmake --build "$build" --target webaccess >/dev/null 2>&1 || echo "   no window program"
  fi
fi

# --- The scratch directory, the order and the server ----------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/webaccess-demo.XXXXXX")
sim_pid=""
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
cleanup() {
  stop_sim
  if [ -z "${DEMO_KEEP:-}" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

# Twelve records: kind, name (19), licence plate (15), state (2), the rest.
write_order() {
  local i=0 name
  : >"$work/INQUIRY.QDK"
  for name in "ADAMS JOHN Q" "BAKER MARY" "CHAVEZ LUIS" "DOYLE ERIN" "EVANS PAT" \
              "FISCHER ANNA" "GARCIA ROSA" "HUANG WEI" "IBARRA JOSE" "JONES TOM" "KIM SOO" \
              "LOPEZ ANA"; do
    i=$((i + 1))
    printf '%s%-19s%-15s%-2s%-20s\r\n' "$((i % 3 + 1))" "$name" "$(printf '7ABC%03d' "$i")" \
      "CA" "ORDER $i" >>"$work/INQUIRY.QDK"
  done
}

start_sim() {
  "$sim" --port 0 --log "$work/requests.log" --lifetime 300 --ready-after 1 \
    --message "WELCOME TO THE SIMULATED SERVER" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  local base="" _
  for _ in $(seq 1 100); do
    base=$(head -n 1 "$work/sim.out" 2>/dev/null || true)
    [ -n "$base" ] && break
    sleep 0.1
  done
  if [ -z "$base" ]; then
    echo "The simulated server did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
  fi
  echo "   $base  (working directory $work)"
  export WEBACCESS_MAIN_URL=$base
}

echo "== Starting the simulated server with an order of twelve records"
write_order
start_sim
export WEBACCESS_WAIT_MS=${WEBACCESS_WAIT_MS:-1000}

# --- The client -------------------------------------------------------------
ran=""
if [ "$client" != batch ] && [ -x "$window" ]; then
  if [ -n "${DISPLAY:-}" ]; then
    echo "== The window: answer Yes, press Start, and press Exit when the status reads"
    echo "   \"Tranfers complete, Press Exit To Continue.\""
    (cd "$work" && timeout 300 "$window" "$credentials") && ran=window || true
  elif command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
    echo "== The window on a virtual display, driven by xdotool"
    # -noreset: by default the X server resets whenever its last client
    # leaves, and drops a client that is still connecting then. The xdotool
    # calls that look for the window come and go while the window program
    # connects: one of them leaving at the wrong moment made the program abort
    # at its start ("could not connect to display").
    if timeout 90 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" --drive-window "$window" \
      "$work"; then
      ran=window
    else
      echo "   the window did not get through; what it printed last:"
      tail -n 5 "$work/window.log" 2>/dev/null | sed 's/^/     /' || true
      echo "   starting again without it"
      stop_sim
      (cd "$work" && rm -f ./*.QDK ./*.BAK DOWN.TXT requests.log)
      write_order
      start_sim
    fi
  fi
fi
if [ -z "$ran" ]; then
  echo "== webaccess-batch --yes"
  status=0
  (cd "$work" && "$batch" --yes --time-limit 60 "$credentials") || status=$?
  echo "   exit status $status"
fi
stop_sim

# --- What the run left --------------------------------------------------------
show() {
  echo "== $1"
  if [ -f "$work/$1" ]; then
    tr -d '\r' <"$work/$1" | sed 's/^/   /'
  else
    echo "   (none)"
  fi
}
echo "== The server received $(grep -c 'ACTION=REQ' "$work/requests.log" || true) records in" \
  "$(grep -c 'ACTION=DONE' "$work/requests.log" || true) batches, $(wc -l <"$work/requests.log") requests in all"
show RESPONSE.QDK
show AUDIT.QDK
show MESSAGE.QDK
show TRACE.QDK
if [ -f "$work/INQUIRY.QDK" ]; then echo "== INQUIRY.QDK is still there"; else echo "== INQUIRY.QDK was deleted at exit"; fi
if ls "$work"/screenshot-*.png >/dev/null 2>&1; then
  echo "== Screenshots of the window: $(ls "$work"/screenshot-*.png | tr '\n' ' ')"
  DEMO_KEEP=1
fi
if [ -n "${DEMO_KEEP:-}" ]; then echo "== Kept $work"; fi
