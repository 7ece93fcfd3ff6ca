#!/usr/bin/env bash
# app-under-load.sh [OPTIONS] WIDTHxHEIGHT — the whole monitor against the phone simulator, for
# the throughput, recording and memory figures in Benchmarks/README.md.
#
#   --bit-depth 8|10      the stream's bit depth (default 8)
#   --seconds N           how long to measure (default 60)
#   --record              record while measuring (Ctrl+Shift+R), then compare the finishing
#                         rewrite of the movie with "ffmpeg -c copy" of it on the same disk
#   --memory-at "S..."    also print the application's resident memory S seconds after the
#                         measurement began (default: at the end only)
#   --no-ffplay           without ffplay beside it
#   --build DIR           the build folder (default build)
#
# Runs itself inside Tests/Support/Sandbox/run-in-sandbox.sh (root): the simulator plays a
# pre-encoded clip on 127.0.0.1 of the sandbox's desk namespace, the application
# (umberlin-rezuvidodo, on its own Xvfb display :83) reaches it by the address remembered in its
# preferences, and ffplay -fflags nobuffer -flags low_delay -framedrop shows the same stream
# from the same simulator (its Annex B copy, through a named pipe). CPU is read from
# /proc/PID/stat of each process over the measured time, in percent of one core.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

bit_depth=8 seconds=60 record=no memory_at="" ffplay=yes build=build
while (($# > 1)); do
  case $1 in
    --bit-depth) bit_depth=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --record) record=yes; shift ;;
    --memory-at) memory_at=$2; shift 2 ;;
    --no-ffplay) ffplay=no; shift ;;
    --build) build=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
size=${1:?usage: app-under-load.sh [OPTIONS] WIDTHxHEIGHT}

if [[ -z ${UMBERLIN_SANDBOX_IN_PHONE:-} ]]; then
  build=$(cd "$build" && pwd)
  args=(--bit-depth "$bit_depth" --seconds "$seconds" --build "$build")
  [[ $record == yes ]] && args+=(--record)
  [[ -n $memory_at ]] && args+=(--memory-at "$memory_at")
  [[ $ffplay == no ]] && args+=(--no-ffplay)
  exec "$root/Tests/Support/Sandbox/run-in-sandbox.sh" --timeout $((seconds + 600)) -- "$0" "${args[@]}" "$size"
fi

app=$build/Sources/Quillfen/umberlin-rezuvidodo
simulator=$build/Tools/PhoneSimulator/umberlin-phone-sim
source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
fail() {
  echo "FAIL: $*" >&2
  for log in "$workdir"/*.log; do [[ -e $log ]] && { echo "--- $log ---" >&2; tail -n 20 "$log" >&2; }; done
  exit 1
}
mkdir -p "$workdir/movies" "$workdir/config/Umberlin" "$workdir/runtime"
chmod 700 "$workdir/runtime"
port=47810
export XDG_CONFIG_HOME=$workdir/config XDG_RUNTIME_DIR=$workdir/runtime
printf '[General]\nrecording.destination.securityScopedBookmark=@ByteArray(%s)\nmonitor.phoneAddress=127.0.0.1:%s\n' \
  "$workdir/movies" "$port" >"$workdir/config/Umberlin/Umberlin Rezuvidodo.conf"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
resident_mb() { awk '/^VmRSS/ { printf "%.0f", $2 / 1024 }' "/proc/$1/status"; }

Xvfb :83 -screen 0 1920x1080x24 -nolisten tcp 2>"$workdir/xvfb.log" &
pids+=($!)
export DISPLAY=:83
wait_for 10 xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"

# A phone's bit rate; the simple test picture often needs less.
bit_rate=$([[ $size == 3840x2160 ]] && echo 20000000 || echo 8000000)
mkfifo "$workdir/copy.hevc"
# The clip is cached in ~/.cache/umberlin-phone-sim, so later runs start at once.
"$simulator" --no-advertise --address 127.0.0.1 --port "$port" --size "$size" \
  --bit-depth "$bit_depth" --bit-rate "$bit_rate" --pre-encoded 5 --annexb-copy "$workdir/copy.hevc" \
  >"$workdir/simulator.log" 2>&1 &
simulator_pid=$!
pids+=("$simulator_pid")
wait_for_line "$workdir/simulator.log" "listening on" 900 || fail "the simulator did not start"

if [[ $ffplay == yes ]]; then
  SDL_AUDIODRIVER=dummy ffplay -hide_banner -fflags nobuffer -flags low_delay -framedrop -f hevc -framerate 30 \
    -window_title ffplay -x 1280 -y 720 -i "$workdir/copy.hevc" 2>"$workdir/ffplay.log" &
  ffplay_pid=$!
  pids+=("$ffplay_pid")
else
  cat "$workdir/copy.hevc" >/dev/null &
  pids+=($!)
fi

QT_QPA_PLATFORM=xcb "$app" >"$workdir/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wait_for 30 grep -q "client connected" "$workdir/simulator.log" || fail "the application did not connect"
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Umberlin Rezuvidodo$' | head -n 1)
sleep 5  # first key frame, decoder and drawing warm
if [[ $record == yes ]]; then
  xdotool windowfocus --sync "$window"
  xdotool key ctrl+shift+r
  wait_for 20 compgen -G "$workdir/movies/*.mov" >/dev/null || fail "Ctrl+Shift+R started no recording"
fi

load=$(cut -d' ' -f1-3 /proc/loadavg)
measured=("$app_pid" "$simulator_pid")
[[ $ffplay == yes ]] && measured+=("$ffplay_pid")
declare -A before
for pid in "${measured[@]}"; do before[$pid]=$(cpu_ticks "$pid"); done
started=$SECONDS
ticks_per_second=$(getconf CLK_TCK)
sleep_until() { local left=$(($1 - (SECONDS - started))); ((left <= 0)) || sleep "$left"; }
for at in $memory_at; do
  sleep_until "$at"
  echo "resident memory after ${at} s: $(resident_mb "$app_pid") MB (load average $(cut -d' ' -f1-3 /proc/loadavg))"
done
sleep_until "$seconds"
elapsed=$((SECONDS - started))
percent() { awk -v t="$(($(cpu_ticks "$1") - before[$1]))" -v hz="$ticks_per_second" -v s="$elapsed" \
  'BEGIN { printf "%.1f", 100 * t / hz / s }'; }
echo "$size $bit_depth-bit 30 fps, $elapsed s, recording $record, load average at start $load, at end $(cut -d' ' -f1-3 /proc/loadavg)"
echo "application: $(percent "$app_pid") % of one core, resident memory $(resident_mb "$app_pid") MB"
[[ $ffplay == yes ]] && echo "ffplay:      $(percent "$ffplay_pid") % of one core"
echo "simulator:   $(percent "$simulator_pid") % of one core"

# Closing the window logs the preview's frame counts and finishes a movie being recorded.
xdotool windowfocus --sync "$window"
closed=$(date +%s.%N)
xdotool key ctrl+w
wait_for 300 bash -c "! kill -0 $app_pid 2>/dev/null" || fail "the application did not end"
ended=$(date +%s.%N)
grep -h "Preview frames" "$workdir/app.log" | sed 's/^/application: /'
awk '/fell behind: skipped/ { for (i = 1; i <= NF; ++i) if ($i == "skipped") total += $(i + 1) }
  END { printf "simulator: %d picture(s) skipped to keep real time\n", total }' "$workdir/simulator.log"
grep -h "left out" "$workdir/simulator.log" | sed 's/^/simulator: /' || true
if [[ $ffplay == yes ]]; then
  kill -TERM "$ffplay_pid" 2>/dev/null || true
  wait "$ffplay_pid" 2>/dev/null || true
  # ffplay's status line: fd is the frames it dropped.
  tr '\r' '\n' <"$workdir/ffplay.log" | grep "fd=" | tail -n 1 | sed 's/^ */ffplay status: /'
fi

if [[ $record == yes ]]; then
  movie=$(compgen -G "$workdir/movies/*.mov" | head -n 1)
  megabytes=$(stat -c %s "$movie" | awk '{ printf "%.1f", $1 / 1e6 }')
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$movie")
  finishing=$(awk -v a="$closed" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
  echo "movie: $megabytes MB, $duration s; closing the window to the end of the application (the finishing rewrite): $finishing s"
  copy_start=$(date +%s.%N)
  copy_cpu=$( { /usr/bin/time -f "%U %S" ffmpeg -v error -y -i "$movie" -map 0 -c copy "$workdir/copy.mov"; } 2>&1 | tail -n 1)
  copy_end=$(date +%s.%N)
  awk -v a="$copy_start" -v b="$copy_end" -v mb="$megabytes" -v cpu="$copy_cpu" \
    'BEGIN { split(cpu, c, " "); printf "ffmpeg -c copy of the movie: %.2f s, %.0f MB/s, %.2f s CPU\n", b - a, mb / (b - a), c[1] + c[2] }'
fi
