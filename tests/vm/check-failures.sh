#!/usr/bin/env bash
# make e2e-vm's ways of failing: each must end with its message and a
# non-zero status, and leave no qemu process and no mount behind.
#   tests/vm/check-failures.sh [<windows build dir>]     (as root)
# The checks that boot need the cached image (run make e2e-vm once first)
# and use a copy of it made with hard links; the others need no image. The host's mounts and
# tools are changed only inside mount namespaces of their own.
set -u
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/../.." && pwd)
build=${1:-$checkout/build/win32}
script=$checkout/tools/vm/e2e-vm.sh
cache=/var/cache/mirabo-e2e-vm
work=$(mktemp -d /var/tmp/e2e-vm-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0

# expect <name> <message[|message...]> <command...>: the command fails,
# prints each message, and leaves nothing of its own running or mounted.
expect() {
    local name=$1 message=$2 status
    shift 2
    "$@" >"$work/out" 2>&1
    status=$?
    local missing= part
    IFS='|' read -ra parts <<<"$message"
    for part in "${parts[@]}"; do grep -qF -- "$part" "$work/out" || missing=1; done
    if [ "$status" -eq 0 ] || [ -n "$missing" ]; then
        echo "FAIL $name: status $status, expected a failure saying '$message':"
        tail -n 15 "$work/out" | sed 's/^/  | /'
        failed=1
    elif pgrep -f "$work/" >/dev/null || grep -qF "$work/" /proc/mounts; then
        echo "FAIL $name: left a process or a mount behind"
        failed=1
    else
        echo "ok $name: status $status, '$message'"
    fi
}

# Runs a bash script in a mount namespace of its own, with $work as $1.
in_ns() {
    unshare --mount --propagation private -- bash -c "$1" ns "$work" "${@:2}"
}

expect "scale not a number" "E2E_WAIT_SCALE must be a whole number" env E2E_WAIT_SCALE=8x "$script" "$build"
expect "no build" "not built" "$script" "$work"

key=$(cat "$checkout/tools/vm/image.sh" "$checkout/tools/vm/guest-init" "$checkout/tools/wine-prefix.sh" |
    sha256sum | cut -c1-16)
# A damaged image is not used; making a new one stops at once without room.
expect "damaged image, no room" "is damaged or unfinished|needs 6144 MiB free" in_ns '
    mkdir -p "$1/small" && mount -t tmpfs -o size=64m e2e-check "$1/small" &&
    mkdir "$1/small/$2" && echo "0000  root.img" >"$1/small/$2/SHA256SUMS" &&
    E2E_VM_CACHE=$1/small "$3" "$4"' "$key" "$script" "$build"

# No qemu, and no package mirror to install it from.
printf '#!/bin/sh\necho "E: mirror unreachable" >&2\nexit 100\n' >"$work/apt-get"
chmod +x "$work/apt-get"
expect "no qemu, no mirror" "cannot install qemu-system-x86" in_ns '
    mount --bind /dev/null "$(command -v qemu-system-x86_64)" &&
    mount --bind "$1/apt-get" "$(command -v apt-get)" &&
    E2E_VM_CACHE=$1/cache "$2" "$3"' "$script" "$build"

if [ -f "$cache/$key/SHA256SUMS" ]; then
    # A copy of the cached image in links, under $work, so that its qemu
    # can be told apart from any other.
    rm -rf "$work/cache" && mkdir "$work/cache" && cp -al "$cache/$key" "$work/cache/$key"
    expect "guest does not boot in time" "the guest did not boot within 2 s" \
        env E2E_VM_CACHE="$work/cache" E2E_VM_BOOT_LIMIT=2 "$script" "$build"
    expect "guest does not finish in time" "the guest did not finish within 40 s" \
        env E2E_VM_CACHE="$work/cache" E2E_VM_LIMIT=40 "$script" "$build"
    # Without -smap the guest kernel kills each 32-bit Wine process: the
    # session cannot start and the run says so.
    mkdir -p "$work/bin"
    printf '#!/bin/bash\nexec %s "${@/max,-smap/max}"\n' "$(command -v qemu-system-x86_64)" >"$work/bin/qemu-system-x86_64"
    chmod +x "$work/bin/qemu-system-x86_64"
    expect "guest kernel kills Wine" "FAILED (status" env PATH="$work/bin:$PATH" \
        E2E_VM_CACHE="$work/cache" "$script" "$build" -R disclaimer_shows_thai_buttons
else
    echo "FAIL: no cached image $cache/$key for the checks that boot (run make e2e-vm first)"
    failed=1
fi
[ "$failed" = 0 ] && echo "all e2e-vm failure checks passed"
exit "$failed"
