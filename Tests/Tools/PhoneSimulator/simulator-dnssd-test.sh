#!/usr/bin/env bash
# simulator-dnssd-test.sh SIMULATOR WIRE-DUMP — runs inside run-in-sandbox.sh, in the desk
# namespace. Starts the simulator in the phone namespace, finds it from the desk through
# DNS-SD on anri0 (avahi-browse), resolves it to its address and port, connects, and checks
# that the first message is the phone's hello.
set -euo pipefail
simulator=$1
wire_dump=$2
service_name="Sandbox Phone 7"
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"

fail() {
  echo "FAIL: $*" >&2
  echo "--- simulator output ---" >&2
  cat "$workdir/simulator.out" >&2 || true
  exit 1
}

start_simulator "$workdir/simulator.out" "$service_name" --size 320x240 --device-name "Sandbox Device"

# avahi-browse -p escapes spaces as \032; -r resolves, -t stops after the current list.
escaped_name=${service_name// /\\032}
resolved=
deadline=$((SECONDS + 15))
while [[ -z $resolved ]] && ((SECONDS < deadline)); do
  # The name goes through the environment: awk -v would turn \032 into a control character.
  resolved=$(timeout 5 avahi-browse -rpt _umberlin-camera._tcp 2>/dev/null |
    SERVICE_NAME=$escaped_name awk -F';' '$1 == "=" && $4 == ENVIRON["SERVICE_NAME"]' | head -n 1) || true
  [[ -n $resolved ]] || sleep 0.25
done
[[ -n $resolved ]] || fail "the simulator was not found through DNS-SD"
echo "resolved: $resolved"

IFS=';' read -r _ interface protocol _ type _ host address port _ <<<"$resolved"
[[ $interface == "$UMBERLIN_SANDBOX_DESK_INTERFACE" ]] || fail "found on $interface instead of anri0"
[[ $protocol == IPv4 && $type == _umberlin-camera._tcp ]] || fail "unexpected record: $resolved"
[[ $address == "$UMBERLIN_SANDBOX_PHONE_ADDRESS" ]] || fail "resolved to $address"
grep -q "listening on $address:$port" "$workdir/simulator.out" || fail "resolved port $port is not the simulator's"
grep -q "advertised \"$service_name\"" "$workdir/simulator.out" || fail "the simulator did not report advertising"

# Connect to what DNS-SD gave and read the first message.
exec 3<>"/dev/tcp/$address/$port"
timeout 2 head -c 4096 <&3 >"$workdir/stream.bin" || true
exec 3<&-
first=$("$wire_dump" "$workdir/stream.bin" 2>/dev/null | head -n 1) || true  # the capture ends mid-packet
echo "first message: $first"
[[ $first == *'"type":"hello"'* && $first == *'"deviceName":"Sandbox Device"'* ]] || fail "no hello arrived"

kill -TERM "$phone_pid"
wait "$phone_pid" || fail "the simulator did not exit cleanly"
pids=()
grep -q 'withdrew DNS-SD service' "$workdir/simulator.out" || fail "the simulator did not report withdrawing"
listed() {
  timeout 5 avahi-browse -pt _umberlin-camera._tcp 2>/dev/null |
    SERVICE_NAME=$escaped_name awk -F';' '$4 == ENVIRON["SERVICE_NAME"] { found = 1 } END { exit !found }'
}
deadline=$((SECONDS + 8))
while listed; do
  ((SECONDS < deadline)) || fail "the desk still sees the service after the simulator exited"
  sleep 0.25
done
echo "PASS"
