#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs Umberlin Rezuvidodo against the
# phone simulator. Safe to run again: installed packages and finished builds are skipped.
#
# The simulator plays a phone on a private virtual USB link (its own network namespaces,
# DNS-SD included, nothing sent on this machine's real interfaces); the monitor finds it
# there, connects and shows its picture. With a display the window opens on it until you
# quit. Without one the monitor runs on a virtual display (Xvfb) for RUN_SECONDS seconds
# (default 8), and a screenshot of it is saved and its path printed.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

Tools/setup/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target umberlin-phone-sim umberlin-rezuvidodo

app=$root/build/Sources/Quillfen/umberlin-rezuvidodo
phone="'$root/build/Tools/PhoneSimulator/umberlin-phone-sim' --name 'Umberlin Simulator' --address 10.77.0.2 --size 1920x1080"

if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  echo "== Umberlin Rezuvidodo with the phone simulator as its phone; quit it to end"
  exec Tests/Support/Sandbox/run-in-sandbox.sh --timeout 86400 --phone "$phone" -- "$app"
fi

seconds=${RUN_SECONDS:-8}
screenshot=$root/build/umberlin-rezuvidodo.png
echo "== No display: Umberlin Rezuvidodo on a virtual display for $seconds seconds"
Tests/Support/Sandbox/run-in-sandbox.sh --timeout $((seconds + 60)) --phone "$phone" -- bash -c '
  set -euo pipefail
  app=$1 seconds=$2 screenshot=$3
  export XDG_RUNTIME_DIR=$TMPDIR/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$TMPDIR/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 50); do [[ -s $TMPDIR/display ]] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$TMPDIR/display")
  QT_QPA_PLATFORM=xcb "$app" &
  monitor=$!
  sleep "$seconds"
  ffmpeg -loglevel error -y -f x11grab -video_size 1280x800 -i "$DISPLAY" -frames:v 1 "$screenshot"
  kill -TERM "$monitor" "$xvfb"
  wait "$monitor" "$xvfb" 2>/dev/null || true
' _ "$app" "$seconds" "$screenshot"
echo "The window after $seconds seconds: $screenshot"
