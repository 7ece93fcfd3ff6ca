#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs Umberlin Rezuvidodo against the
# phone simulator. Safe to run again: installed packages and finished builds are skipped.
#
# The monitor window is not built yet. Until it is, this shows the live stream and records it:
#   1. the simulator on loopback, its live stream decoded by umberlin-wire-dump for 3 seconds;
#   2. the simulator as a phone on a private virtual USB link (its own network namespaces,
#      DNS-SD included, nothing sent on this machine's real interfaces), found and recorded
#      by umberlin-record into ./Recordings for RUN_SECONDS seconds (default 10).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

Tools/setup/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target umberlin-phone-sim umberlin-wire-dump umberlin-record

simulator=build/Tools/PhoneSimulator/umberlin-phone-sim
work=$(mktemp -d)
simulator_pid=
cleanup() {
  if [[ -n $simulator_pid ]]; then kill -TERM "$simulator_pid" 2>/dev/null || true; wait "$simulator_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== The phone simulator's live stream, as umberlin-wire-dump reads it (3 seconds)"
"$simulator" --no-advertise --address 127.0.0.1 --port 0 --size 1280x720 >"$work/simulator.log" 2>&1 &
simulator_pid=$!
port=
for _ in $(seq 50); do
  port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/simulator.log")
  [[ -n $port ]] && break
  sleep 0.1
done
[[ -n $port ]] || { cat "$work/simulator.log"; echo "The simulator did not start." >&2; exit 1; }
# The capture stops mid-packet after 3 seconds, which the dump tool reports on its last line.
timeout 3 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port && cat <&3" |
  build/Tools/WireDump/umberlin-wire-dump | cut -c1-160 | awk 'NR <= 12 || /"type":"(status|videoFrame)"/ && ++n % 30 == 0' || true
kill -TERM "$simulator_pid"; wait "$simulator_pid" 2>/dev/null || true
simulator_pid=

echo
echo "== umberlin-record finds the simulator over a virtual USB link and records ${RUN_SECONDS:-10} seconds"
mkdir -p Recordings
Tests/Support/Sandbox/run-in-sandbox.sh --timeout $(( ${RUN_SECONDS:-10} + 90 )) \
  --phone "$simulator --name 'Umberlin Simulator' --address 10.77.0.2 --size 1280x720 --rotation 90" -- \
  build/Tools/Record/umberlin-record --folder "$root/Recordings" --seconds "${RUN_SECONDS:-10}" | tee "$work/record.log"
# The simulator in the phone namespace prints too; the recorder prints the movie's path last.
movie=$(grep -x "$root/Recordings/.*\.mov" "$work/record.log" | tail -n 1)
[[ -n $movie ]] || { echo "No movie was recorded." >&2; exit 1; }
echo
ffprobe -v error -show_entries stream=codec_name,codec_tag_string,width,height,sample_rate,channels:format=duration \
  -of default=noprint_wrappers=1 "$movie"
echo "Play it with: ffplay \"$movie\""
