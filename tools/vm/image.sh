#!/usr/bin/env bash
# The end-to-end guest's recipe: a Debian 12 amd64 system that runs 32-bit
# Wine, made from Debian's packages alone (debootstrap, then apt in a chroot,
# then mkfs.ext4 -d: no loop mount). Everything the image holds is named here,
# in guest-init and in tools/wine-prefix.sh, which it copies in; e2e-vm.sh
# keys the cached image on these three files.
#   tools/vm/image.sh <dir> <mirror>
# writes <dir>/root.img (ext4, no partition table), <dir>/vmlinuz,
# <dir>/initrd.img and <dir>/packages.txt (what got installed). The Wine
# prefix is made on the image's first boot (e2e-vm.sh, e2e.mode=prefix).
set -euo pipefail
dir=${1:?usage: image.sh <dir> <mirror>}
mirror=${2:?usage: image.sh <dir> <mirror>}
here=$(cd "$(dirname "$0")" && pwd)

SUITE=bookworm
# What the suite needs in the guest, as tools/install-deps.sh has it on the
# host, and ctest and python3 to run it; no build tools (the host builds).
PACKAGES=(linux-image-amd64 kmod wine wine32:i386 xvfb x11-utils
          fonts-thai-tlwg fonts-dejavu-core locales cmake python3)
LOCALES=("th_TH.UTF-8 UTF-8" "en_US.UTF-8 UTF-8")

root=$dir/root
rm -rf "$root"
mkdir -p "$root"
echo "e2e-vm: debootstrap $SUITE from $mirror" >&2
debootstrap --variant=minbase --arch=amd64 --components=main "$SUITE" "$root" "$mirror" \
    >"$dir/debootstrap.log" 2>&1 || { tail -n 20 "$dir/debootstrap.log" >&2; exit 1; }

echo "deb $mirror $SUITE main" >"$root/etc/apt/sources.list"
# Nothing installed starts a service in the tree.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
printf '%s\n' "${LOCALES[@]}" >"$root/etc/locale.gen"
printf 'e2e-vm\n' >"$root/etc/hostname"
install -D -m 755 "$here/guest-init" "$root/sbin/e2e-init"
install -D -m 755 "$here/../wine-prefix.sh" "$root/opt/e2e/wine-prefix.sh"

# /proc in a mount namespace of its own: it goes away with the chroot's last
# process, however the recipe ends.
echo "e2e-vm: installing ${#PACKAGES[@]} packages and their dependencies" >&2
unshare --mount --propagation private -- chroot "$root" /bin/bash -euo pipefail -c '
    mount -t proc proc /proc
    export DEBIAN_FRONTEND=noninteractive LC_ALL=C
    dpkg --add-architecture i386
    # One index failing mid-sync makes apt-get update exit 100; the install
    # below still takes one consistent set from the suite, or fails.
    apt-get update -q || echo "e2e-vm: apt-get update failed in part; installing from what it got" >&2
    apt-get install -y -q --no-install-recommends -t '"$SUITE"' "$@"
    locale-gen
    apt-get clean
    rm -rf /var/lib/apt/lists/*
    dpkg-query -W -f="\${Package}:\${Architecture} \${Version}\n" >/packages.txt
' e2e "${PACKAGES[@]}" >"$dir/apt.log" 2>&1 || { tail -n 30 "$dir/apt.log" >&2; exit 1; }

mv "$root/packages.txt" "$dir/packages.txt"
cp "$root"/boot/vmlinuz-* "$dir/vmlinuz"
cp "$root"/boot/initrd.img-* "$dir/initrd.img"
# Room beyond the tree for the prefix and what a run writes to its copy.
size=$(( $(du -sm "$root" | cut -f1) + 1024 ))
mkfs.ext4 -q -F -L e2e-root -d "$root" "$dir/root.img" "${size}M" >/dev/null
rm -rf "$root"
