#!/bin/bash
# Inside the end-to-end guest (tools/vm/guest-init runs it from the shared
# checkout): the end-to-end suite of a build made on the host.
#   guest-suite.sh <build> <wait scale>
# The build is copied into memory at its own path: a program run straight
# from the 9p share faults in its first instructions under Wine. The
# Wine prefix is the image's own, made once. The logs, the JUnit file, ctest's
# Testing/ and the screenshots (BMP: the host converts them) go back to the
# shared build after the run.
# The ctest options given to e2e-vm.sh are in <build>/e2e-vm.args.
set -u
build=${1:?usage: guest-suite.sh <build> <wait scale>}
here=$(cd "$(dirname "$0")" && pwd)
host=/mnt/host-build
mkdir -p "$host" && mount --bind "$build" "$host" &&
    mount -t tmpfs -o size=2g e2e-build "$build" &&
    tar -C "$host" --exclude=./wineprefix --exclude=./e2e-work --exclude=./screens -cf - . | tar -C "$build" -xf - &&
    cp -a /opt/e2e/prefix "$build/wineprefix" || { echo "e2e-vm: cannot copy $build into the guest"; exit 1; }
export E2E_WAIT_SCALE=${2:?} E2E_KEEP_BMP=1
args=()
[ -s "$build/e2e-vm.args" ] && mapfile -d '' args <"$build/e2e-vm.args"
"$here/../../tests/e2e/run.sh" "$build" "${args[@]}"
status=$?
rm -rf "$host/screens" "$host/Testing"
cp -r "$build/screens" "$build/Testing" "$host/" &&
    cp "$build/e2e.log" "$build/e2e-junit.xml" "$host/" || status=1
umount "$build" "$host"
exit $status
