#!/usr/bin/env bash
# monitor-faults-sandbox-test.sh APP SIMULATOR — runs inside run-in-sandbox.sh, in the desk
# namespace. The monitor application on its own Xvfb display records a phone that goes wrong
# in the middle of the recording, one phone per case of the table below. For each case:
#   - the window shows the case's sentence (its status or recording line, as its log repeats it);
#   - the movie made up to the fault is finalised: ffprobe reads one HEVC and one AAC track, as
#     long as the recording ran (within 1.5 s: the soak test says why); across a stall of more
#     than 2 s the recorder goes on from where the movie was, as after a jump of the phone's
#     clock, so the stall may be missing from the movie;
#   - the next connection works: Refresh (Ctrl+R) connects again and the window goes live.
# After a changed audio format the window records once more, in the new format.
set -euo pipefail
app=$1
simulator=$2
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/monitor-helpers.sh"
log=$workdir/app.log
fault_after=10  # seconds after the phone accepted the connection
stall_seconds=4

# case | simulator fault options | the window's sentence once the fault happened
cases=(
  "close|--close-after $fault_after|Waiting for Umberlin Capture to broadcast…"
  "bad magic|--bad-magic-after $fault_after|USB camera error: The stream does not contain an Umberlin packet."
  "stall|--stall-after $fault_after --stall-for $stall_seconds|"
  "audio format|--change-audio-after $fault_after|Saved "
)

# The application's log from line $mark on: what the current case made it say.
mark=0
since_mark() { tail -n +"$((mark + 1))" "$log"; }
said() { since_mark | grep -F -- "[Umberlin window] $1" >/dev/null; }  # no -q: an early exit would SIGPIPE tail
# said_more TEXT COUNT: more than COUNT lines of the window hold TEXT.
times_said() { since_mark | grep -cF -- "$1" || true; }
said_more() { (($(times_said "$1") > $2)); }
now() { date +%s.%N; }
# saved N: the file name of the Nth movie the window saved in this case.
saved() { since_mark | sed -n 's/^\[Umberlin window\] Saved //p' | sed -n "$1p"; }

# check_movie CASE MOVIE SECONDS [MISSING]: one HEVC and one AAC track, SECONDS long within
# 1.5 s, or up to MISSING seconds shorter.
check_movie() {
  local duration
  duration=$(movie_duration "$2") || fail "$1: ffprobe cannot read $2"
  awk -v d="$duration" -v s="$3" -v m="${4:-0}" 'BEGIN { exit !(d >= s - m - 1.5 && d <= s + 1.5) }' ||
    fail "$1: ${2##*/} lasts $duration s, not $3 s"
  echo "$1: ${2##*/} lasts $duration s, recorded for $3 s"
}
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

start_app app
window=
for entry in "${cases[@]}"; do
  IFS='|' read -r name options sentence <<<"$entry"
  mark=$(wc -l <"$log")
  # shellcheck disable=SC2086 # the options are words
  start_simulator "$workdir/simulator-${name// /-}.log" "Faulty ${name^}" --size 320x240 --keyframe-interval 15 $options
  wait_for 40 said "Live over USB" || fail "$name: the window did not go live"
  if [[ -z $window ]]; then
    window=$(xdotool search --sync --onlyvisible --name '^Umberlin Rezuvidodo$' | head -n 1)
    xdotool windowfocus --sync "$window"
  fi
  start_recording
  started_at=$(now)

  missing=0
  if [[ -z $sentence ]]; then
    # A stall says nothing: the picture stops and comes back, and the recording goes on over
    # the gap. It is stopped 3 s after the stall.
    wait_for 20 grep -qF "fault: stall over" "$workdir/simulator-stall.log" || fail "$name: the phone did not stall"
    sleep 3
    said "camera error" && fail "$name: the window reported an error"
    stopped_at=$(now)
    missing=$stall_seconds
    xdotool key ctrl+shift+r
  else
    wait_for $((fault_after + 10)) said "$sentence" || fail "$name: the window did not say \"$sentence\""
    stopped_at=$(now)
  fi
  wait_for 20 said "Saved " || fail "$name: the movie was not saved"
  check_movie "$name" "$workdir/movies/$(saved 1)" "$(seconds_between "$started_at" "$stopped_at")" "$missing"

  if [[ $name == "audio format" ]]; then
    # The stream goes on in the new format, and so does the next recording.
    start_recording
    sleep 2
    xdotool key ctrl+shift+r
    wait_for 20 said_more "[Umberlin window] Saved " 1 || fail "$name: the second movie was not saved"
    audio=$(ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels -of csv=p=0 \
      "$workdir/movies/$(saved 2)")
    [[ $audio == "44100,1" ]] || fail "$name: the second movie's audio is $audio, not 44100 Hz mono"
  fi

  # The next connection works.
  lives=$(times_said "[Umberlin window] Live over USB")
  xdotool key ctrl+r
  wait_for 20 said_more "[Umberlin window] Live over USB" "$lives" || fail "$name: Refresh did not bring the picture back"
  gone=$(times_said "[Umberlin window] Start 4K Broadcast")
  kill -TERM "$phone_pid"
  wait "$phone_pid" 2>/dev/null || true
  wait_for 20 said_more "[Umberlin window] Start 4K Broadcast" "$gone" || fail "$name: the phone that went away is still listed"
  echo "$name: PASS"
done

xdotool key ctrl+q
wait_for 30 test -s "$workdir/app.status" || fail "the application did not quit"
[[ $(cat "$workdir/app.status") == 0 ]] || fail "the application exited with $(cat "$workdir/app.status")"
echo "PASS"
