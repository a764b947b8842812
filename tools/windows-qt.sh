#!/usr/bin/env bash
# Cross-builds Qt 6 for Windows (qtbase only: Core, Gui, Widgets, PrintSupport, the windows
# platform plugin and the vista style) from Debian's own qt6-base source, the same version as
# the host tools from qt6-base-dev-tools, with the MinGW-w64 posix toolchain. The installed
# prefix is cached outside the work tree under a key of the source version, the compiler
# version and the configure options, so a second run only checks the cache.
#
# Usage: tools/windows-qt.sh   (as root on Debian 12; installs what it needs with apt-get).
# Prints the prefix on its last line. VORLEND_QT_CACHE overrides /var/cache/vorlend-qt-win.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${VORLEND_QT_CACHE:-/var/cache/vorlend-qt-win}
jobs=${VORLEND_JOBS:-2}
started_at=$(date +%s)

packages=(cmake ninja-build ccache dpkg-dev xz-utils qt6-base-dev qt6-base-dev-tools
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
bash "$root/tools/need-packages.sh" "${packages[@]}"

# The host tools (moc, rcc, uic) must be the very version that is cross-built.
version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev-tools)
gcc_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
toolchain=$root/cmake/mingw-w64-x86_64-qt.cmake

options=(
    -DBUILD_SHARED_LIBS=ON -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_USE_CCACHE=ON
    -DFEATURE_pkg_config=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=ON -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_androiddeployqt=OFF
    # -no-opengl: FEATURE_opengl=OFF alone leaves dynamic OpenGL on.
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF
    # GDI draws the text: DirectWrite's font engine is built only with Direct2D, which the
    # program does not need, and qwindows.dll and Qt6PrintSupport.dll link only without it.
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite=OFF -DFEATURE_directwrite3=OFF
    # The source's own copies serve Windows; the host's libraries are Linux ones.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
    # Windows draws text with its own font engines.
    -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF
    # Debian's repacked source has no wintab.h.
    -DFEATURE_tabletevent=OFF
)
options_hash=$( { printf '%s\n' "${options[@]}"; cat "$toolchain" \
    "$root/cmake/mingw-w64-x86_64-compilers.cmake"; } | sha256sum | cut -c1-12)
key="qtbase-${version//[^A-Za-z0-9.+-]/_}-mingw${gcc_version}-${options_hash}"
prefix=$cache/$key

if [[ -f $prefix/.complete ]]; then
    echo "== Qt for Windows: cached in $prefix ($(($(date +%s) - started_at)) s)" >&2
    echo "$prefix"
    exit 0
fi

# --- the source: Debian's package, with Debian's patches ------------------------------------
mkdir -p "$cache/src"
dsc=$cache/src/qt6-base_${version#*:}.dsc
if [[ ! -f $dsc ]]; then
    sources=/etc/apt/sources.list.d/vorlend-deb-src.sources
    if ! apt-get source --print-uris "qt6-base=$version" >/dev/null 2>&1; then
        # A deb-src twin of each deb entry the machine already has (same URI, suites, key).
        grep -l '^Types:.*\bdeb\b' /etc/apt/sources.list.d/*.sources 2>/dev/null | while read -r f; do
            sed -n '/^Types:/,$p' "$f" | sed 's/^Types:.*/Types: deb-src/'
            echo
        done >"$sources"
        if [[ -f /etc/apt/sources.list ]]; then
            sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"${sources%.sources}.list"
        fi
        apt-get update -qq
    fi
    (cd "$cache/src" && apt-get source -qq --download-only "qt6-base=$version" 2>&1 |
        grep -v 'unsandboxed as root' >&2 || true)
    [[ -f $dsc ]] || { echo "qt6-base $version source not downloaded" >&2; exit 1; }
fi

# One work folder whatever the key, so ccache finds what an earlier build compiled.
work=$cache/work
export CCACHE_BASEDIR=$work
rm -rf "$work"
mkdir -p "$work"
dpkg-source --no-check -x "$dsc" "$work/src" >"$work/unpack.log" 2>&1 ||
    { tail -n 20 "$work/unpack.log" >&2; exit 1; }

# --- configure, build, install --------------------------------------------------------------
echo "== building Qt $version for Windows into $prefix" >&2
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 ||
    { grep -B2 -A12 -m3 'FAILED\|error:' "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
    { tail -n 20 "$work/install.log" >&2; exit 1; }
echo "$version $gcc_version" >"$prefix/.complete"
rm -rf "$work"
echo "== Qt for Windows built in $(($(date +%s) - started_at)) s" >&2
echo "$prefix"
