#!/usr/bin/env bash
# The phone's network namespace: waits for its end of the veth pair, configures it, starts
# the namespace's bus and avahi-daemon, reports ready and then only holds the namespace open.
# Commands enter it with in-phone.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sandbox-common.sh"
workdir=$1

echo $$ >"$workdir/phone.pid.partial"
mv "$workdir/phone.pid.partial" "$workdir/phone.pid"

if ! sandbox_wait_for 10 ip link show phn0; then
  sandbox_log "the phone end of the link never arrived"
  touch "$workdir/phone.failed"
  exit 1
fi
ip link set lo up
ip address add 10.77.0.2/24 dev phn0
ip link set phn0 up
if ! sandbox_start_daemons phn0 umberlin-phone "$workdir/phone"; then
  touch "$workdir/phone.failed"
  exit 1
fi
touch "$workdir/phone.ready"
exec sleep infinity
