#!/usr/bin/env bash
# make_database.sh FILE SCRIPT...: creates the dialect-1 database FILE (through the
# server on localhost) and runs the isql scripts in it, in order. Fails on any error.
set -euo pipefail
target=$1
shift
dir=$(dirname "$target")
mkdir -p "$dir"
chmod 1777 "$dir"
rm -f "$target"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
{
  echo "SET SQL DIALECT 1;"
  echo "CREATE DATABASE 'localhost:$target' USER 'SYSDBA' PASSWORD 'masterkey' PAGE_SIZE 8192;"
  cat "$@"
} | isql-fb -q -bail >"$log" 2>&1 || status=$?
# dialect 1 warns about DATE on every table that has one; that is expected
grep -v -e 'DATE data type is now called TIMESTAMP' -e 'SQL warning code = 301' -e '^$' "$log" >&2 || true
if [ "$status" -ne 0 ] || [ ! -f "$target" ]; then
  echo "could not create $target" >&2
  exit 1
fi
chmod 0666 "$target"
