#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, and any further packages named
# as arguments. Run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
    zlib1g-dev libudev-dev
    libgtest-dev libgmock-dev
    libcli11-dev  # the command line's argument parsing
    fonts-liberation2 fontconfig
    xvfb xauth xdotool
    poppler-utils  # pdftotext, pdfinfo: the channel card tests read their PDFs back
    python3
    libreoffice-calc
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi
