#!/usr/bin/env bash
# Runs test functions of a QtTest program on a virtual 800x600 screen under a
# real window manager (openbox), which frames windows with a title bar and
# borders as a desktop does. Exits 77 (skipped) without Xvfb or openbox.
# Usage: under_window_manager.sh <test program> [test function...]
set -euo pipefail
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "needs Xvfb and openbox"; exit 77; }
work=$(mktemp -d)

# Xvfb picks a free display number and writes it to the pipe.
exec 3< <(Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp 2>/dev/null & echo "pid $!")
for _ in 1 2; do
  read -r line <&3
  case "$line" in pid\ *) xvfb="${line#pid }" ;; *) display="$line" ;; esac
done
export DISPLAY=":$display"
openbox --sm-disable --startup "touch $work/ready" >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
# openbox runs the start-up command once it manages the screen.
for _ in $(seq 100); do [ -e "$work/ready" ] && break; sleep 0.1; done
[ -e "$work/ready" ] || { echo "openbox did not start"; exit 1; }

QT_QPA_PLATFORM=xcb "$@"
