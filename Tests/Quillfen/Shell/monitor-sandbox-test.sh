#!/usr/bin/env bash
# monitor-sandbox-test.sh APP SIMULATOR PICTURE-MARKERS PROMPT-SHIFT SCREENSHOT-FOLDER — runs inside
# run-in-sandbox.sh, in the desk namespace. The whole monitor application runs on its own
# Xvfb display with the phone simulator in the phone namespace, found through DNS-SD on anri0:
#   1. it finds the phone, connects and shows its picture upright;
#   2. with the level on and its reference set, every guide is drawn over the picture: the
#      thirds lines end at the picture's edges and the audio meter lights;
#   3. a click on the picture makes the phone focus at that point of its picture;
#   4. P opens the script editor, Ctrl+Return shows the script over the picture and Space rolls
#      it; the appearance editor (A) then centres it in green with a red shadow on a backdrop,
#      and the down arrow moves the text 72 points up;
#   5. the phone comes back held on its side (it reports 90 degrees): the picture is turned;
#   6. M mirrors the picture;
#   7. with zebras, focus peaking and false colour on (Z, F, C) and the histogram and the
#      waveform shown (H, W), Ctrl+Shift+R records, Ctrl+Q
#      quits once the movie is finalised, ffprobe reads it, and its video frames are the
#      phone's byte for byte;
#   8. started again (mirroring, assists and scopes remembered, and turned off), it reaches a phone
#      that does not advertise itself through File › Connect to Address… (Ctrl+L);
#   9. a second launch opens its window in the running application (which offers it no phone:
#      the only one is taken) and ends;
#  10. a launch while the application is stopped (SIGSTOP) starts on its own after a time-out.
# Each step's screenshot is kept in SCREENSHOT-FOLDER.
set -euo pipefail
app=$1
simulator=$2
picture_markers=$3
prompt_shift=$4
screenshots=$5
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/monitor-helpers.sh"
mkdir -p "$screenshots"
rm -f "$screenshots"/*.png

start_phone() { start_simulator "$workdir/simulator.log" "Sandbox Phone" --size 640x360 "$@"; }
stop_phone() {
  kill -TERM "$phone_pid"
  wait "$phone_pid" 2>/dev/null || true
}

# Takes screenshots until the picture shows as $2 (upright, turned, mirrored); keeps the last
# one as $1.png.
screenshot_shows() {
  shot "$screenshots/$1.png" && "$picture_markers" "$screenshots/$1.png" "$2" >"$workdir/markers.out"
}
expect_picture() {
  wait_for 30 screenshot_shows "$1" "$2" || fail "the $1 screenshot does not show the picture $2: $(cat "$workdir/markers.out")"
  cat "$workdir/markers.out"
}

# A process stopped by the test is let go on before it is stopped for good.
resume_all() { kill -CONT "${pids[@]}" 2>/dev/null || true; }
before_cleanup=resume_all

# The visible monitor windows of process $1.
windows_of() {
  local window
  for window in $(xdotool search --onlyvisible --name '^Umberlin Rezuvidodo$' 2>/dev/null); do
    [[ $(xdotool getwindowpid "$window" 2>/dev/null) == "$1" ]] && echo "$window"
  done
  return 0
}
# Succeeds when process $1 shows exactly $2 monitor windows.
shows_windows() {
  [[ $(windows_of "$1" | wc -l) == "$2" ]]
}

start_phone
start_app app

wait_for 30 grep -q "client connected" "$workdir/simulator.log" || fail "the application did not connect to the phone"
expect_picture live upright

window=$(xdotool search --sync --onlyvisible --name '^Umberlin Rezuvidodo$' | head -n 1)
xdotool windowfocus --sync "$window"

# The grid, meter and image settings are on by default; L adds the level, Shift+L sets it.
xdotool key l
sleep 1
xdotool key shift+l
expect_picture guides guides

# A click a quarter across and halfway down the picture focuses the phone there.
read -r left top width height < <(sed -n 's/^picture //p' "$workdir/markers.out")
xdotool mousemove $((left + width / 4)) $((top + height / 2)) click 1
sleep 0.4
shot "$screenshots/focus.png"
xdotool mousemove 0 0
focused() { grep -o 'focus point x [0-9.e-]*, focus point y [0-9.e-]*' "$workdir/simulator.log" | tail -n 1; }
has_focused() { [[ -n $(focused) ]]; }
wait_for 10 has_focused || fail "the click on the picture sent no focus point"
awk '{ exit !($4 > 0.22 && $4 < 0.28 && $8 > 0.47 && $8 < 0.53) }' <<<"$(focused)" ||
  fail "the phone focused at the wrong point: $(focused)"
echo "clicked: $(focused)"
# The meter and the level go off: their green would read as the prompt's green text.
xdotool key v l

# Opens the prompt's appearance editor; its first slider takes the keys.
open_appearance() {
  xdotool key a
  sleep 1
}
# Picks a colour in the colour dialog that a well of the appearance editor opened.
pick_colour() {
  local dialog
  dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || fail "no colour dialog for $1"
  xdotool windowfocus --sync "$dialog"
  xdotool key alt+h ctrl+a
  xdotool type "$2"
  xdotool key Return
  sleep 0.5
  xdotool windowfocus --sync "$window"
}

# The teleprompter, as a presenter uses it.
xdotool key p
timeout 10 xdotool search --sync --onlyvisible --name '^Teleprompter Script$' >/dev/null || fail "P opened no script editor"
while IFS= read -r line; do
  xdotool type --delay 1 "$line"
  xdotool key Return
done <<'SCRIPT'
Good evening, and welcome to the late edition.
Tonight: the harbour bridge reopens after two years of repairs,
the city council votes on the new tram line,
and the weather turns at last, with rain from the west by morning.
First, the bridge. Engineers finished the last load tests on Friday,
and the first cars crossed it at six this morning.
Commuters from the north shore will save twenty minutes each way.
The council meets tomorrow at nine; the vote is expected before noon.
Now the weather.
SCRIPT
xdotool key ctrl+Return
sleep 1
xdotool windowfocus --sync "$window"
xdotool key space
sleep 3
shot "$screenshots/prompt-rolling.png"
xdotool key space
# Text colour (first well), shadow colour (the third control after it), the backdrop half dark
# (Page Up), centred.
open_appearance
xdotool key Tab space
pick_colour "Text colour" "#30D158"
open_appearance
xdotool key Tab Tab Tab space
pick_colour "Shadow colour" "#FF3B30"
open_appearance
# The alignment segments are one stop of Tab; the arrow keys choose between them.
xdotool key Tab Tab Tab Tab Page_Up Tab Tab Right
sleep 1
shot "$screenshots/prompt-popover.png"
xdotool key Escape
sleep 1
shot "$screenshots/prompt-appearance.png"
xdotool key Down
sleep 1
shot "$screenshots/prompt-stepped.png"
"$prompt_shift" "$screenshots/prompt-appearance.png" "$screenshots/prompt-stepped.png" 30D158 >"$workdir/shift.out" ||
  fail "no green prompt text on the screen: $(cat "$workdir/shift.out")"
grep -Eq '^shift -7[123] pixels' "$workdir/shift.out" || fail "the down arrow did not move the text 72 points: $(cat "$workdir/shift.out")"
cat "$workdir/shift.out"
xdotool key Escape

# The phone goes away and comes back on its side.
stop_phone
start_phone --rotation 90 --video-checksums "$workdir/sent.md5"
expect_picture turned turned

xdotool windowfocus --sync "$window"
xdotool key m
expect_picture mirrored mirrored

xdotool key z f c
xdotool key h w
xdotool key ctrl+shift+r
wait_for 20 compgen -G "$workdir/movies/*.mov" >/dev/null || fail "Ctrl+Shift+R started no recording"
sleep 3
shot "$screenshots/recording.png"
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
# The assists and scopes are drawn on the preview only: every recorded frame is one the phone sent.
ffmpeg -v error -i "$movie" -map 0:v:0 -c copy -f framemd5 - | grep -v '^#' | awk -F', *' '{ print $6 }' \
  >"$workdir/recorded.md5"
[[ -s $workdir/recorded.md5 ]] && ! grep -vxFf "$workdir/sent.md5" "$workdir/recorded.md5" >/dev/null ||
  fail "the movie holds video frames the phone did not send"

# 8. A phone that does not advertise itself, reached by its address.
stop_phone
: >"$workdir/simulator.log"
start_phone --no-advertise --port 47810
wait_for_line "$workdir/simulator.log" "listening on" 20 || fail "the simulator without DNS-SD did not start"
start_app app
app_pid=$(cat "$workdir/app.pid")
wait_for 20 shows_windows "$app_pid" 1 || fail "the application shows no window"
window=$(windows_of "$app_pid" | head -n 1)
xdotool windowfocus --sync "$window"
xdotool key m z f c h w  # the mirroring, assists and scopes are remembered: back to the bare upright picture
xdotool key ctrl+l
dialog=$(xdotool search --sync --onlyvisible --name '^Connect to Address$' | head -n 1)
xdotool windowfocus --sync "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$UMBERLIN_SANDBOX_PHONE_ADDRESS:47810"
xdotool key Return
wait_for_line "$workdir/simulator.log" "client connected" 20 || fail "Connect to Address did not reach the phone"
expect_picture by-address upright
connections=$(grep -c "client connected" "$workdir/simulator.log")

# 9. A second launch: one more window in the same process, and the phone stays with the first.
QT_QPA_PLATFORM=xcb timeout 20 "$app" --new-window >"$workdir/second-launch.log" 2>&1 ||
  fail "the second launch did not hand its window over"
wait_for 10 shows_windows "$app_pid" 2 || fail "the running application did not open a second window"
sleep 3
[[ $(grep -c "client connected" "$workdir/simulator.log") == "$connections" ]] ||
  fail "the second window connected to the phone the first one shows"

# 10. With the running application stopped, a launch starts on its own after its wait.
kill -STOP "$app_pid"
start_app separate
separate_pid=$(cat "$workdir/separate.pid")
wait_for_line "$workdir/separate.log" "did not answer" 20 || fail "the launch did not say why it started on its own"
wait_for 20 shows_windows "$separate_pid" 1 || fail "the launch beside a stopped application shows no window"
kill -TERM "$separate_pid"
wait_for 20 test -s "$workdir/separate.status" || fail "the separate application did not quit"
kill -CONT "$app_pid"
kill -TERM "$app_pid"
wait_for 30 test -s "$workdir/app.status" || fail "the application did not quit"
[[ $(cat "$workdir/app.status") == 0 ]] || fail "the application exited with $(cat "$workdir/app.status")"
echo "PASS"
