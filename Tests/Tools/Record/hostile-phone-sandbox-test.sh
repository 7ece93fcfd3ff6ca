#!/usr/bin/env bash
# hostile-phone-sandbox-test.sh RECORDER SIMULATOR — runs inside run-in-sandbox.sh, in the desk
# namespace. Phones that misbehave on purpose (the simulator's faults) are recorded with
# umberlin-record; each case checks the exit status, the exact last line or sentence, the
# movies with ffprobe, and that the output stays small. Independent cases run side by side,
# each with its own phone; the hung DNS-SD daemon comes last, alone.
set -euo pipefail
recorder=$1
simulator=$2
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
export XDG_CONFIG_HOME=$workdir/config  # no recording folder has ever been chosen here
largest_output=65536

failures=()
fail() { failures+=("$1: $2"); }

avahi_pid=
resume_avahi() { if [[ -n $avahi_pid ]]; then kill -CONT "$avahi_pid" 2>/dev/null || true; fi; }
before_cleanup=resume_avahi

# start_phone NAME [SIMULATOR OPTION...]: a phone advertised as NAME in the phone namespace.
start_phone() {
  local name=$1
  shift
  start_simulator "$workdir/phone-$name.out" "$name" --size 320x240 --keyframe-interval 15 "$@"
}

# record CASE [RECORDER OPTION...]: runs umberlin-record in the background; CASE.out and
# CASE.err hold what it printed, CASE.all both, CASE.status its exit status. Each case records
# into a folder of its own, $workdir/CASE: recorders that start in the same second would
# otherwise pick the same file name.
record() {
  local case=$1
  shift
  mkdir -p "$workdir/$case"
  ( status=0
    "$recorder" "$@" >"$workdir/$case.out" 2>"$workdir/$case.err" || status=$?
    cat "$workdir/$case.out" "$workdir/$case.err" >"$workdir/$case.all"
    echo "$status" >"$workdir/$case.status" ) &
  pids+=($!)
}

wait_for_recorders() {
  local case
  for case in "$@"; do
    local deadline=$((SECONDS + 40))
    until [[ -s $workdir/$case.status ]]; do
      ((SECONDS < deadline)) || { fail "$case" "umberlin-record did not end"; break; }
      sleep 0.2
    done
  done
}

status_of() { cat "$workdir/$1.status" 2>/dev/null || echo none; }
last_line() { tail -n 1 "$workdir/$1.$2" 2>/dev/null || true; }
movies_of() { grep -E '^/.*\.mov$' "$workdir/$1.out" || true; }

# check_common CASE STATUS: the exit status, bounded output, no escape byte from the phone.
check_common() {
  local case=$1 expected=$2
  [[ $(status_of "$case") == "$expected" ]] || fail "$case" "exit status $(status_of "$case"), not $expected"
  local size
  size=$(stat -c %s "$workdir/$case.all" 2>/dev/null || echo 0)
  ((size < largest_output)) || fail "$case" "printed $size bytes"
  if grep -q $'\x1b' "$workdir/$case.all" 2>/dev/null; then fail "$case" "an escape sequence reached the terminal"; fi
  if grep -qF "could not keep up" "$workdir/$case.all" 2>/dev/null; then fail "$case" "blamed the storage"; fi
}

# check_movie CASE MOVIE MINIMUM MAXIMUM: one HEVC and one AAC track, duration in range.
check_movie() {
  local case=$1 movie=$2 minimum=$3 maximum=$4
  [[ -f $movie ]] || { fail "$case" "no movie at $movie"; return; }
  local streams duration
  streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$movie" | tr '\n' ' ')
  [[ $streams == "hevc aac " ]] || fail "$case" "tracks of $movie: $streams"
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$movie")
  awk -v d="$duration" -v lo="$minimum" -v hi="$maximum" 'BEGIN { exit !(d >= lo && d <= hi) }' ||
    fail "$case" "$movie lasts $duration s, not $minimum to $maximum s"
}

# check_take CASE SECONDS COUNT: COUNT movies whose lengths add up to about SECONDS, the last
# one's path on the last line.
check_take() {
  local case=$1 seconds=$2 count=$3
  mapfile -t movies < <(movies_of "$case")
  ((${#movies[@]} == count)) || { fail "$case" "${#movies[@]} movie(s), not $count"; return; }
  [[ $(last_line "$case" out) == "${movies[-1]}" ]] || fail "$case" "the last line is not the last movie"
  local total=0 movie duration
  for movie in "${movies[@]}"; do
    check_movie "$case" "$movie" 0.03 "$((seconds + 2))"
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$movie" 2>/dev/null || echo 0)
    total=$(awk -v t="$total" -v d="$duration" 'BEGIN { print t + d }')
  done
  awk -v t="$total" -v s="$seconds" 'BEGIN { exit !(t >= s - 2 && t <= s + 2) }' ||
    fail "$case" "the movies last $total s together, not about $seconds s"
}

# A small send buffer for the commands the desk sends (the namespace is the sandbox's own), so
# that a phone that stops reading is noticed sooner, not after megabytes.
sysctl -qw net.ipv4.tcp_wmem="4096 4096 4096"
forged=$'Hostile\e[2J\e[H\r\nSaved forged.mov\n/tmp/forged.mov'
start_phone "Hostile Text" --device-name "$forged"
start_phone "Video Jump" --video-clock-jump-after 4
start_phone "Audio Jump" --audio-clock-jump-after 4
start_phone "Video Change" --change-video-after 4 --changed-size 160x120
start_phone "Audio Change" --change-audio-after 4
start_phone "Hangup"
start_phone "Vanishing"
start_phone "Flood" --flood-hello-after 0.5
start_phone "Telemetry Flood" --flood-telemetry-after 0.5
start_phone "Oversized" --oversized-json-after 4

# First group: faults in the stream and in the tool's own handling.
record text --source "Hostile Text" --folder "$workdir/text" --seconds 3
record videojump --source "Video Jump" --folder "$workdir/videojump" --seconds 7
record audiojump --source "Audio Jump" --folder "$workdir/audiojump" --seconds 7
record videochange --source "Video Change" --folder "$workdir/videochange" --seconds 8
record audiochange --source "Audio Change" --folder "$workdir/audiochange" --seconds 8
record nofolder --source "Hangup" --wait 15
record unknown --source "Nobody's Phone" --folder "$workdir/unknown" --wait 5
wait_for_recorders nofolder
# A closed terminal (SIGHUP) finishes the movie as Ctrl-C does.
mkdir "$workdir/hangup"
"$recorder" --source "Hangup" --folder "$workdir/hangup" >"$workdir/hangup.out" 2>"$workdir/hangup.err" &
hangup_pid=$!
pids+=("$hangup_pid")
wait_for_line "$workdir/hangup.err" "Started HEVC + AAC recording" 20 || fail hangup "the recording did not start"
sleep 2
kill -HUP "$hangup_pid"
hangup_status=0
wait "$hangup_pid" || hangup_status=$?
echo "$hangup_status" >"$workdir/hangup.status"
cat "$workdir/hangup.out" "$workdir/hangup.err" >"$workdir/hangup.all"
wait_for_recorders text videojump audiojump videochange audiochange unknown

check_common text 0
[[ $(last_line text out) == "$workdir/text/Umberlin "*.mov ]] || fail text "the last line is not the movie: $(last_line text out)"
check_take text 3 1
grep -qFx "Live over USB · Hostile?[2J?[H??Saved forged.mov?/tmp/forged.mov · 320×240 · 30 fps" "$workdir/text.out" ||
  fail text "the device name is not shown as plain text"

for case in videojump audiojump; do
  check_common "$case" 0
  check_take "$case" 7 1
  grep -qE "The phone's (video|audio) clock jumped by 94(6079|608000)" "$workdir/$case.err" ||
    fail "$case" "the jump is not logged"
done
for case in videochange audiochange; do
  check_common "$case" 0
  check_take "$case" 8 2
done

check_common nofolder 1
[[ $(last_line nofolder err) == "Choose a recording folder before starting a recording: run umberlin-record with --folder DIR, or choose one in Umberlin Rezuvidodo." ]] ||
  fail nofolder "last line: $(last_line nofolder err)"
if grep -q "Live over Wi-Fi" "$workdir/nofolder.all"; then fail nofolder "a USB phone was said to be on Wi-Fi"; fi

check_common unknown 1
[[ $(last_line unknown err) == "No phone named \"Nobody's Phone\" was found." ]] || fail unknown "last line: $(last_line unknown err)"
if grep -q "already in use" "$workdir/unknown.all"; then fail unknown "other phones were said to be in use"; fi

check_common hangup 0
check_movie hangup "$(last_line hangup out)" 1 30

# Second group: the folder vanishes, the phone floods hellos or telemetry, the phone sends an
# oversized hello.
mkdir "$workdir/vanishing"
record vanished --source "Vanishing" --folder "$workdir/vanishing" --seconds 10
record flood --source "Flood" --folder "$workdir/flood" --seconds 8
record telemetryflood --source "Telemetry Flood" --folder "$workdir/telemetryflood" --seconds 8
record oversized --source "Oversized" --folder "$workdir/oversized" --seconds 10
wait_for_line "$workdir/vanished.err" "Started HEVC + AAC recording" 20 || fail vanished "the recording did not start"
sleep 1.5
rm -rf "$workdir/vanishing"
wait_for_recorders vanished flood telemetryflood oversized

check_common vanished 1
grep -qFx "Recording failed: The movie file or its folder was deleted during the recording." "$workdir/vanished.err" ||
  fail vanished "no sentence for the deleted folder"
[[ -z $(movies_of vanished) ]] || fail vanished "a movie was reported saved"

# Whether the phone's socket fills within the take is up to the kernel's buffers; the collapsing
# of the dropped commands' lines is the log's own test. Here: the take and bounded output.
for case in flood telemetryflood; do
  check_common "$case" 0
  check_take "$case" 8 1
done

check_common oversized 1
grep -qFx "USB camera error: Wire payload size 2097152 exceeds the safety limit." "$workdir/oversized.err" ||
  fail oversized "no sentence for the oversized hello"
[[ $(last_line oversized out) == "$workdir/oversized/Umberlin "*.mov ]] || fail oversized "the last line is not the movie"
mapfile -t oversized_movies < <(movies_of oversized)
if ((${#oversized_movies[@]} == 1)); then
  check_movie oversized "${oversized_movies[0]}" 0.5 6
else
  fail oversized "${#oversized_movies[@]} movies before the failure, not 1"
fi

# Last, alone: the desk's DNS-SD daemon hangs. Discovery fails within seconds and the tool exits.
avahi_pid=$(cat /run/avahi-daemon/pid)
kill -STOP "$avahi_pid"
record hung --folder "$workdir/hung" --wait 6
wait_for_recorders hung
kill -CONT "$avahi_pid"
avahi_pid=
check_common hung 1
[[ $(last_line hung err) == "The DNS-SD service (Avahi) is not answering." ]] || fail hung "last line: $(last_line hung err)"

if ((${#failures[@]} > 0)); then
  printf 'FAIL: %s\n' "${failures[@]}" >&2
  for log in "$workdir"/*.all "$workdir"/phone-*.out; do
    [[ -e $log ]] && { echo "--- $log ---" >&2; head -c 4000 "$log" | cat -v >&2; }
  done
  exit 1
fi
echo "PASS"
