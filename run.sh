#!/usr/bin/env bash
# Sets everything up (packages, build, reference library, install) and starts Vellumor.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
build_dir="${VELLUMOR_BUILD_DIR:-$here/build}"
prefix="${VELLUMOR_PREFIX:-$build_dir/stage}"
exec "$prefix/bin/vellumor" "$@"
