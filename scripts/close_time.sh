#!/usr/bin/env bash
# How long the program takes to end once its window is closed. Runs it
# through scripts/run.sh in a real window on a virtual display (Xvfb) N times
# (default 5), lets each run settle for SETTLE seconds (default 5), asks the
# program to quit as a window's close button does (SDL turns the termination
# request into the same quit event) and prints each close and the longest,
# in seconds. Extra arguments go to scripts/run.sh (e.g. --url URL).
set -euo pipefail

runs=5
case "${1:-}" in
  --help|-h) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; echo "usage: scripts/close_time.sh [N] [RUN.SH OPTION]..."; exit 0 ;;
  ''|*[!0-9]*) ;;
  *) runs=$1; shift ;;
esac

cd "$(dirname "$0")/.."
source scripts/deps.sh
zmr_install_deps

# A display number no other X server holds.
display=99
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
xvfb_log=$(mktemp)
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$xvfb_log" 2>&1 &
xvfb=$!
runner=""
trap 'kill "$xvfb" 2>/dev/null; [ -z "$runner" ] || kill "$runner" 2>/dev/null; wait 2>/dev/null; rm -f "$xvfb_log"' EXIT
export DISPLAY=":$display"
# Runs on a display that is not there would only measure a failed start.
up=0
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && { up=1; break; }
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.05
done
if [ "$up" = 0 ]; then
  if kill -0 "$xvfb" 2>/dev/null; then
    echo "The virtual display :$display did not start within 5 s:" >&2
  else
    echo "The virtual display :$display did not start (Xvfb ended):" >&2
  fi
  cat "$xvfb_log" >&2
  exit 1
fi

log=$(mktemp)
longest=0
for run in $(seq "$runs"); do
  : >"$log"
  scripts/run.sh "$@" >"$log" 2>&1 &
  runner=$!
  app=""
  # The first run may build the program first.
  for _ in $(seq 6000); do
    app=$(ps -o pid= -o comm= --ppid "$runner" | awk '$2 == "zomaru" { print $1 }' || true)
    [ -n "$app" ] && grep -q '^Signed in' "$log" && break
    kill -0 "$runner" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$app" ]; then
    echo "run $run: the program did not start:" >&2
    cat "$log" >&2
    exit 1
  fi
  sleep "${SETTLE:-5}"
  start=$(date +%s.%N)
  kill -TERM "$app"
  while kill -0 "$app" 2>/dev/null; do sleep 0.002; done
  took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  wait "$runner" || { echo "run $run: the program ended with a failure:" >&2; tail -5 "$log" >&2; exit 1; }
  runner=""
  echo "close $run: $took s"
  longest=$(awk -v a="$longest" -v b="$took" 'BEGIN { print (b > a ? b : a) }')
done
rm -f "$log"
echo "longest of $runs: $longest s"
