#!/usr/bin/env bash
# run-in-sandbox.sh [--timeout SECONDS] [--phone COMMAND]... [--] DESK-COMMAND [ARG...]
#
# Runs DESK-COMMAND in a private two-namespace network and returns its exit status:
#
#   desk namespace                          phone namespace
#   anri0 10.77.0.1/24  <---- veth ---->    phn0 10.77.0.2/24
#   own system bus + avahi-daemon           own system bus + avahi-daemon
#   (allowed on anri0 only)                 (allowed on phn0 only)
#
# DNS-SD traffic crosses only this virtual link; the machine's real interfaces never see it.
# Each --phone COMMAND runs (through bash -c) in the phone namespace in the background before
# DESK-COMMAND starts, and is stopped by its process id when DESK-COMMAND ends. DESK-COMMAND
# can start more phone commands itself with "$UMBERLIN_SANDBOX_IN_PHONE" COMMAND [ARG...].
# It sees UMBERLIN_SANDBOX_DESK_INTERFACE (anri0), UMBERLIN_SANDBOX_DESK_ADDRESS,
# UMBERLIN_SANDBOX_PHONE_ADDRESS and UMBERLIN_SANDBOX_PHONE_PID, and a TMPDIR on a tmpfs that
# both namespaces share and that vanishes with them.
#
# Everything lives in a new PID namespace: when DESK-COMMAND ends, or the timeout (default
# 120 s) strikes, the kernel ends every process and both namespaces.
#
# Exit status 77 (and a line saying why) when namespaces cannot be created here or a tool is
# missing, so that test runners can report a skip.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

timeout_seconds=120
if [[ ${1:-} == --timeout ]]; then
  timeout_seconds=$2
  shift 2
fi

missing=()
for tool in unshare nsenter ip dbus-daemon dbus-send avahi-daemon avahi-browse timeout; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]} > 0)); then
  echo "sandbox unavailable: missing ${missing[*]} (Debian packages util-linux iproute2 dbus avahi-daemon avahi-utils)" >&2
  exit 77
fi
if ! unshare --net --mount --pid --fork true 2>/dev/null; then
  echo "sandbox unavailable: creating network namespaces is not permitted here (run as root)" >&2
  exit 77
fi

# unshare --fork ignores SIGTERM; -k makes sure the whole tree goes.
exec timeout -k 5 "$timeout_seconds" \
  unshare --net --mount --pid --fork --kill-child --mount-proc \
  bash "$here/sandbox-desk.sh" "$@"
