#!/usr/bin/env bash
# monitor-soak-sandbox-test.sh APP SIMULATOR MINUTES — runs inside run-in-sandbox.sh, in the
# desk namespace. The monitor application on its own Xvfb display shows the phone simulator
# for MINUTES minutes, recording all the time with the recording stopped and started again
# (Ctrl+Shift+R) every minute:
#   - every movie reads in ffprobe with one HEVC and one AAC track and lasts as long as it was
#     recorded, within 1.5 s: the test counts from the moment the application logs that the
#     movie's file opened on a key frame to the moment the window says it is finalising (each
#     seen within 0.2 s of its line; the window's line follows the recorder's stop by one hop
#     to the main thread, under a second even on a loaded machine);
#   - the application's resident memory and open file descriptors, read from /proc at the end
#     of each minute with a movie open, do not grow after the first minute: memory by at most
#     24 MiB (a leak of each video frame received, at the picture's 1.5 Mbit/s, would be 11 MiB
#     a minute, of each audio buffer 11 MiB a minute, of each decoded picture 600 MiB a
#     minute; the allocator's own drift stays within a few MiB), descriptors not at all.
# The ctest run takes 3 minutes; the README's test section shows a longer run.
set -euo pipefail
app=$1
simulator=$2
minutes=$3
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/monitor-helpers.sh"
memory_growth_bound_kib=$((24 * 1024))
duration_tolerance=1.5

start_simulator "$workdir/simulator.log" "Soak Phone" --size 640x360 --keyframe-interval 15 --bit-rate 1500000
start_app app
app_pid=$(cat "$workdir/app.pid")
log=$workdir/app.log
wait_for_line "$log" "[Umberlin window] Live over USB" 40 || fail "the window did not go live"
window=$(xdotool search --sync --onlyvisible --name '^Umberlin Rezuvidodo$' | head -n 1)
xdotool windowfocus --sync "$window"

now() { date +%s.%N; }
resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$app_pid/status"; }
open_descriptors() { find "/proc/$app_pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }

started=()
stopped=()
samples=()
for ((minute = 1; minute <= minutes; minute++)); do
  start_recording
  started+=("$(now)")
  sleep 59.5
  samples+=("$(resident_kib) $(open_descriptors)")
  echo "minute $minute: resident ${samples[-1]% *} KiB, ${samples[-1]#* } descriptors"
  finalizing=$(logged "[Umberlin window] Finalizing recording")
  xdotool key ctrl+shift+r
  wait_for 20 logged_more "[Umberlin window] Finalizing recording" "$finalizing" ||
    fail "minute $minute: the recording did not stop"
  stopped+=("$(now)")
  wait_for 20 logged_more "[Umberlin window] Saved " $((minute - 1)) || fail "minute $minute: the movie was not saved"
done
xdotool key ctrl+q
wait_for 30 test -s "$workdir/app.status" || fail "the application did not quit"
[[ $(cat "$workdir/app.status") == 0 ]] || fail "the application exited with $(cat "$workdir/app.status")"

mapfile -t movies < <(sed -n 's/^\[Umberlin window\] Saved //p' "$log")
((${#movies[@]} == minutes)) || fail "${#movies[@]} movies saved, not $minutes"
for ((index = 0; index < minutes; index++)); do
  movie=$workdir/movies/${movies[index]}
  duration=$(movie_duration "$movie") || fail "ffprobe cannot read $movie"
  expected=$(awk -v a="${started[index]}" -v b="${stopped[index]}" 'BEGIN { printf "%.2f", b - a }')
  echo "${movies[index]}: $duration s, recorded for $expected s"
  awk -v d="$duration" -v e="$expected" -v t="$duration_tolerance" 'BEGIN { exit !(d >= e - t && d <= e + t) }' ||
    fail "${movies[index]} lasts $duration s, not $expected s; its tracks: $(ffprobe -v error \
      -show_entries stream=codec_name,start_time,duration -of csv=p=0 "$movie" | tr '\n' ' ')"
done

read -r first_kib first_descriptors <<<"${samples[0]}"
for sample in "${samples[@]:1}"; do
  read -r kib descriptors <<<"$sample"
  ((kib - first_kib <= memory_growth_bound_kib)) ||
    fail "resident memory grew from $first_kib KiB to $kib KiB after the first minute"
  ((descriptors <= first_descriptors)) ||
    fail "open file descriptors grew from $first_descriptors to $descriptors after the first minute"
done
echo "PASS"
