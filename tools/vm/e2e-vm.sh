#!/usr/bin/env bash
# Runs a Windows build's end-to-end suite (tests/e2e/run.sh) inside an
# emulated amd64 machine that runs 32-bit Wine, for hosts that cannot run
# 32-bit code themselves.
#   tools/vm/e2e-vm.sh [<windows build dir> [ctest options, e.g. -R users_]]
# The guest is Debian 12 made from Debian's packages (image.sh), cached in
# $E2E_VM_CACHE (/var/cache/mirabo-e2e-vm) under the hash of its recipe and
# checked against its sums before each use. Each run boots it from a
# throw-away copy of the image (qemu -snapshot), with the checkout shared at
# its own path (9p), so the build's ctest files hold good inside. The cases'
# waits and ctest limits grow by E2E_WAIT_SCALE (see README, "The suite in
# an emulated machine"). Ends with the suite's status, or 1 with the guest
# console's last lines when the guest fails to boot or to finish.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$checkout/build/win32}" 2>/dev/null && pwd) || { echo "e2e-vm: no build folder ${1:-build/win32}" >&2; exit 2; }
shift $(($# > 0))
cache=${E2E_VM_CACHE:-/var/cache/mirabo-e2e-vm}
started=$SECONDS

fail() { echo "e2e-vm: $*" >&2; exit 1; }

[ -f "$build/tests/e2e/e2e.exe" ] || { echo "e2e-vm: $build/tests/e2e/e2e.exe not built (make win32)" >&2; exit 2; }
case $build/ in "$checkout"/*) ;; *) fail "the build $build must be inside the checkout $checkout (the guest sees only the checkout)";; esac
case "$checkout$cache" in *[[:space:]]*) fail "paths with spaces cannot go on the guest's kernel command line: $checkout";; esac

# ---- host tools, from Debian's packages
need=()
# An executable file, not just a name bash would find.
have() { local path; path=$(command -v "$1") && [ -f "$path" ] && [ -x "$path" ]; }
have qemu-system-x86_64 || need+=(qemu-system-x86)
have debootstrap || need+=(debootstrap)
have mkfs.ext4 || need+=(e2fsprogs)
if [ ${#need[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || fail "missing packages (run as root to install): ${need[*]}"
    echo "e2e-vm: installing ${need[*]}" >&2
    apt-get update -q >&2 || echo "e2e-vm: apt-get update failed in part; installing from what it got" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -t bookworm "${need[@]}" >&2 ||
        fail "cannot install ${need[*]} from the package mirror"
fi

[ -z "${E2E_WAIT_SCALE:-}" ] || [[ $E2E_WAIT_SCALE =~ ^([1-9][0-9]?|100)$ ]] ||
    fail "E2E_WAIT_SCALE must be a whole number from 1 to 100, not '$E2E_WAIT_SCALE'"

# KVM where it runs a guest: a nested hypervisor may offer /dev/kvm and
# still refuse the host's processor model (qemu aborts setting MSR 0x10a)
# or never run its first instruction. The image's kernel alone, with no root
# to mount, boots to its panic in a second or two where KVM works; the limit
# only bounds a KVM that hangs.
kvm_runs() {
    [ -w /dev/kvm ] && [ -r /dev/kvm ] || return 1
    timeout 60 qemu-system-x86_64 -accel kvm -cpu host -m 256 -display none -monitor none \
        -serial "file:$run/kvm.log" -no-reboot -nic none -kernel "$image/vmlinuz" \
        -append "console=ttyS0 panic=-1" </dev/null >/dev/null 2>&1 || true
    grep -qs 'Kernel panic' "$run/kvm.log"
}

# Decided once, before the first boot, from the image's kernel.
choose_accel() {
    [ ${#accel[@]} -eq 0 ] || return 0
    if kvm_runs; then
        accel=(-accel kvm -cpu host)
        scale=${E2E_WAIT_SCALE:-2}
    else
        [ -e /dev/kvm ] && echo "e2e-vm: /dev/kvm runs no guest here; emulating" >&2
        # Emulated, about 8 times slower than native here. Without -smap the
        # guest kernel kills every 32-bit Wine process (a fault at Wine's iret).
        accel=(-accel tcg,thread=multi -cpu max,-smap)
        scale=${E2E_WAIT_SCALE:-10}
    fi
}
accel=()
boot_limit=${E2E_VM_BOOT_LIMIT:-180}

# ---- the cached image
key=$(cat "$here/image.sh" "$here/guest-init" "$checkout/tools/wine-prefix.sh" | sha256sum | cut -c1-16)
image=$cache/$key
mkdir -p "$cache"
exec 8>"$cache/lock"
flock 8   # one run at a time checks or makes the image; released once it is ready

# host_mirror <suite> [<apt folder>]: the first archive of the host's own
# package sources that serves <suite> main, the guest's system; none when
# there is none. One-line entries (sources.list, *.list) and deb822 stanzas
# (*.sources) alike; disabled stanzas and other suites do not count.
host_mirror() {
    local apt=${2:-/etc/apt} f found
    found=$(for f in "$apt/sources.list" "$apt"/sources.list.d/*.list "$apt"/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        case $f in
        *.sources) awk -v suite="$1" '
            function has(list, word,   n, i, w) { n = split(list, w, " "); for (i = 1; i <= n; i++) if (w[i] == word) return 1; return 0 }
            function stanza() { if (has(f["types"], "deb") && has(f["suites"], suite) && has(f["components"], "main") &&
                                    !has(tolower(f["enabled"]), "no")) { split(f["uris"], u, " "); print u[1] }
                                delete f }
            /^#/ { next }
            /^[ \t]*$/ { stanza(); next }
            /^[ \t]/ { f[key] = f[key] " " $0; next }
            { key = tolower(substr($0, 1, index($0, ":") - 1)); f[key] = substr($0, index($0, ":") + 1) }
            END { stanza() }' "$f" ;;
        *) sed 's/#.*//; s/\[[^]]*\]//' "$f" |
            awk -v suite="$1" '$1 == "deb" && $3 == suite { for (i = 4; i <= NF; i++) if ($i == "main") { print $2; next } }' ;;
        esac
    done | grep -E '^(https?|file):') || return 1
    echo "${found%%$'\n'*}"
}
suite=$(sed -n 's/^SUITE=//p' "$here/image.sh")

run=$(mktemp -d "${TMPDIR:-/tmp}/e2e-vm.XXXXXX")
qemu_pid=
cleanup() {
    if [ -n "$qemu_pid" ] && kill -0 "$qemu_pid" 2>/dev/null; then
        kill "$qemu_pid" 2>/dev/null
        wait "$qemu_pid" 2>/dev/null
    fi
    rm -rf "$run"
    rm -f "$build/e2e-vm.args"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

console_tail() {
    echo "e2e-vm: last lines of the guest's console ($1):" >&2
    tr -d '\r' <"$run/console.log" | tail -n 25 | sed 's/^/  | /' >&2
}


# boot <mode> <seconds> <qemu disk options> <kernel args...>: boots the
# image, shows its console when E2E_VM_QUIET is unset, waits for it to
# power off. Fails when it has not booted within boot_limit seconds or
# not ended within <seconds>, or when it ends without a status line; prints
# the guest's status otherwise.
boot() {
    local mode=$1 limit=$2 disk=$3
    shift 3
    choose_accel
    : >"$run/console.log"
    qemu-system-x86_64 "${accel[@]}" -smp 2 -m 4096 \
        -display none -monitor none -serial "file:$run/console.log" -no-reboot -nic none \
        -device virtio-rng-pci \
        -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
        -drive "file=$image/root.img,format=raw,if=virtio,$disk" \
        -virtfs "local,path=$checkout,mount_tag=checkout,security_model=none" \
        -append "console=ttyS0 root=/dev/vda rw quiet panic=-1 init=/sbin/e2e-init e2e.mode=$mode $*" \
        </dev/null >"$run/qemu.log" 2>&1 &
    qemu_pid=$!
    if [ "$mode" = suite ] && [ -z "${E2E_VM_QUIET:-}" ]; then
        tail -n +1 -f --pid="$qemu_pid" "$run/console.log" | sed -u -e 's/\r$//' -e '/^e2e-vm: suite status/d' &
    fi
    # Each wait below ends on its event (the line, or qemu's end) and runs in
    # the background, so that a signal reaches the trap at once.
    local watch ended
    timeout "$boot_limit" grep -q -m 1 '^e2e-vm: booted' <(tail -n +1 -f --pid="$qemu_pid" "$run/console.log") &
    watch=$!
    if ! wait -n -p ended "$watch" "$qemu_pid" || [ "$ended" != "$watch" ]; then
        cat "$run/qemu.log" >&2
        console_tail "$mode"
        [ "$ended" = "$qemu_pid" ] && qemu_pid= && fail "qemu ended before the guest booted"
        fail "the guest did not boot within $boot_limit s"
    fi
    local qemu_status=0
    timeout "$limit" tail -f --pid="$qemu_pid" /dev/null &
    watch=$!
    wait -n -p ended "$watch" "$qemu_pid" || qemu_status=$?
    if [ "$ended" = "$watch" ] && kill -0 "$qemu_pid" 2>/dev/null; then
        console_tail "$mode"
        fail "the guest did not finish within $limit s ($mode); stopped"
    fi
    if [ "$ended" != "$qemu_pid" ]; then
        qemu_status=0
        wait "$qemu_pid" || qemu_status=$?
    fi
    qemu_pid=
    wait   # the console's tail
    status=$(tr -d '\r' <"$run/console.log" | sed -n "s/^e2e-vm: $mode status \([0-9]*\)$/\1/p" | tail -n 1)
    if [ -z "$status" ]; then
        cat "$run/qemu.log" >&2
        console_tail "$mode"
        fail "the guest ended without finishing ($mode): qemu exited with status $qemu_status$(
            [ "$qemu_status" -gt 128 ] && echo ", killed by signal $((qemu_status - 128))")"
    fi
}

made=cached
if [ -f "$image/SHA256SUMS" ] && (cd "$image" && sha256sum --quiet -c SHA256SUMS) 2>/dev/null; then
    echo "e2e-vm: cached image $image" >&2
else
    [ -d "$image" ] && echo "e2e-vm: the cached image in $image is damaged or unfinished; making it again" >&2
    # The image comes from the host's own package sources (the guest gets no network).
    mirror=${E2E_VM_MIRROR:-$(host_mirror "$suite")} ||
        fail "no Debian $suite main archive in the host's package sources: add one to /etc/apt/sources.list.d/ (or give E2E_VM_MIRROR=<archive URL>)"
    # The tree (about 2 GiB) and the image beside it.
    need_mb=6144
    free_mb=$(df -Pm "$cache" | awk 'NR == 2 { print $4 }')
    [ "$free_mb" -ge "$need_mb" ] ||
        fail "making the image needs $need_mb MiB free in $cache, there are $free_mb MiB (E2E_VM_CACHE=<folder> puts it elsewhere)"
    # Images of other recipes are outdated.
    find "$cache" -mindepth 1 -maxdepth 1 -type d -regex '.*/[0-9a-f]\{16\}' -exec rm -rf {} +
    t0=$SECONDS
    mkdir -p "$image"
    "$here/image.sh" "$image" "$mirror" || fail "making the image failed (logs in $image)"
    E2E_VM_QUIET=1 boot prefix 1200 "snapshot=off"
    [ "$status" = 0 ] || { console_tail prefix; fail "making the Wine prefix in the guest failed (status $status)"; }
    e2fsck -fn "$image/root.img" >/dev/null 2>&1 || fail "the new image fails e2fsck"
    (cd "$image" && sha256sum root.img vmlinuz initrd.img >SHA256SUMS)
    made="made in $((SECONDS - t0)) s"
    echo "e2e-vm: image $made: $image ($(wc -l <"$image/packages.txt") packages)" >&2
fi

exec 8>&-

# ---- the run
rm -f "$build"/screens/*.bmp
# The ctest options reach the guest in the build, one per NUL.
printf '%s\0' "$@" >"$build/e2e-vm.args"
t0=$SECONDS
choose_accel
echo "e2e-vm: suite of $build in the guest (${accel[1]}, waits and limits x$scale)" >&2
boot suite "${E2E_VM_LIMIT:-3600}" "snapshot=on" \
    "e2e.share=$checkout" "e2e.build=$build" "e2e.scale=$scale"
suite_s=$((SECONDS - t0))
# The screenshots, converted here: natively, in seconds. One that cannot be
# is named and kept as BMP; the suite's result still follows.
"$checkout/tools/screens-png.sh" "$build/screens" || true
total=$((SECONDS - started))
printf 'e2e-vm: %s in %dm%02ds: image %s, guest %dm%02ds (%d%%); logs %s/e2e.log, e2e-junit.xml\n' \
    "$([ "$status" = 0 ] && echo passed || echo "FAILED (status $status)")" $((total / 60)) $((total % 60)) \
    "$made" $((suite_s / 60)) $((suite_s % 60)) $((100 * suite_s / (total > 0 ? total : 1))) "$build" >&2
exit "$status"
