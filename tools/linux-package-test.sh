#!/usr/bin/env bash
# Installs the Debian package (tools/linux-package.sh) with apt into a clean Debian 12 root made
# by debootstrap, and starts the installed program there on Qt's offscreen platform: it must
# come up with every library it needs, stay up, and a second copy must hand over and end with 0.
# The clean root is cached as a tarball outside the work tree (VORLEND_DEBOOTSTRAP_CACHE,
# /var/cache/vorlend-debootstrap); each run unpacks a fresh copy of it.
#
# Usage: tools/linux-package-test.sh   (as root on Debian 12)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${VORLEND_DEBOOTSTRAP_CACHE:-/var/cache/vorlend-debootstrap}
started_at=$(date +%s)

bash "$root/tools/need-packages.sh" debootstrap
deb=$(bash "$root/tools/linux-package.sh" | tail -n1)

# The mirror and key the machine's own apt sources use.
mirror=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk '{print $1}' | grep -m1 '/debian/\?$' || true)
if [[ -z $mirror ]]; then
    mirror=$(awk '$1 == "deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
fi
[[ -n $mirror ]] || { echo "no Debian mirror in the apt sources" >&2; exit 1; }
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

mkdir -p "$cache/archives/partial"
base=$cache/bookworm-minbase.tar
if [[ ! -f $base ]]; then
    echo "== debootstrap bookworm from $mirror" >&2
    tree=$cache/tree.new
    rm -rf "$tree"
    debootstrap --variant=minbase --keyring="$keyring" bookworm "$tree" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
        { tail -n 20 "$cache/debootstrap.log" >&2; exit 1; }
    rm -rf "$tree"/var/cache/apt/archives/*.deb "$tree"/var/lib/apt/lists/*_Packages
    tar -C "$tree" -cf "$base.new" .
    mv "$base.new" "$base"
    rm -rf "$tree"
fi

target=$(mktemp -d /var/tmp/vorlend-clean-root.XXXXXX)
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[i]}" 2>/dev/null || true
    done
    rm -rf --one-file-system "$target"
}
trap cleanup EXIT
tar -C "$target" -xf "$base"
for fs in proc sys dev; do
    mount --bind "/$fs" "$target/$fs"
    mounted+=("$target/$fs")
done
# Downloaded packages are kept between runs; the lists are fetched anew.
mount --bind "$cache/archives" "$target/var/cache/apt/archives"
mounted+=("$target/var/cache/apt/archives")
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "$deb" "$target/tmp/"
in_root() { chroot "$target" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== apt install $(basename "$deb") into a clean Debian 12 root" >&2
in_root apt-get update -qq >&2
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "/tmp/$(basename "$deb")" >"$target/tmp/install.log" 2>&1 ||
    { tail -n 30 "$target/tmp/install.log" >&2; exit 1; }
grep 'dialout' "$target/tmp/install.log" >&2 ||
    { echo "the install did not tell about the dialout group" >&2; exit 1; }
echo "== $(grep -c '^Setting up ' "$target/tmp/install.log") packages set up" >&2

fail() { echo "installed package: $*" >&2; exit 1; }
for file in /usr/bin/vorlend /usr/share/applications/vorlend.desktop \
    /usr/share/icons/hicolor/128x128/apps/vorlend.png; do
    in_root test -f "$file" || fail "$file is missing"
done
missing_libs=$(in_root ldd /usr/bin/vorlend | grep 'not found' || true)
[[ -z $missing_libs ]] || fail "libraries not found: $missing_libs"

# The program on the offscreen platform, as a user would start it from the menu's entry.
exec_line=$(in_root sed -n 's/^Exec=//p' /usr/share/applications/vorlend.desktop)
mkdir -m 700 "$target/run/user-session"
run=(chroot "$target" env -i PATH=/usr/bin:/bin HOME=/tmp LANG=C.UTF-8 TMPDIR=/tmp
     XDG_RUNTIME_DIR=/run/user-session QT_QPA_PLATFORM=offscreen VORLEND_SERIAL_PORTS=)
"${run[@]}" $exec_line >"$target/tmp/first.log" 2>&1 &
first=$!
sleep 5
kill -0 "$first" 2>/dev/null || { cat "$target/tmp/first.log" >&2; fail "the program ended at start"; }
status=0
timeout 20 "${run[@]}" $exec_line >"$target/tmp/second.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || { cat "$target/tmp/second.log" >&2; fail "a second copy ended with $status"; }
kill -0 "$first" 2>/dev/null || fail "the first copy ended when the second started"
kill "$first"
wait "$first" 2>/dev/null || true
sed 's/^/   program: /' "$target/tmp/first.log" "$target/tmp/second.log" >&2
if grep -qi 'could not\|cannot\|error' "$target/tmp/first.log"; then
    cat "$target/tmp/first.log" >&2
    fail "the program complained"
fi
echo "== the package installs and its program runs in a clean Debian 12 root" \
    "($(($(date +%s) - started_at)) s)"
