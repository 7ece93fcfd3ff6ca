#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and runs every test.
# Safe to run again: installed packages and finished builds are skipped.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)

Tools/setup/install-packages.sh

echo "== Build and run all tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== Protocol library under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DUMBERLIN_SANITIZE=ON -DUMBERLIN_WIRE_ONLY=ON
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" --timeout 300
