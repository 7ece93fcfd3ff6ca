#!/usr/bin/env bash
# record-sandbox-test.sh RECORDER SIMULATOR — runs inside run-in-sandbox.sh, in the desk
# namespace. The simulator runs in the phone namespace and is found through DNS-SD on anri0;
# umberlin-record lists it, records it for a set time and until SIGINT, and refuses a missing
# folder and an unknown phone with their sentences. A second simulator that does not advertise
# is recorded by its address, and an address where nothing answers fails with its sentence.
set -euo pipefail
recorder=$1
simulator=$2
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
export XDG_CONFIG_HOME=$workdir/config  # the recorder's preferences stay in the sandbox

fail() {
  echo "FAIL: $*" >&2
  for log in "$workdir"/*.out "$workdir"/*.err; do
    [[ -e $log ]] && { echo "--- $log ---" >&2; cat "$log" >&2; }
  done
  exit 1
}

start_simulator "$workdir/simulator.out" "Sandbox Phone" --size 320x240

# A movie that ffprobe reads with one HEVC (hvc1) track and one AAC track, at least $2 s long.
check_movie() {
  local movie=$1 minimum=$2
  [[ -f $movie ]] || fail "no movie at $movie"
  local streams duration
  streams=$(ffprobe -v error -show_entries stream=codec_name,codec_tag_string -of csv=p=0 "$movie" | tr '\n' ' ')
  [[ $streams == "hevc,hvc1 aac,mp4a " ]] || fail "unexpected tracks in $movie: $streams"
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$movie")
  awk -v d="$duration" -v m="$minimum" 'BEGIN { exit !(d >= m) }' || fail "$movie lasts only $duration s"
}

# Listing: the phone appears as a wired ("USB") source once the simulator is advertised.
listed=
for _ in 1 2 3 4 5; do
  "$recorder" --list --wait 3 >"$workdir/list.out" 2>"$workdir/list.err" || fail "--list failed"
  listed=$(grep -F 'Sandbox Phone — wired camera (USB)' "$workdir/list.out" || true)
  [[ -n $listed ]] && break
done
[[ -n $listed ]] || fail "--list did not show the phone as a wired source"

# A timed recording into a folder given for this run.
mkdir "$workdir/timed"
"$recorder" --folder "$workdir/timed" --seconds 5 >"$workdir/timed.out" 2>"$workdir/timed.err" || fail "the timed recording failed"
movie=$(tail -n 1 "$workdir/timed.out")
[[ $movie == "$workdir/timed/Umberlin "*.mov ]] || fail "the last line is not the movie: $movie"
grep -qx "Saved ${movie##*/}" "$workdir/timed.out" || fail "no Saved sentence"
check_movie "$movie" 4.5

# SIGINT in the middle of a recording still leaves a finished movie.
mkdir "$workdir/interrupted"
"$recorder" --folder "$workdir/interrupted" >"$workdir/interrupted.out" 2>"$workdir/interrupted.err" &
recorder_pid=$!
pids+=("$recorder_pid")
wait_for_line "$workdir/interrupted.err" "Started HEVC + AAC recording" 30 || fail "the recording did not start"
sleep 2
kill -INT "$recorder_pid"
status=0
wait "$recorder_pid" || status=$?
[[ $status == 0 ]] || fail "an interrupted recording exited with $status"
check_movie "$(tail -n 1 "$workdir/interrupted.out")" 1.5

# Failures end with their sentences and a non-zero status.
if "$recorder" --folder "$workdir/missing/folder" --seconds 1 >"$workdir/missing.out" 2>"$workdir/missing.err"; then
  fail "a missing folder was accepted"
fi
grep -q '^The recording folder could not be saved: ' "$workdir/missing.err" || fail "no sentence for a missing folder"

if "$recorder" --source "Nobody's Phone" --folder "$workdir/timed" --wait 4 >"$workdir/unknown.out" 2>"$workdir/unknown.err"; then
  fail "an unknown phone was accepted"
fi
grep -qx "No phone named \"Nobody's Phone\" was found." "$workdir/unknown.err" || fail "no sentence for an unknown phone"

# By address, to a phone that does not advertise itself: a timed recording, then the sentence
# for an address where nothing answers.
start_simulator "$workdir/hidden-simulator.out" "Hidden Phone" --no-advertise --port 47811 --size 320x240
wait_for_line "$workdir/hidden-simulator.out" "listening on" 20 || fail "the simulator without DNS-SD did not start"
mkdir "$workdir/by-address"
"$recorder" --address "$UMBERLIN_SANDBOX_PHONE_ADDRESS:47811" --folder "$workdir/by-address" --seconds 3 \
  >"$workdir/by-address.out" 2>"$workdir/by-address.err" || fail "recording by address failed"
grep -q "^Live over IP" "$workdir/by-address.out" || fail "the phone at its address did not go live"
check_movie "$(tail -n 1 "$workdir/by-address.out")" 2.5
if "$recorder" --address "$UMBERLIN_SANDBOX_PHONE_ADDRESS:47899" --folder "$workdir/by-address" --wait 3 \
  >"$workdir/nobody.out" 2>"$workdir/nobody.err"; then
  fail "an address where nothing answers was accepted"
fi
grep -q "No phone answered at $UMBERLIN_SANDBOX_PHONE_ADDRESS:47899\." "$workdir/nobody.err" ||
  fail "no sentence for an address where nothing answers"
echo "PASS"
