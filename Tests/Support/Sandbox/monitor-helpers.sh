# monitor-helpers.sh — sourced after test-helpers.sh by the tests that run the whole monitor
# application (its path in $app) inside run-in-sandbox.sh:
#   source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/monitor-helpers.sh"
# It checks the tools, keeps the application's preferences in the sandbox with
# $workdir/movies as the default recording folder, starts one Xvfb for the test (DISPLAY is
# set), and gives fail, start_app and shot.

for tool in Xvfb xdotool ffmpeg ffprobe; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing (Tools/setup/install-packages.sh)"; exit 77; }
done
mkdir -p "$workdir/movies" "$workdir/config/Umberlin" "$workdir/runtime"
chmod 700 "$workdir/runtime"
export XDG_CONFIG_HOME=$workdir/config XDG_RUNTIME_DIR=$workdir/runtime
printf '[General]\nrecording.destination.securityScopedBookmark=@ByteArray(%s)\n' "$workdir/movies" \
  >"$workdir/config/Umberlin/Umberlin Rezuvidodo.conf"

# fail MESSAGE: says why, shows the end of every log of the test and ends it.
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

# start_app NAME [ARG...]: the application with ARGs; its log, process id and exit status land
# in NAME.log, NAME.pid and NAME.status.
start_app() {
  local name=$1
  shift
  rm -f "$workdir/$name.pid" "$workdir/$name.status"
  (
    QT_QPA_PLATFORM=xcb "$app" "$@" >"$workdir/$name.log" 2>&1 &
    echo $! >"$workdir/$name.pid"
    status=0
    wait $! || status=$?
    echo "$status" >"$workdir/$name.status"
  ) &
  wait_for 5 test -s "$workdir/$name.pid" || fail "the application ($name) did not start"
  pids+=("$(cat "$workdir/$name.pid")")
}

# shot FILE: a screenshot of the whole display.
shot() { ffmpeg -loglevel error -y -f x11grab -video_size 1280x900 -i "$DISPLAY" -frames:v 1 "$1"; }

# movie_duration MOVIE: its duration in seconds as ffprobe reads it; fails on a movie ffprobe
# cannot read or whose tracks are not one HEVC and one AAC.
movie_duration() {
  local streams
  streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$1" | tr '\n' ' ') || return 1
  [[ $streams == "hevc aac " ]] || { echo "tracks: $streams" >&2; return 1; }
  ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"
}

# logged TEXT: how many lines of the application's log (start_app app) hold TEXT.
logged() { grep -cF -- "$1" "$workdir/app.log" || true; }
logged_more() { (($(logged "$1") > $2)); }

# start_recording: Ctrl+Shift+R once the window can record (Record stays disabled until the
# phone's audio has arrived, a moment after the picture), then waits for the movie's file.
start_recording() {
  local armed started try
  armed=$(logged "[Umberlin window] Waiting for the next keyframe")
  started=$(logged "Started HEVC + AAC recording")
  for try in 1 2 3 4 5; do
    xdotool key ctrl+shift+r
    wait_for 2 logged_more "[Umberlin window] Waiting for the next keyframe" "$armed" && break
  done
  wait_for 15 logged_more "Started HEVC + AAC recording" "$started" || fail "Ctrl+Shift+R started no recording"
}
