#!/usr/bin/env bash
# Start-up of the splash window beside a bare Qt window of the same size,
# under Xvfb, in one run with the two interleaved: from exec until the window
# has been painted for the first time, as the programs report it themselves
# (bench_splash starts the splash as the program does; bench_bare_window
# --first-paint), in wall time and in the process's CPU time (which does not
# grow when other processes take the machine's cores). Medians of the runs;
# with valgrind installed, also the instructions each executes until then.
# Usage: bench/startup.sh [build-dir] [runs]
set -euo pipefail
build="${1:-build}"
runs="${2:-15}"
bare="$build/bench/bench_bare_window"
splash="$build/bench/bench_splash"
for exe in "$bare" "$splash"; do
  [ -x "$exe" ] || { echo "build first: $exe" >&2; exit 1; }
done

# A display number nobody uses: Xvfb picks it and writes it to the pipe.
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
for _ in 1 2; do
  read -r line <&3
  case "$line" in pid\ *) xvfb="${line#pid }" ;; *) display="$line" ;; esac
done
trap 'kill "$xvfb" 2>/dev/null' EXIT
export DISPLAY=":$display"

# "wall-ms cpu-ms" from exec until the program reports its first paint.
first_paint() {
  local start out
  start=$(date +%s%N)
  out=$("$@" 2>/dev/null | grep '^first-paint')
  awk -v s="$start" '{printf "%.1f %.1f\n", ($2 - s) / 1e6, $3}' <<<"$out"
}

# Median, min and max of column $1 of the lines read.
stats() { awk -v c="$1" '{print $c}' | sort -n | awk '{a[NR]=$1} END {printf "median %6.1f ms, min %6.1f, max %6.1f (%d runs)", a[int((NR+1)/2)], a[1], a[NR], NR}'; }
median() { awk -v c="$1" '{print $c}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

tmp=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT

first_paint "$bare" --first-paint >/dev/null   # warm the caches once
first_paint "$splash" >/dev/null
for i in $(seq "$runs"); do
  first_paint "$bare" --first-paint >>"$tmp/bare"
  first_paint "$splash" >>"$tmp/splash"
done
echo "first paint, wall:"
echo "  bare Qt window:  $(stats 1 <"$tmp/bare")"
echo "  Vellumor splash: $(stats 1 <"$tmp/splash")"
echo "first paint, process CPU:"
echo "  bare Qt window:  $(stats 2 <"$tmp/bare")"
echo "  Vellumor splash: $(stats 2 <"$tmp/splash")"
awk -v bw="$(median 1 <"$tmp/bare")" -v sw="$(median 1 <"$tmp/splash")" \
    -v bc="$(median 2 <"$tmp/bare")" -v sc="$(median 2 <"$tmp/splash")" \
    'BEGIN {printf "splash / bare, medians: wall %.2fx, CPU %.2fx\n", sw / bw, sc / bc}'


# Instructions until the first paint: the same in every run, whatever the load.
if command -v valgrind >/dev/null; then
  instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null \
      | awk '/Collected :/ {printf "%.1f\n", $4 / 1e6}'
  }
  bi=$(instructions "$bare" --first-paint)
  si=$(instructions "$splash")
  echo "instructions to first paint (callgrind): bare Qt window ${bi} M, Vellumor splash ${si} M," \
       "$(awk -v b="$bi" -v s="$si" 'BEGIN {printf "%.2fx", s / b}')"
fi
