# Shared by the sandbox's namespace scripts; sourced, not run.
#
# Each namespace gets its own system bus and its own avahi-daemon, confined to the namespace's
# end of the veth pair, so that mDNS crosses only the virtual link and never a real interface.

sandbox_log() { echo "sandbox: $*" >&2; }

# Polls a command until it succeeds, for at most $1 seconds.
sandbox_wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

sandbox_avahi_running() {
  local state
  state=$(dbus-send --system --print-reply=literal --dest=org.freedesktop.Avahi / \
    org.freedesktop.Avahi.Server.GetState 2>/dev/null) || return 1
  [[ $state =~ int32[[:space:]]+2$ ]]
}

# sandbox_start_daemons INTERFACE HOST-NAME DIRECTORY
sandbox_start_daemons() {
  local interface=$1 host_name=$2 directory=$3
  mkdir -p "$directory" /run/dbus /run/avahi-daemon
  mount -t tmpfs -o mode=0755 sandbox-dbus /run/dbus
  mount -t tmpfs -o mode=0755 sandbox-avahi /run/avahi-daemon
  dbus-daemon --system --fork

  cat >"$directory/avahi-daemon.conf" <<CONF
[server]
host-name=$host_name
domain-name=local
use-ipv4=yes
use-ipv6=no
allow-interfaces=$interface
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000

[wide-area]
enable-wide-area=no

[publish]
publish-hinfo=no
publish-workstation=no
publish-aaaa-on-ipv4=no

[reflector]
enable-reflector=no
CONF
  avahi-daemon --daemonize --no-chroot --file="$directory/avahi-daemon.conf"
  if ! sandbox_wait_for 10 sandbox_avahi_running; then
    sandbox_log "avahi-daemon for $interface did not start"
    return 1
  fi
}
