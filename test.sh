#!/usr/bin/env bash
# Sets everything up as run.sh does, then runs every test headless.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
build_dir="${VELLUMOR_BUILD_DIR:-$here/build}"
export QT_QPA_PLATFORM=offscreen
cd "$build_dir"
ctest --output-on-failure -j "${VELLUMOR_JOBS:-$(nproc)}" "$@"
