#!/usr/bin/env bash
# Builds VORLEND.exe, the real program, for 64-bit Windows against the Qt that
# tools/windows-qt.sh cross-builds, and packs it as a zip that runs on a Windows machine with
# nothing installed: the executable, the Qt DLLs and plugins it loads, the MinGW runtime DLLs
# that it and Qt share, Qt's Russian texts and a Russian read-me.
#
# Usage: tools/windows-package.sh   (as root on Debian 12; installs what it needs with apt-get)
# Build tree: build-windows-gui/ (VORLEND_WINDOWS_GUI_BUILD overrides it). Prints the zip's
# path on its last line: build-windows-gui/package/VORLEND-<version>-windows-x64.zip.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORLEND_WINDOWS_GUI_BUILD:-$root/build-windows-gui}
jobs=${VORLEND_JOBS:-2}
started_at=$(date +%s)
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}

packages=(cmake ninja-build ccache python3 libz-mingw-w64-dev qt6-translations-l10n
          g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
bash "$root/tools/need-packages.sh" "${packages[@]}"

qt=$(bash "$root/tools/windows-qt.sh" | tail -n1)
mingw=/usr/x86_64-w64-mingw32

# --- the program --------------------------------------------------------------------------
# zlib is linked in (the static library), the C++ runtime shared with Qt's DLLs.
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVORLEND_MINGW_SHARED_RUNTIME=ON \
    -DVORLEND_TESTS=OFF -DVORLEND_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DVORLEND_QT_PREFIX="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DZLIB_INCLUDE_DIR=$mingw/include -DZLIB_LIBRARY=$mingw/lib/libz.a >"$build/configure.log" 2>&1 ||
    { tail -n 30 "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$jobs" --target vorlend >&2
exe=$build/VORLEND.exe

# Its resources, as Windows will see them: icon, manifest, version information.
resources=$(x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null || true)
for resource in '^107 14 ' '^1 24 ' '^1 VERSIONINFO' 'VORLEND RADIO SOFTWARE VER2.0'; do
    grep -q "$resource" <<<"$resources" ||
        { echo "VORLEND.exe lacks the resource $resource" >&2; exit 1; }
done

# --- what it loads --------------------------------------------------------------------------
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=VORLEND-$version-windows-x64
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations"

gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
dll_dirs=("$qt/bin" "$gcc_dir" "$mingw/lib" "$mingw/bin")
find_dll() {
    local dir found
    for dir in "${dll_dirs[@]}"; do
        found=$(find "$dir" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
        [[ -n $found ]] && { echo "$found"; return 0; }
    done
    return 1
}
# The DLLs a file imports that do not come with Windows, and theirs, beside the executable.
declare -A shipped=()
ship_imports() {
    local dll path
    while read -r dll; do
        [[ -n ${shipped[${dll,,}]:-} ]] && continue
        path=$(find_dll "$dll") || continue # a system DLL
        shipped[${dll,,}]=1
        x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$(basename "$path")" "$path"
        ship_imports "$path"
    done < <(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
}

x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/VORLEND.exe" "$exe"
ship_imports "$exe"
# The plugins Qt loads by name: the Windows platform and the native style.
x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/platforms/qwindows.dll" \
    "$qt/plugins/platforms/qwindows.dll"
x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/styles/qwindowsvistastyle.dll" \
    "$qt/plugins/styles/qwindowsvistastyle.dll"
ship_imports "$stage/platforms/qwindows.dll"
ship_imports "$stage/styles/qwindowsvistastyle.dll"
# Qt's own dialogs in Russian (the file is the same on every platform).
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
cp "$root/packaging/windows/qt.conf" "$root/packaging/windows/README.txt" "$stage/"

zip=$build/package/$name.zip
python3 - "$build/package" "$name" "$zip" <<'PY'
import os, sys, zipfile
base, name, target = sys.argv[1:]
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for folder, dirs, files in os.walk(os.path.join(base, name)):
        dirs.sort()
        for file in sorted(files):
            path = os.path.join(folder, file)
            archive.write(path, os.path.relpath(path, base))
PY
echo "== $name.zip: $(du -k "$zip" | cut -f1) KB, $(find "$stage" -type f | wc -l) files," \
    "in $(($(date +%s) - started_at)) s:" >&2
(cd "$stage" && find . -type f | sort | sed 's/^\.\//   /') >&2
echo "$zip"
