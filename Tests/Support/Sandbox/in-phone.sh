#!/usr/bin/env bash
# in-phone.sh COMMAND [ARG...]: runs a command in the sandbox's phone namespace (network and
# mounts, so it sees the phone's avahi-daemon). Only valid inside run-in-sandbox.sh, which
# exports UMBERLIN_SANDBOX_PHONE_PID. The command keeps this script's process id (exec), so
# it can be stopped by that id.
set -euo pipefail
if [[ -z ${UMBERLIN_SANDBOX_PHONE_PID:-} ]]; then
  echo "in-phone.sh: not inside run-in-sandbox.sh" >&2
  exit 2
fi
exec nsenter --target "$UMBERLIN_SANDBOX_PHONE_PID" --net --mount --wd="$PWD" -- "$@"
