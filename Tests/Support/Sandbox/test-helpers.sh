# test-helpers.sh — sourced by the tests that run inside run-in-sandbox.sh, in the desk
# namespace, after they set $simulator:
#   source "$(dirname "$UMBERLIN_SANDBOX_IN_PHONE")/test-helpers.sh"
# It gives a scratch folder ($workdir), the list of processes the test started ($pids: each is
# stopped by its process id when the test ends, also when it fails), the phone simulator in the
# phone namespace, and bounded waits.

workdir=$(mktemp -d)  # inside the sandbox's own TMPDIR
pids=()
before_cleanup=  # a command a test needs run before its processes are stopped
cleanup() {
  if [[ -n $before_cleanup ]]; then $before_cleanup; fi
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$workdir"
}
trap cleanup EXIT

# start_simulator LOG NAME [SIMULATOR OPTION...]: the simulator in the phone namespace,
# advertised as NAME on the link, its output appended to LOG; its process id in $phone_pid.
start_simulator() {
  local log=$1 name=$2
  shift 2
  "$UMBERLIN_SANDBOX_IN_PHONE" "$simulator" --name "$name" --address "$UMBERLIN_SANDBOX_PHONE_ADDRESS" \
    --port 0 "$@" >>"$log" 2>&1 &
  phone_pid=$!
  pids+=("$phone_pid")
}

# wait_for SECONDS COMMAND [ARG...]: runs COMMAND until it succeeds; fails after SECONDS.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

# wait_for_line FILE TEXT SECONDS: until a line of FILE holds TEXT.
wait_for_line() {
  wait_for "$3" grep -qF -- "$2" "$1" 2>/dev/null
}
