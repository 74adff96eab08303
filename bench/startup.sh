#!/usr/bin/env bash
# Start-up time to the splash window, beside a bare Qt window, under Xvfb.
# Usage: bench/startup.sh [build-dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-15}"
app="$build/src/vellumor"
bare="$build/bench/bench_bare_window"
[ -x "$app" ] && [ -x "$bare" ] || { echo "build first: $app, $bare" >&2; exit 1; }

display=:77
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY="$display"

# Milliseconds from exec until a window with the title is mapped.
measure() {
  local exe="$1" title="$2" start end pid
  start=$(date +%s%N)
  "$exe" >/dev/null 2>&1 &
  pid=$!
  xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null
  end=$(date +%s%N)
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  echo $(( (end - start) / 1000000 ))
}

stats() { sort -n | awk '{a[NR]=$1} END {printf "median %d ms, min %d ms, max %d ms (%d runs)\n", a[int((NR+1)/2)], a[1], a[NR], NR}'; }

measure "$bare" Baseline >/dev/null   # warm the caches once
measure "$app" Orvanta >/dev/null
echo "bare Qt window:  $(for i in $(seq "$runs"); do measure "$bare" Baseline; done | stats)"
echo "Vellumor splash: $(for i in $(seq "$runs"); do measure "$app" Orvanta; done | stats)"
