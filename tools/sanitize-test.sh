#!/usr/bin/env bash
# Builds the AddressSanitizer + UndefinedBehaviorSanitizer variant in build-asan/ and runs its
# tests (the fuzz targets' corpus replays and the fault matrix included); warnings fail this
# build. CI runs it after tools/test.sh. Extra arguments go to ctest, e.g. -R fuzz_ or -LE slow.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
start=$(date +%s)
cmake --preset asan
cmake --build --preset asan -j2
ctest --preset asan "$@"
echo "sanitize-test: $(($(date +%s) - start)) s"
