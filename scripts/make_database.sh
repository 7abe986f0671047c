#!/usr/bin/env bash
# make_database.sh [--embedded] FILE SCRIPT...: creates the dialect-1 database FILE
# (through the server on localhost, or with --embedded through the embedded engine, which
# needs no server) and runs the isql scripts in it, in order. Fails on any error.
set -euo pipefail
host="localhost:"
if [ "${1:-}" = "--embedded" ]; then
  host=""
  shift
fi
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
  echo "CREATE DATABASE '$host$target' USER 'SYSDBA' PASSWORD 'masterkey' PAGE_SIZE 8192;"
  cat "$@"
} | isql-fb -q -bail >"$log" 2>&1 || status=$?
# dialect 1 warns about DATE on every table that has one; that is expected
grep -v -e 'DATE data type is now called TIMESTAMP' -e 'SQL warning code = 301' -e '^$' "$log" >&2 || true
if [ "$status" -ne 0 ] || [ ! -f "$target" ]; then
  echo "could not create $target" >&2
  exit 1
fi
chmod 0666 "$target"
