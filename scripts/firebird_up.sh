#!/usr/bin/env bash
# Makes sure a Firebird server listens on 127.0.0.1:3050 and that SYSDBA's password is
# masterkey. Starts it when none runs (there is no init system on these machines).
set -euo pipefail

security=/var/lib/firebird/3.0/system/security3.fdb
probe_dir=/tmp/vantor-firebird-probe
. "$(dirname "$0")/firebird_common.sh"

login_works() {
  mkdir -p "$probe_dir" && chmod 1777 "$probe_dir"
  rm -f "$probe_dir/probe.fdb"
  printf "CREATE DATABASE 'localhost:%s/probe.fdb' USER 'SYSDBA' PASSWORD 'masterkey';\nDROP DATABASE;\n" "$probe_dir" \
    | isql-fb -q >/dev/null 2>&1
}

set_password() {
  echo "alter user SYSDBA password 'masterkey'; commit;" | isql-fb -q -user SYSDBA "$security" >/dev/null
}

if listening && login_works; then exit 0; fi
stop_server
set_password
start_server
login_works || { echo "cannot log in to the Firebird server as SYSDBA" >&2; exit 1; }
