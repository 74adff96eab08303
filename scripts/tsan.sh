#!/usr/bin/env bash
# Builds the tests with ThreadSanitizer in a folder of their own and runs
# them, headless. Slow (several times the usual build and run), so not part
# of CI. Reports that come from inside Qt, which is not built with the
# sanitizer and whose own locks it cannot see, are suppressed by
# scripts/tsan.supp; anything else fails the run.
#   scripts/tsan.sh [ctest arguments, e.g. -R tst_largedocs]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELLUMOR_TSAN_DIR:-$here/build-tsan}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELLUMOR_BUILD_LIBRARY=OFF -DVELLUMOR_HARDENING=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer -O1" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
fi
# The build runs tools of its own (pictures made at build time): quietly.
TSAN_OPTIONS=report_bugs=0 cmake --build "$build" -j "${VELLUMOR_JOBS:-$(nproc)}"
export QT_QPA_PLATFORM=offscreen
# Tests that start programs (print server, LibreOffice, the program itself)
# fork from threaded processes: the child goes on without the tool.
export TSAN_OPTIONS="suppressions=$here/scripts/tsan.supp halt_on_error=0 exitcode=66 second_deadlock_stack=1 die_after_fork=0 ${TSAN_OPTIONS:-}"
cd "$build"
ctest --output-on-failure -j 1 --timeout 1200 "$@"
