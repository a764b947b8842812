#!/usr/bin/env bash
# For trying the program without a radio: starts the simulated radio on a pseudo-terminal and
# the program with that port listed. The radio keeps what is written into it while it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build --target vorlend vorlend-simradio

dir=$(mktemp -d)
build/tools/simradio/vorlend-simradio --link "$dir/radio" &
radio=$!
trap 'kill "$radio" 2>/dev/null; wait "$radio" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 50); do
    [ -e "$dir/radio" ] && break
    sleep 0.1
done
echo "Simulated radio on $dir/radio"
VORLEND_SERIAL_PORTS="$dir/radio" build/vorlend "$@"
