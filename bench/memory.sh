#!/usr/bin/env bash
# Resident memory of the installed program under Xvfb, beside a bare Qt
# window: 8 s after ENTER, then after walking every item of the four subject
# lists with the down key; and, in a run of its own, with a 16 MB text
# document open (given on the command line) and 3 s after File, New.
# Reads VmRSS and VmHWM from /proc/PID/status.
# Usage: [SHOT=after-walk.png] bench/memory.sh [build-dir] [runs] [display]
set -euo pipefail
build="${1:-build}"
runs="${2:-3}"
display="${3:-:78}"
app="$build/stage/bin/vellumor"
bare="$build/bench/bench_bare_window"
[ -x "$app" ] && [ -x "$bare" ] || { echo "build and install first: $app, $bare" >&2; exit 1; }

# 800 x 600: the screen the program is made for, so no resolution warning.
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
kill -0 "$xvfb" 2>/dev/null || { echo "cannot start Xvfb on $display (in use?)" >&2; exit 1; }
export DISPLAY="$display"
openbox >/dev/null 2>&1 &
wm=$!
pid=
trap 'kill $pid $wm $xvfb 2>/dev/null || true' EXIT
sleep 1

# "VmRSS VmHWM" in MB
memory() { awk '/^VmRSS/ {r=$2} /^VmHWM/ {h=$2} END {printf "%.1f %.1f\n", r/1024, h/1024}' "/proc/$1/status"; }

# list name, left, top, width, height (pixels inside the main window's
# client area, below the menu bar), item count
lists=(
  "lstBible 368 24 193 18 117"
  "lstSermonType 368 224 161 17 15"
  "LstQuote 552 224 217 18 57"
  "lstJoke 368 400 201 18 93"
)
menubar=23

# Starts the program (with a document when given), presses ENTER on the
# splash and sets main to the main window.
start_app() {
  "$app" "$@" >/dev/null 2>&1 &
  pid=$!
  local splash
  splash=$(xdotool search --sync --onlyvisible --name '^Orvanta$' | head -1)
  sleep 0.5
  xdotool mousemove --window "$splash" 140 188 click 1   # the ENTER button
  # The main window: the program's visible window once the splash is gone.
  while :; do
    main=$(xdotool search --onlyvisible --class vellumor | grep -vx "$splash" | head -1 || true)
    [ -n "$main" ] && break
    sleep 0.1
  done
}

run_app() {
  local main
  start_app
  sleep 8
  local entered walked
  entered=$(memory "$pid")
  for l in "${lists[@]}"; do
    read -r _ x y w h n <<<"$l"
    # Click the list's one visible item (the first), then walk down it.
    xdotool mousemove --window "$main" $((x + w / 3)) $((menubar + y + h / 2)) click 1
    sleep 0.3
    xdotool key --delay 60 --repeat $((n - 1)) Down
    sleep 1
  done
  sleep 2
  walked=$(memory "$pid")
  [ -z "${SHOT:-}" ] || import -window root "$SHOT"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  pid=
  echo "$entered $walked"
}

document=$(mktemp --suffix=.txt)
trap 'kill $pid $wm $xvfb 2>/dev/null || true; rm -f "$document"' EXIT
awk 'BEGIN { while (n < 16 * 1048576) { l = "And God said, Let there be light: and there was light. " NR++ "\n"; printf "%s", l; n += length(l) } }' >"$document"

run_document() {
  local main
  start_app "$document"
  sleep 15 # loaded and laid out
  local open newed
  open=$(memory "$pid")
  xdotool windowactivate --sync "$main" key --delay 100 alt+f n
  sleep 3
  newed=$(memory "$pid")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  pid=
  echo "$open $newed"
}

run_bare() {
  "$bare" >/dev/null 2>&1 &
  pid=$!
  xdotool search --sync --onlyvisible --name '^Baseline$' >/dev/null
  sleep 8
  memory "$pid"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  pid=
}

median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]}'; }

bare_rss=(); app_rows=(); doc_rows=()
for i in $(seq "$runs"); do
  bare_rss+=("$(run_bare | cut -d' ' -f1)")
  app_rows+=("$(run_app)")
  doc_rows+=("$(run_document)")
done
col() { printf '%s\n' "${app_rows[@]}" | cut -d' ' -f"$1" | median; }
dcol() { printf '%s\n' "${doc_rows[@]}" | cut -d' ' -f"$1" | median; }
echo "resident memory in MB, median of $runs runs (each run: $(printf '%s | ' "${app_rows[@]}"))"
echo "bare Qt window, 8 s after shown:          VmRSS $(printf '%s\n' "${bare_rss[@]}" | median)"
echo "Vellumor, 8 s after ENTER:                VmRSS $(col 1), VmHWM $(col 2)"
echo "Vellumor, after walking the four lists:   VmRSS $(col 3), VmHWM $(col 4)"
echo "Vellumor, with a 16 MB document open:     VmRSS $(dcol 1), VmHWM $(dcol 2)"
echo "Vellumor, 3 s after File, New:            VmRSS $(dcol 3), VmHWM $(dcol 4)"
