#!/usr/bin/env bash
# The Windows package end to end: unpacks the zip from tools/windows-package.sh and runs
# VORLEND.exe from it under Wine with its X11 driver on an Xvfb server, in a private Wine
# prefix, driven with real X input (tests/wine/test_windows_program.py). Its COM ports are
# pseudo-terminals of simulated radios. The screenshots are kept in
# build-windows-gui/wine-shots/ for a person to look at.
#
# Usage: tools/windows-gui-test.sh   (as root on Debian 12; installs what it needs with apt-get)
# Needs the Linux build tree (build/, or VORLEND_BUILD) for the window's places and the
# simulated radio; builds what is missing there.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORLEND_WINDOWS_GUI_BUILD:-$root/build-windows-gui}
native=${VORLEND_BUILD:-$root/build}
jobs=${VORLEND_JOBS:-2}
started_at=$(date +%s)

packages=(wine64 wine xvfb xauth xdotool x11-utils openbox python3 unzip)
bash "$root/tools/need-packages.sh" "${packages[@]}"

zip=$(bash "$root/tools/windows-package.sh" | tail -n1)

# The Linux window (its places), the simulated radio, the line ends and Wine's modem shim.
bash "$root/tools/install-deps.sh" >/dev/null
[[ -f $native/CMakeCache.txt ]] || cmake -S "$root" -B "$native" -G Ninja >/dev/null
cmake --build "$native" -j "$jobs" --target x11_host vorlend-simradio vorlend-pty-peer \
    vorlend-tiocmget-shim >/dev/null
find_built() { find "$native" -name "$1" -type f | head -n1; }

# The package as a user gets it: unpacked into an empty folder.
unpacked=$build/wine-run/unpacked
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
program=$(find "$unpacked" -name VORLEND.exe | head -n1)

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
lines=$build/wine-run/lines
mkdir -p "$lines"
rm -f "$lines"/com*
trap 'wineserver -k 2>/dev/null || true' EXIT
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
fi
# COM ports are read by the server at start.
{
    echo 'REGEDIT4'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    for port in com3 com5 com6; do
        echo "\"${port^^}\"=\"$lines/$port\""
    done
} >"$lines/wine.reg"
wine regedit /S "$(winepath -w "$lines/wine.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
wineserver -k || true
wineserver -w

shots=$build/wine-shots
rm -rf "$shots"
export VORLEND_WINE_PROGRAM=$program VORLEND_WINE_LINES=$lines VORLEND_WINE_SHOTS=$shots
VORLEND_X11_HOST=$(find_built x11_host)
VORLEND_SIMRADIO=$(find_built vorlend-simradio)
VORLEND_PTY_PEER=$(find_built vorlend-pty-peer)
VORLEND_WINE_SHIM=$(find_built vorlend-tiocmget-shim.so)
export VORLEND_X11_HOST VORLEND_SIMRADIO VORLEND_PTY_PEER VORLEND_WINE_SHIM
status=0
(cd "$root/tests/wine" && timeout 900 python3 -m unittest -v test_windows_program) || status=$?
echo "== screenshots: $shots"
echo "== Windows package under Wine: $(($(date +%s) - started_at)) s"
exit "$status"
