#!/usr/bin/env bash
# The code's gates: every C++ file as .clang-format lays it out, each folder including only the
# folders it may use and no include cycles (tools/check-layers.py), and clang-tidy's checks
# (.clang-tidy) clean on the Qt-free layers (model/, file/, link/, cli/, tools/). The -Werror
# build is the sanitizer run's (tools/sanitize-test.sh).
#
# Usage: tools/lint.sh   (as root on Debian 12; installs what it needs with apt-get)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh clang-format clang-tidy

start=$(date +%s)
echo "== clang-format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== layers"
python3 tools/check-layers.py

echo "== clang-tidy"
# Configuring is enough: the Qt-free code needs no generated files.
cmake -S . -B build-lint -G Ninja -DVORLEND_GUI=OFF -DVORLEND_TESTS=OFF -DVORLEND_BENCH=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
run-clang-tidy -quiet -p build-lint -j "${VORLEND_JOBS:-2}" \
    "$(pwd)/(model|file|link|cli|tools)/.*\.cpp$" >build-lint/tidy.log 2>&1 || {
    sed 's/\x1b\[[0-9;]*m//g' build-lint/tidy.log | grep -E -A3 "(warning|error):"
    echo "lint: clang-tidy found faults" >&2
    exit 1
}
echo "lint: $(($(date +%s) - start)) s"
