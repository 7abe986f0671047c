# Shared by firebird_up.sh and firebird_ctl.sh: whether the local Firebird server
# listens on port 3050, and how it is started and stopped (there is no init system on
# these machines).

listening() { ss -Hltn 'sport = :3050' 2>/dev/null | grep -q .; }

stop_server() {
  pkill -x fbguard 2>/dev/null || true
  pkill -x firebird 2>/dev/null || true
  for _ in $(seq 100); do listening || return 0; sleep 0.1; done
  echo "the Firebird server did not stop" >&2
  return 1
}

start_server() {
  listening && return 0
  mkdir -p /run/firebird3.0 && chown firebird:firebird /run/firebird3.0
  su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
  for _ in $(seq 100); do listening && return 0; sleep 0.1; done
  echo "the Firebird server did not start" >&2
  return 1
}
