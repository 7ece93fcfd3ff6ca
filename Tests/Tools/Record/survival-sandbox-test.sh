#!/usr/bin/env bash
# survival-sandbox-test.sh RECORDER SIMULATOR — runs inside run-in-sandbox.sh, in the desk
# namespace, against one simulated phone that notes the MD5 of every video frame it sends.
#   1. umberlin-record killed with SIGKILL at a random moment (several seeds); umberlin-record
#      --recover then leaves a regular movie whose video is exactly what the phone sent.
#   2. On a small tmpfs (mounted in the sandbox's own mount namespace), the low-space stop ends
#      with a regular movie and its sentence; with the stop off, the full disk still leaves a
#      playable movie and the failure sentence.
set -euo pipefail
recorder=$1
simulator=$2
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
export XDG_CONFIG_HOME=$workdir/config
sent=$workdir/sent.md5
keyframe_interval=15  # frames, at 30 fps

fail() {
  echo "FAIL: $*" >&2
  for log in "$workdir"/*.out "$workdir"/*.err; do
    [[ -e $log ]] && { echo "--- $log ---" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

unmount_small_disks() { umount "$workdir"/small-* 2>/dev/null || true; }
before_cleanup=unmount_small_disks

start_simulator "$workdir/simulator.out" "Sandbox Phone" --size 320x240 --keyframe-interval $keyframe_interval \
  --video-checksums "$sent"

# The movie's top-level boxes, as ffprobe's trace of the QuickTime reader names them.
top_level_boxes() {
  ffprobe -v trace "$1" 2>&1 | sed -n "s/.*type:'\(....\)' parent:'root'.*/\1/p" | tr '\n' ' '
}

# check_regular_movie MOVIE: one moov, no fragments, an HEVC and an AAC track, a key frame first.
check_regular_movie() {
  local movie=$1 boxes streams first_flags
  boxes=$(top_level_boxes "$movie")
  [[ $(grep -o moov <<<"$boxes" | wc -l) == 1 && $boxes != *moof* ]] || fail "$movie is not a regular movie: $boxes"
  streams=$(ffprobe -v error -show_entries stream=codec_name,codec_tag_string -of csv=p=0 "$movie" | tr '\n' ' ')
  [[ $streams == "hevc,hvc1 aac,mp4a " ]] || fail "unexpected tracks in $movie: $streams"
  first_flags=$(ffprobe -v error -select_streams v:0 -show_entries packet=flags -of csv=p=0 -read_intervals '%+#1' "$movie")
  [[ $first_flags == K* ]] || fail "$movie does not start with a key frame ($first_flags)"
}

video_checksums() {  # MOVIE: one MD5 per video packet, in order
  ffmpeg -v error -i "$1" -map 0:v:0 -c copy -f framemd5 - | grep -v '^#' | awk -F', *' '{ print $6 }'
}

# 1. Killed at a random moment, recovered at the next start.
for seed in 11 23 37; do
  RANDOM=$seed
  delay=$((1500 + RANDOM % 2500))  # milliseconds after the movie's file opened
  folder=$workdir/killed-$seed
  mkdir "$folder"
  "$recorder" --folder "$folder" >"$workdir/killed-$seed.out" 2>"$workdir/killed-$seed.err" &
  recorder_pid=$!
  pids+=("$recorder_pid")
  wait_for_line "$workdir/killed-$seed.err" 'Started HEVC + AAC recording' 30 || fail "seed $seed: no recording"
  sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
  kill -KILL "$recorder_pid"
  sent_at_kill=$(wc -l <"$sent")
  wait "$recorder_pid" 2>/dev/null || true
  movies=("$folder"/Umberlin*.mov)
  ((${#movies[@]} == 1)) || fail "seed $seed: ${#movies[@]} movies"
  movie=${movies[0]}

  "$recorder" --recover --folder "$folder" >"$workdir/recover-$seed.out" 2>"$workdir/recover-$seed.err" ||
    fail "seed $seed: recovery failed"
  grep -qE "^Recovered an interrupted recording: ${movie##*/} \(([0-9]+ min )?[0-9]+ s\)\.$" \
    "$workdir/recover-$seed.out" || fail "seed $seed: no recovery sentence"
  check_regular_movie "$movie"

  # The recovered video is a run of the frames the phone sent, byte for byte, reaching to within
  # a key-frame interval of the kill (plus half a second of frames that were still on their way).
  video_checksums "$movie" >"$workdir/recovered-$seed.md5"
  recovered=$(tr '\n' ' ' <"$workdir/recovered-$seed.md5")
  first=$(head -n 1 "$workdir/recovered-$seed.md5")
  start_line=$(grep -n -x "$first" "$sent" | tail -n 1 | cut -d: -f1)
  [[ -n $start_line ]] || fail "seed $seed: the first recovered frame was never sent"
  [[ $(tail -n "+$start_line" "$sent" | tr '\n' ' ') == "$recovered"* ]] ||
    fail "seed $seed: the recovered frames differ from the frames sent"
  count=$(wc -l <"$workdir/recovered-$seed.md5")
  ((count >= sent_at_kill - start_line + 1 - keyframe_interval - 15)) ||
    fail "seed $seed: only $count frames recovered of $((sent_at_kill - start_line + 1)) sent"
done

# record_on_small_disk CASE SIZE MARGINS: records onto a fresh tmpfs of SIZE until umberlin-record
# ends on its own; CASE.status holds its exit status.
record_on_small_disk() {
  local case=$1 size=$2 margins=$3 status=0
  mkdir "$workdir/small-$case"
  mount -t tmpfs -o "size=$size" tmpfs "$workdir/small-$case"
  timeout 60 "$recorder" --folder "$workdir/small-$case" --space-margins "$margins" \
    >"$workdir/$case.out" 2>"$workdir/$case.err" || status=$?
  echo "$status" >"$workdir/$case.status"
}

# 2a. The phone's movie grows by about 85 kB/s, so the stop margin is its thirty seconds (2.5 MB)
# above the 1 MB minimum, and the recording stops after a few seconds on a 3 MB disk, leaving room
# for the regular movie (about as large as the fragmented one). The 10 MB warning minimum warns at
# once.
record_on_small_disk low-space 3m 10,1
[[ $(cat "$workdir/low-space.status") == 1 ]] || fail "the low-space stop exited with $(cat "$workdir/low-space.status")"
grep -q '^The recording disk is filling up' "$workdir/low-space.out" || fail "no low-space warning"
grep -qx 'Recording stopped: the disk is almost full.' "$workdir/low-space.err" || fail "no low-space sentence"
movie=$(tail -n 1 "$workdir/low-space.out")
grep -qx "Recording stopped: the disk is almost full. Saved ${movie##*/}" "$workdir/low-space.out" ||
  fail "no saved sentence after the low-space stop"
check_regular_movie "$movie"

# 2b. Without margins the disk fills up: the recording fails with the writer's sentence and the
# movie plays up to its last whole fragment.
record_on_small_disk full 1m 0,0
[[ $(cat "$workdir/full.status") == 1 ]] || fail "the full disk exited with $(cat "$workdir/full.status")"
grep -q '^Recording failed: The movie file could not be written.' "$workdir/full.err" ||
  fail "no failure sentence for the full disk"
movies=("$workdir"/small-full/Umberlin*.mov)
streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "${movies[0]}" | tr '\n' ' ')
[[ $streams == "hevc aac " ]] || fail "the movie on the full disk does not play: $streams"
[[ $(video_checksums "${movies[0]}" | wc -l) -ge $keyframe_interval ]] || fail "no whole fragment on the full disk"
echo "PASS"
