#!/usr/bin/env bash
# firebird_ctl.sh stop|start: stops or starts the local Firebird server (tests that
# prove the program recovers after a database restart use it).
set -euo pipefail
listening() { ss -ltn 2>/dev/null | grep -q ':3050 '; }
case "${1:-}" in
  stop)
    pkill -x fbguard 2>/dev/null || true
    pkill -x firebird 2>/dev/null || true
    for _ in $(seq 100); do listening || exit 0; sleep 0.1; done
    echo "the Firebird server did not stop" >&2; exit 1 ;;
  start)
    listening && exit 0
    mkdir -p /run/firebird3.0 && chown firebird:firebird /run/firebird3.0
    su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
    for _ in $(seq 100); do listening && exit 0; sleep 0.1; done
    echo "the Firebird server did not start" >&2; exit 1 ;;
  *) echo "usage: firebird_ctl.sh stop|start" >&2; exit 2 ;;
esac
