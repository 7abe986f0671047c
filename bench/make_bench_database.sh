#!/usr/bin/env bash
# make_bench_database.sh FILE ITEMS SERVER_PROGRAM: a benchmark database with ITEMS items
# (the ERP objects, generated data, and the server-side objects installed by two runs of
# the schema upgrade). FILE must be where the Firebird server can reach it.
set -euo pipefail
target=$1
items=$2
server_program=$3
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s/@ITEMS@/$items/g" "$here/bench/bench_data.sql.in" > "$work/data.sql"
"$here/scripts/make_database.sh" "$target" "$here/schema/testdb/erp_objects.sql" "$work/data.sql"
# the upgrade reads ip.txt beside the program
cp "$server_program" "$work/vantor-server"
echo "localhost:$target" > "$work/ip.txt"
"$work/vantor-server" --update >/dev/null
"$work/vantor-server" --update >/dev/null
