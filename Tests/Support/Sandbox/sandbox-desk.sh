#!/usr/bin/env bash
# The desk namespace (process 1 of the sandbox's PID namespace); see run-in-sandbox.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sandbox-common.sh"

phone_commands=()
while (($# > 0)); do
  case $1 in
    --phone) phone_commands+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if (($# == 0)); then
  sandbox_log "no desk command given"
  exit 2
fi

# The sandbox's files live on a tmpfs that only its namespaces see, so nothing is left behind
# even when a timeout kills everything (at most the empty mount point).
workdir=$(mktemp -d /tmp/umberlin-sandbox.XXXXXX)
mount -t tmpfs -o mode=0700 sandbox-files "$workdir"
mkdir "$workdir/tmp"
phone_pids=()
stop_phone_commands() {
  local pid
  for pid in "${phone_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${phone_pids[@]}"; do
    sandbox_wait_for 3 bash -c "! kill -0 $pid" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  umount --lazy "$workdir" 2>/dev/null || true
  rmdir "$workdir" 2>/dev/null || true
}
trap stop_phone_commands EXIT

ip link set lo up
unshare --net --mount --fork --kill-child bash "$here/sandbox-phone.sh" "$workdir" &
if ! sandbox_wait_for 10 test -s "$workdir/phone.pid"; then
  sandbox_log "the phone namespace did not start"
  exit 1
fi
phone_pid=$(cat "$workdir/phone.pid")
ip link add anri0 type veth peer name phn0 netns "$phone_pid"
ip address add 10.77.0.1/24 dev anri0
ip link set anri0 up
sandbox_start_daemons anri0 umberlin-desk "$workdir/desk"
if ! sandbox_wait_for 15 test -e "$workdir/phone.ready" -o -e "$workdir/phone.failed" || [[ -e $workdir/phone.failed ]]; then
  sandbox_log "the phone namespace did not become ready"
  exit 1
fi

export UMBERLIN_SANDBOX_PHONE_PID=$phone_pid
export UMBERLIN_SANDBOX_IN_PHONE=$here/in-phone.sh
export UMBERLIN_SANDBOX_DESK_INTERFACE=anri0
export UMBERLIN_SANDBOX_DESK_ADDRESS=10.77.0.1
export UMBERLIN_SANDBOX_PHONE_ADDRESS=10.77.0.2
export TMPDIR=$workdir/tmp

for command in "${phone_commands[@]}"; do
  "$here/in-phone.sh" bash -c "$command" &
  phone_pids+=($!)
done

status=0
"$@" || status=$?
exit "$status"
