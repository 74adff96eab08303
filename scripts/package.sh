#!/usr/bin/env bash
# Builds the Debian package and the tarball, checks them (contents, control
# fields, lintian, desktop-file-validate, appstreamcli), installs the package
# with apt on this machine, starts /usr/bin/vellumor under Xvfb to its splash
# window (screenshot), opens a document through ENTER, closes the program and
# removes the package again. Needs root or sudo; CI does not run it.
#
# Usage: scripts/package.sh [build-folder]    (default: build-package)
# The build dependencies are those scripts/setup.sh installs (./run.sh or
# ./test.sh once); the checking tools are installed here.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${1:-$here/build-package}")"
jobs="${VELLUMOR_JOBS:-$(nproc)}"
id="org.vellumor.Vellumor"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

step() { printf '\n== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }

work="$(mktemp -d)"
installed=0
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ "$installed" -eq 1 ]; then
    $sudo apt-get remove --purge -y -qq vellumor >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

step "tools"
tools=(lintian devscripts desktop-file-utils appstream dpkg-dev xvfb xauth openbox xdotool x11-utils imagemagick man-db)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
command -v cmake >/dev/null && dpkg-query -W qt6-base-dev >/dev/null 2>&1 \
  || fail "build dependencies missing: run ./test.sh or ./run.sh once (scripts/setup.sh installs them)"

step "build ($build, prefix /usr, as the README builds it)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# No flags of our own: the project hardens the build itself.
cmake -S "$here" -B "$build" -G Ninja "${launcher[@]}" \
  -DCMAKE_INSTALL_PREFIX=/usr -DVELLUMOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" > "$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; fail "build"; }
rm -f "$build"/vellumor_*.deb "$build"/vellumor-*.tar.gz
(cd "$build" && cpack -G DEB >/dev/null && cpack -G TGZ >/dev/null)
deb="$(ls "$build"/vellumor_*.deb)"
tgz="$(ls "$build"/vellumor-*.tar.gz)"
[ "$(basename "$deb")" = "vellumor_1.0.0_amd64.deb" ] || fail "unexpected package name $(basename "$deb")"
ls -l "$deb" "$tgz"

step "control fields"
dpkg-deb -f "$deb" Package Version Architecture Maintainer Installed-Size Section Priority Depends Recommends Homepage Description
[ "$(dpkg-deb -f "$deb" Section)" = "editors" ] || fail "section"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "no Qt dependency: dpkg-shlibdeps did not run"
dpkg-deb -f "$deb" Depends | grep -q "libhunspell" || fail "no Hunspell dependency: dpkg-shlibdeps did not run"
dpkg-deb -f "$deb" Recommends | grep -q "hunspell-en-us" || fail "no English dictionary recommended"
dpkg-deb -f "$deb" Maintainer | grep -q "<.*@.*>" || fail "maintainer without an address"

step "contents: exactly the expected files, no importer, no tests, no tools"
expected="$work/expected"
{
  echo ./usr/bin/vellumor
  for db in bible joke quote sermon; do echo "./usr/share/vellumor/$db.db"; done
  echo ./usr/share/vellumor/kjv-words.list
  echo "./usr/share/applications/$id.desktop"
  echo "./usr/share/metainfo/$id.metainfo.xml"
  echo "./usr/share/icons/hicolor/scalable/apps/$id.svg"
  for s in 16 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${s}x${s}/apps/$id.png"; done
  echo ./usr/share/man/man1/vellumor.1.gz
  echo ./usr/share/doc/vellumor/copyright
  echo ./usr/share/doc/vellumor/changelog.gz
} | sort > "$expected"
dpkg-deb -c "$deb" | tee "$work/listing"
awk '$1 !~ /^d/ {print $6}' "$work/listing" | sort > "$work/files"
diff -u "$expected" "$work/files" || fail "the package's files differ from the expected list"
tar -tzf "$tgz" | grep -v '/$' | sed 's|^\./||; s|^|./|' | sort > "$work/tarfiles"
diff -u "$expected" "$work/tarfiles" || fail "the tarball's files differ from the expected list"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for s in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${s}x${s}/apps/$id.png" | grep -q "PNG image data, $s x $s" || fail "icon $s"
done
echo "icons: PNGs at 16, 32, 48, 64, 128 and 256 px"

step "hardening-check"
# Control-flow protection is compiled in, but Debian 12's C start files carry
# no IBT/SHSTK note, so no program linked there is marked (ls and Xvfb are not).
hardening-check --nocfprotection "$root/usr/bin/vellumor" || fail "the program is not hardened"

step "lintian"
lintian --fail-on error --display-info "$deb" | tee "$work/lintian" || fail "lintian reports errors"
[ -s "$work/lintian" ] || echo "(lintian printed nothing)"
grep -q "hardening-" "$work/lintian" && fail "lintian finds the program not hardened"

step "desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
echo "valid"

step "appstreamcli validate --no-net"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
appstreamcli validate-tree --no-net "$root" || fail "metainfo with the desktop entry and icons"

step "install with apt"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --reinstall "$deb" >/dev/null
installed=1
dpkg-query -W -f='${Package} ${Version} ${Status}\n' vellumor
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/vellumor --version
man -w vellumor

step "start /usr/bin/vellumor under Xvfb"
display=""
for n in $(seq 95 -1 20); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || fail "no free X display"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
# A private home: the settings the program writes on closing go there.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
document="$work/Sunday sermon.txt"
printf 'In the beginning was the Word.\r\n' > "$document"

/usr/bin/vellumor "$document" >"$work/vellumor.log" 2>&1 &
app=$!
pids+=("$app")
splash="$(timeout 30 xdotool search --sync --onlyvisible --name '^Orvanta$' | head -n 1)" || fail "no splash window"
sleep 1
import -window root "$build/splash.png"
echo "splash window $splash; screenshot $build/splash.png"
# X11 docks match windows to the menu entry by StartupWMClass.
wm_class="$(xprop -id "$splash" WM_CLASS)"
echo "$wm_class"
[[ "$wm_class" == *'"Vellumor"' ]] || fail "WM_CLASS is not the entry's StartupWMClass"

# ENTER, clicked as a user would: the button's middle, 140,188 px in the window.
xdotool windowactivate --sync "$splash" mousemove --window "$splash" 140 188 click 1
title="Text Editor - $document"
main="$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)" \
  || fail "ENTER did not open the main window with $document"
sleep 1
import -window root "$build/main-window.png"
echo "main window \"$title\"; screenshot $build/main-window.png"
xdotool windowactivate --sync "$main" key alt+F4
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end when its main window was closed"
wait "$app" || fail "the program ended with status $?"
grep -q '^MainWidth=' "$XDG_CONFIG_HOME/Vellumor/Vellumor.conf" || fail "no settings written on closing"
echo "closed normally; settings written to \$XDG_CONFIG_HOME/Vellumor/Vellumor.conf"

step "remove"
$sudo apt-get remove --purge -y -qq vellumor >/dev/null
installed=0
[ -e /usr/bin/vellumor ] && fail "/usr/bin/vellumor is still there"
dpkg -s vellumor >/dev/null 2>&1 && fail "dpkg still knows vellumor"
echo "removed"

printf '\nPACKAGE CHECKS PASSED: %s\n' "$deb"
