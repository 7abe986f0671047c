#!/usr/bin/env bash
# bench/soak.sh [MINUTES]: vantor-server under a mixed load of reads and writes on 64
# connections for MINUTES (default 30) on the 100,000-item benchmark database; prints the
# resident size and open descriptors every minute, then whether every confirmed count is
# stored once. Uses the build and the databases of bench/run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-30}
port=8098
data=/tmp/vantor-bench
build=build/release
[ -f $data/items-100000.fdb ] && [ -f $data/codes-100000.txt ] || { echo "run bench/run.sh once first" >&2; exit 1; }
cmake --build $build -j"$(nproc)" --target vantor-server >/dev/null

server_dir=$(mktemp -d)
cp $build/vantor-server "$server_dir/"
echo "localhost:$data/items-100000.fdb" > "$server_dir/ip.txt"
echo $port > "$server_dir/port.txt"
echo "echo = off" > "$server_dir/vantor.conf"
(cd "$server_dir" && exec ./vantor-server </dev/null >/dev/null 2>&1) &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$server_dir"' EXIT
for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/nothing" && break; sleep 0.1; done

count() {
  echo "select count(*) from minventory where deviceid starting with 'SOAK';" |
    isql-fb -q -u SYSDBA -p masterkey "localhost:$data/items-100000.fdb" | awk 'NF == 1 && $1 ~ /^[0-9]+$/ { print $1 }'
}
before=$(count)
out=$(mktemp)
CODES=$data/codes-100000.txt wrk -t2 -c64 -d"${minutes}m" --timeout 60s -s bench/mixed.lua \
  "http://127.0.0.1:$port" > "$out" &
load=$!
echo "| minute | resident MB | open descriptors |"
echo "|---|---|---|"
for minute in $(seq 1 "$minutes"); do
  sleep 60
  echo "| $minute | $(( $(awk '/VmRSS/ { print $2 }' /proc/$server/status) / 1024 )) | $(ls /proc/$server/fd | wc -l) |"
done
wait $load
stored=$(( $(count) - before ))
grep -E "requests in|Requests/sec|confirmed" "$out"
read -r _ confirmed _ failed <<<"$(grep confirmed "$out")"
echo "counts confirmed: $confirmed, stored: $stored, other failures: $failed"
rm -f "$out"
[ "$confirmed" -eq "$stored" ] && [ "$failed" -eq 0 ]
