#!/usr/bin/env bash
# Cross-builds model/, file/, link/ and their tests for Windows with MinGW-w64 and runs the
# tests under Wine, headless, in a private Wine prefix. The Win32 serial port is tested on
# COM ports that Wine maps to pseudo-terminals: COM5 is the simulated radio, COM6 an echoing
# line that can be hung up, COM7 a port whose device file is missing, COM8 a simulated radio
# behind an adapter that splits every reply.
#
# Usage: tools/windows-test.sh [extra ctest arguments]   (as root on Debian 12; installs what
# it needs with apt-get). Build tree: build-windows/ (VORLEND_WINDOWS_BUILD overrides it).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORLEND_WINDOWS_BUILD:-$root/build-windows}
jobs=${VORLEND_JOBS:-2}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
native=$build/native
deps=$build/deps
lines=$build/lines

figures=()
started_at=$(date +%s.%N)
phase_start() { phase_began=$(date +%s.%N); }
phase_end() {
    local seconds
    seconds=$(awk -v a="$phase_began" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
    figures+=("$1: ${seconds} s")
    echo "== $1: ${seconds} s"
}

# --- packages ------------------------------------------------------------------------------
phase_start
packages=(cmake ninja-build g++ gcc googletest g++-mingw-w64-x86-64-posix
          gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
phase_end "packages"

# --- Linux-side helpers: the simulated radio, the echo line, the modem-status shim ----------
phase_start
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORLEND_GUI=OFF \
    -DVORLEND_TESTS=OFF -DVORLEND_BENCH=OFF >/dev/null
cmake --build "$native" -j "$jobs" --target vorlend-simradio vorlend-pty-peer vorlend-tiocmget-shim
simradio=$(find "$native" -name vorlend-simradio -type f -perm -u+x | head -n1)
pty_peer=$(find "$native" -name vorlend-pty-peer -type f -perm -u+x | head -n1)
shim=$(find "$native" -name vorlend-tiocmget-shim.so -type f | head -n1)
phase_end "native helpers"

# --- GoogleTest for Windows, from Debian's sources ------------------------------------------
phase_start
if [[ ! -f $deps/lib/cmake/GTest/GTestConfig.cmake ]]; then
    cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
    cmake --build "$build/googletest" -j "$jobs" >/dev/null
    cmake --install "$build/googletest" >/dev/null
fi
phase_end "googletest (cross)"

# --- the cross-build --------------------------------------------------------------------
phase_start
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLEND_GUI=OFF -DVORLEND_BENCH=OFF \
    -DGTest_DIR="$deps/lib/cmake/GTest" >/dev/null
cmake --build "$build" -j "$jobs"
phase_end "cross-build"

# --- Wine: a private, headless prefix -----------------------------------------------------
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs them, and they would ask on a display.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

pids=()
cleanup() {
    local i
    # Last started first: a line's claimer goes before the radio whose pty it holds, so it is
    # not hung up under the shell's eyes.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

phase_start
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
fi
mkdir -p "$lines"
rm -f "$lines"/com5 "$lines"/com6 "$lines"/com8
# Windows with no display: the null graphics driver. COM ports: read by the server at start.
{
    echo 'REGEDIT4'
    echo
    echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
    echo '"Graphics"="null"'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    echo "\"COM5\"=\"$lines/com5\""
    echo "\"COM6\"=\"$lines/com6\""
    echo "\"COM7\"=\"$lines/missing-device\""
    echo "\"COM8\"=\"$lines/com8\""
} >"$lines/wine.reg"
wine regedit /S "$(winepath -w "$lines/wine.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
wineserver -k || true
wineserver -w
phase_end "wine prefix"

# --- the lines ----------------------------------------------------------------------------
phase_start
"$simradio" --link "$lines/com5" >"$lines/simradio.out" 2>&1 &
pids+=($!)
"$pty_peer" "$lines/com6" >"$lines/echo.out" 2>&1 &
pids+=($!)
# Every reply cut after 20 bytes and the rest sent 60 ms later, past the read window that
# delivers the first piece; through a 16 ms FTDI latency timer.
"$simradio" --link "$lines/com8" --adapter ftdi:16 --split 20:60 >"$lines/simradio-split.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [[ -L $lines/com5 && -L $lines/com6 && -L $lines/com8 ]] && break
    sleep 0.05
done
[[ -L $lines/com5 && -L $lines/com6 && -L $lines/com8 ]] ||
    { echo "the simulated lines did not start" >&2; exit 1; }
# The simulated radios' ptys get sessions of their own, so Wine never takes them as terminals.
for line in com5 com8; do
    "$pty_peer" --claim "$(readlink "$lines/$line")" >"$lines/claim-$line.out" 2>&1 &
    pids+=($!)
done

# The server stays up between the tests; started here, it holds none of ctest's pipes, and
# neither do the services that the first Wine process starts.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
phase_end "wine warm-up"

# --- the tests ----------------------------------------------------------------------------
phase_start
export VORLEND_WINE_RADIO_PORT=COM5 VORLEND_WINE_ECHO_PORT=COM6 VORLEND_WINE_MISSING_PORT=COM7
export VORLEND_WINE_SPLIT_PORT=COM8
# Wine's WaitCommEvent needs the modem status, which a pty does not have: the shim answers it.
status=0
LD_PRELOAD=$shim ctest --test-dir "$build" --output-on-failure --timeout 300 "$@" ||
    status=$?
phase_end "tests under Wine"

# What the port tests measured (read/write times through the Win32 port).
grep -h '^figure:' "$build/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u | sed 's/^/   /' || true
figures+=("total: $(awk -v a="$started_at" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s")
echo "== Windows build and tests:"
printf '   %s\n' "${figures[@]}"
exit "$status"
