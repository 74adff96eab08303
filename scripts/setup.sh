#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: installs what is missing with
# apt-get, configures, builds (the program, the tests and the reference
# library) and installs into the prefix. Re-running is incremental.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${VELLUMOR_BUILD_DIR:-$here/build}"
prefix="${VELLUMOR_PREFIX:-$build_dir/stage}"

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libsqlite3-dev libgl-dev
  libhunspell-dev
  # the dictionary spelling is checked against
  hunspell-en-us
  # reference library sources
  libsword-dev sword-text-kjv sword-dict-naves sword-dict-strongs-hebrew sword-dict-strongs-greek
  sword-comm-tdavid
  fortunes fortunes-min dict-devil zlib1g-dev
  # fonts that stand in for the classic Windows faces
  fonts-liberation fonts-dejavu-core
  # headless tests and checks
  xvfb xauth poppler-utils openbox
  # a private print server with a PDF printer proves the printing path
  cups printer-driver-cups-pdf
)
# LibreOffice Writer proves that RTF travels both ways between Vellumor and
# word processors. It is large (about 80 MB to fetch), so only CI and those
# who ask for it install it; the test says it skipped elsewhere.
if [ "${CI:-}" = "true" ] || [ -n "${VELLUMOR_WITH_LIBREOFFICE:-}" ]; then
  packages+=(libreoffice-writer-nogui)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "== installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$here" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX="$prefix"
fi
jobs="${VELLUMOR_JOBS:-$(nproc)}"
cmake --build "$build_dir" -j "$jobs"
cmake --install "$build_dir" > /dev/null
echo "== installed into $prefix"
