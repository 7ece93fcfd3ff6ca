#!/usr/bin/env bash
# Installs the Debian packages listed in debian-packages.txt that are missing.
# A second run finds nothing missing and does nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -Ev '^[[:space:]]*(#|$)' "$here/debian-packages.txt")

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  echo "All Debian packages are installed."
  exit 0
fi

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
echo "Installing Debian packages: ${missing[*]}"

# Package scripts must not start daemons (avahi-daemon above all) on this host:
# the tests run their own daemons inside private network namespaces.
policy=/usr/sbin/policy-rc.d
created_policy=false
if [[ ! -e $policy ]]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod +x "$policy"
  created_policy=true
fi
cleanup() { if $created_policy; then $sudo rm -f "$policy"; fi; }
trap cleanup EXIT

$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
