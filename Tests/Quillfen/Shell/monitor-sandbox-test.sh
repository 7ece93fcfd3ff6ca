#!/usr/bin/env bash
# monitor-sandbox-test.sh APP SIMULATOR PICTURE-MARKERS SCREENSHOT-FOLDER — runs inside
# run-in-sandbox.sh, in the desk namespace. The whole monitor application runs on its own
# Xvfb display with the phone simulator in the phone namespace, found through DNS-SD on anri0:
#   1. it finds the phone, connects and shows its picture upright;
#   2. the phone comes back held on its side (it reports 90 degrees): the picture is turned;
#   3. M mirrors the picture;
#   4. Ctrl+Shift+R records, Ctrl+Q quits once the movie is finalised, and ffprobe reads it.
# Each step's screenshot is kept in SCREENSHOT-FOLDER.
set -euo pipefail
app=$1
simulator=$2
picture_markers=$3
screenshots=$4
for tool in Xvfb xdotool ffmpeg ffprobe; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (Tools/setup/install-packages.sh)"; exit 77; }
done
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
mkdir -p "$screenshots" "$workdir/movies" "$workdir/config/Umberlin" "$workdir/runtime"
rm -f "$screenshots"/*.png
chmod 700 "$workdir/runtime"
# The application's preferences stay in the sandbox; the default recording folder is set.
export XDG_CONFIG_HOME=$workdir/config XDG_RUNTIME_DIR=$workdir/runtime
printf '[General]\nrecording.destination.securityScopedBookmark=@ByteArray(%s)\n' "$workdir/movies" \
  >"$workdir/config/Umberlin/Umberlin Rezuvidodo.conf"

fail() {
  echo "FAIL: $*" >&2
  for log in "$workdir"/*.log; do
    [[ -e $log ]] && { echo "--- $log ---" >&2; tail -n 40 "$log" >&2; }
  done
  exit 1
}

# One display for the whole test; Xvfb picks a free number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
pids+=($!)
wait_for 10 test -s "$workdir/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$workdir/display")

start_phone() { start_simulator "$workdir/simulator.log" "Sandbox Phone" --size 640x360 "$@"; }
stop_phone() {
  kill -TERM "$phone_pid"
  wait "$phone_pid" 2>/dev/null || true
}

# Takes screenshots until the picture shows as $2 (upright, turned, mirrored); keeps the last
# one as $1.png.
screenshot_shows() {
  ffmpeg -loglevel error -y -f x11grab -video_size 1280x900 -i "$DISPLAY" -frames:v 1 "$screenshots/$1.png" &&
    "$picture_markers" "$screenshots/$1.png" "$2" >"$workdir/markers.out"
}
expect_picture() {
  wait_for 30 screenshot_shows "$1" "$2" || fail "the $1 screenshot does not show the picture $2: $(cat "$workdir/markers.out")"
  cat "$workdir/markers.out"
}

start_phone
# The application's exit status lands in app.status.
(
  QT_QPA_PLATFORM=xcb "$app" >"$workdir/app.log" 2>&1 &
  echo $! >"$workdir/app.pid"
  status=0
  wait $! || status=$?
  echo "$status" >"$workdir/app.status"
) &
wait_for 5 test -s "$workdir/app.pid" || fail "the application did not start"
pids+=("$(cat "$workdir/app.pid")")

wait_for 30 grep -q "client connected" "$workdir/simulator.log" || fail "the application did not connect to the phone"
expect_picture live upright

# The phone goes away and comes back on its side.
stop_phone
start_phone --rotation 90
expect_picture turned turned

window=$(xdotool search --sync --onlyvisible --name '^Umberlin Rezuvidodo$' | head -n 1)
xdotool windowfocus --sync "$window"
xdotool key m
expect_picture mirrored mirrored

xdotool key ctrl+shift+r
wait_for 20 compgen -G "$workdir/movies/*.mov" >/dev/null || fail "Ctrl+Shift+R started no recording"
sleep 3
ffmpeg -loglevel error -y -f x11grab -video_size 1280x900 -i "$DISPLAY" -frames:v 1 "$screenshots/recording.png"
# Quitting while recording waits for the movie to be finalised, then ends the application.
xdotool key ctrl+q
wait_for 30 test -s "$workdir/app.status" || fail "the application did not quit"
[[ $(cat "$workdir/app.status") == 0 ]] || fail "the application exited with $(cat "$workdir/app.status")"

movie=$(compgen -G "$workdir/movies/*.mov" | head -n 1)
streams=$(ffprobe -v error -show_entries stream=codec_name,codec_tag_string -of flat "$movie" | grep -v side_data | tr '\n' ' ')
[[ $streams == 'streams.stream.0.codec_name="hevc" streams.stream.0.codec_tag_string="hvc1" streams.stream.1.codec_name="aac" streams.stream.1.codec_tag_string="mp4a" ' ]] ||
  fail "unexpected tracks in $movie: $streams"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$movie")
awk -v d="$duration" 'BEGIN { exit !(d >= 2) }' || fail "$movie lasts only $duration s"
echo "movie: ${movie##*/}, $duration s"
echo "PASS"
