#!/usr/bin/env bash
# Start-up of the splash window beside a bare Qt window of the same size,
# under Xvfb, in one run with the two interleaved: from exec until the window
# has been painted for the first time, as the programs report it themselves
# (bench_splash starts the splash as the program does; bench_bare_window
# --first-paint), in wall time and in the process's CPU time (which does not
# grow when other processes take the machine's cores). Medians of the runs;
# with valgrind installed, also the instructions each executes until then.
# A second baseline, the bare window with the splash's texts in plain labels
# (--with-text), shows what the texts alone cost.
# The splash paints the look it kept from the start before (in a cache
# folder of this run, written by a first run), and shows its controls right
# after: also reported is when all its controls have been painted ("ready"),
# and the first start, with nothing kept.
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

# "wall-ms cpu-ms" from exec until the program reports its first paint, then
# the same until it reports being ready when it does.
first_paint() {
  local start out
  start=$(date +%s%N)
  out=$("$@" 2>/dev/null | grep -E '^(first-paint|ready) ' | sort)
  awk -v s="$start" '{printf "%.1f %.1f ", ($2 - s) / 1e6, $3} END {print ""}' <<<"$out"
}

# Median, min and max of column $1 of the lines read.
stats() { awk -v c="$1" '{print $c}' | sort -n | awk '{a[NR]=$1} END {printf "median %6.1f ms, min %6.1f, max %6.1f (%d runs)", a[int((NR+1)/2)], a[1], a[NR], NR}'; }
median() { awk -v c="$1" '{print $c}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

tmp=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$tmp"' EXIT
# The splash keeps its look here, not in the user's cache; "none" stays empty.
kept="$tmp/kept"
none="$tmp/none"

first_paint "$bare" --first-paint >/dev/null   # warm the caches once
first_paint "$bare" --first-paint --with-text >/dev/null
XDG_CACHE_HOME="$kept" "$splash" --settle >/dev/null 2>&1   # keeps the look
XDG_CACHE_HOME="$none" first_paint "$splash" >/dev/null
for i in $(seq "$runs"); do
  first_paint "$bare" --first-paint >>"$tmp/bare"
  first_paint "$bare" --first-paint --with-text >>"$tmp/text"
  XDG_CACHE_HOME="$kept" first_paint "$splash" --ready >>"$tmp/splash"
  XDG_CACHE_HOME="$none" first_paint "$splash" >>"$tmp/first"
done
for column in 1 2; do
  [ "$column" = 1 ] && echo "first paint, wall:" || echo "first paint, process CPU:"
  echo "  bare Qt window:              $(stats "$column" <"$tmp/bare")"
  echo "  bare Qt window, splash text: $(stats "$column" <"$tmp/text")"
  echo "  Vellumor splash:             $(stats "$column" <"$tmp/splash")"
  echo "  ... ready (controls shown):  $(stats "$((column + 2))" <"$tmp/splash")"
  echo "  ... first start, none kept:  $(stats "$column" <"$tmp/first")"
done
ratio() { awk -v a="$(median "$1" <"$2")" -v b="$(median "$1" <"$3")" 'BEGIN {printf "%.2fx", a / b}'; }
echo "splash / bare, medians: wall $(ratio 1 "$tmp/splash" "$tmp/bare"), CPU $(ratio 2 "$tmp/splash" "$tmp/bare")"
echo "splash / bare with the splash's text: wall $(ratio 1 "$tmp/splash" "$tmp/text"), CPU $(ratio 2 "$tmp/splash" "$tmp/text")"
echo "splash first start / bare: wall $(ratio 1 "$tmp/first" "$tmp/bare"), CPU $(ratio 2 "$tmp/first" "$tmp/bare")"
# The runs of one round follow each other, so they share the machine's load
# more than runs far apart do: the median of each round's quotient.
paired() { paste -d' ' "$2" "$3" | awk -v c="$1" -v n="$(head -1 "$2" | wc -w)" '{print $c / $(c + n)}' \
  | sort -g | awk '{a[NR]=$1} END {printf "%.2fx", a[int((NR+1)/2)]}'; }
echo "splash / bare, median of the rounds' quotients: wall $(paired 1 "$tmp/splash" "$tmp/bare")," \
     "CPU $(paired 2 "$tmp/splash" "$tmp/bare")"


# Instructions until the first paint (the programs end there): the same in
# every run, whatever the load.
if command -v valgrind >/dev/null; then
  instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null \
      | awk '/Collected :/ {printf "%.1f\n", $4 / 1e6}'
  }
  bi=$(instructions "$bare" --first-paint)
  ti=$(instructions "$bare" --first-paint --with-text)
  si=$(XDG_CACHE_HOME="$kept" instructions "$splash")
  ri=$(XDG_CACHE_HOME="$kept" instructions "$splash" --ready)
  first=$(XDG_CACHE_HOME="$none" instructions "$splash")
  times() { awk -v b="$1" -v s="$2" 'BEGIN {printf "%.2fx", s / b}'; }
  echo "instructions to first paint (callgrind): bare Qt window ${bi} M, with the splash's text ${ti} M," \
       "Vellumor splash ${si} M: $(times "$bi" "$si") and $(times "$ti" "$si");" \
       "until ready ${ri} M; first start ${first} M: $(times "$bi" "$first")"
fi
