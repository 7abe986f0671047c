#!/usr/bin/env bash
# firebird_ctl.sh stop|start: stops or starts the local Firebird server (tests that
# prove the program recovers after a database restart use it).
set -euo pipefail
. "$(dirname "$0")/firebird_common.sh"
case "${1:-}" in
  stop) stop_server ;;
  start) start_server ;;
  *) echo "usage: firebird_ctl.sh stop|start" >&2; exit 2 ;;
esac
