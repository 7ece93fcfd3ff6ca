#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs Umberlin Rezuvidodo.
# Safe to run again: installed packages and finished builds are skipped.
set -euo pipefail
cd "$(dirname "$0")"

Tools/setup/install-packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

# The monitor window does not exist yet: show what the protocol library reads from a
# recorded phone stream instead.
echo "The monitor window is not built yet; decoding a recorded phone stream with umberlin-wire-dump:"
build/Tools/WireDump/umberlin-wire-dump Tools/WireDump/sample-stream.umbr
