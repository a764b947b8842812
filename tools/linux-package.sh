#!/usr/bin/env bash
# Makes the Debian package of the program with CPack, from the build tree the README's commands
# use (build/, or VORLEND_BUILD), building what is missing. Prints the .deb's path on its last
# line: build/vorlend_<version>_amd64.deb.
#
# Usage: tools/linux-package.sh   (as root on Debian 12; installs what it needs with apt-get)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORLEND_BUILD:-$root/build}
jobs=${VORLEND_JOBS:-2}

bash "$root/tools/install-deps.sh" >&2
# dpkg-shlibdeps works out the package's library dependencies.
bash "$root/tools/need-packages.sh" dpkg-dev
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -G Ninja >&2
fi
# The program and whatever else is installed; the tests need not be built for it.
cmake --build "$build" -j "$jobs" --target vorlend >&2
rm -f "$build"/vorlend_*.deb
(cd "$build" && cpack -G DEB >&2)
deb=$(find "$build" -maxdepth 1 -name 'vorlend_*.deb' -print -quit)
[[ -n $deb ]] || { echo "cpack made no package" >&2; exit 1; }
dpkg-deb --info "$deb" | sed -n '/Package:/,$p' >&2
dpkg-deb --contents "$deb" | awk '{print "   " $6}' >&2
echo "$deb"
