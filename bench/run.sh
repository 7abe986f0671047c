#!/usr/bin/env bash
# bench/run.sh: the server against the database itself, in one run on this machine.
# Builds, generates the benchmark databases (10,000 and 100,000 items) once, measures the
# raw statements on our data layer, then the same work through vantor-server with wrk,
# and prints one table with the ratios. The database server, the load generator and the
# server share the machine's cores.
#   SECONDS_PER_RUN (default 8): length of each throughput run; "/price" rates are the
#   median of three runs, on both sides
#   bench/run.sh price: only "/price" at 16 and 64 connections, three runs of each taken
#   in turns, on both databases (the check that more clients cost no more per request)
#   bench/run.sh console: "/price" without and with 8 operator console viewers
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${SECONDS_PER_RUN:-8}
port=8099
data=/tmp/vantor-bench
build=build/release

scripts/install_deps.sh
scripts/firebird_up.sh
cmake -S . -B $build -DCMAKE_BUILD_TYPE=Release -DVANTOR_BENCH=ON >/dev/null
cmake --build $build -j"$(nproc)" --target vantor-server raw_baseline hold_connections encoder_bench >/dev/null

mkdir -p $data && chmod 1777 $data
for items in 10000 100000; do
  if [ ! -f $data/items-$items.fdb ]; then
    echo "generating the benchmark database with $items items..." >&2
    bench/make_bench_database.sh $data/items-$items.fdb $items $build/vantor-server
  fi
  [ -f $data/codes-$items.txt ] || seq 1 $items | awk '{ r = $1 % 3;
      if (r == 0) printf "I%07d\n", $1; else if (r == 1) printf "20%011d\n", $1; else printf "30%011d\n", $1 }' \
      > $data/codes-$items.txt
done

server_dir=$(mktemp -d)
server_pid=""
stop_server() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null; server_pid=""; }
trap 'stop_server; rm -rf "$server_dir"' EXIT
start_server() {  # start_server ITEMS [PROGRAM]
  stop_server
  cp "${2:-$build/vantor-server}" "$server_dir/vantor-server"
  echo "localhost:$data/items-$1.fdb" > "$server_dir/ip.txt"
  echo $port > "$server_dir/port.txt"
  (cd "$server_dir" && exec ./vantor-server </dev/null >/dev/null 2>&1) &
  server_pid=$!
  for _ in $(seq 100); do curl -s -o /dev/null "http://127.0.0.1:$port/nothing" && return 0; sleep 0.1; done
  echo "the server did not start" >&2; exit 1
}

median_line() {  # the line of median first field among three lines on standard input
  sort -n | sed -n 2p
}

raw_best() {  # raw_best ITEMS: "rate p50 p99" of the best thread count, each the median of 3
  local best="0 0 0"
  for threads in 1 2 4; do
    local line
    line=$(for _ in 1 2 3; do
      $build/bench/raw_baseline price "localhost:$data/items-$1.fdb" $data/codes-$1.txt $threads "$seconds"
    done | median_line)
    [ "${line%% *}" -gt "${best%% *}" ] && best=$line
  done
  echo "$best"
}

wrk_price() {  # wrk_price ITEMS CONNECTIONS: "rate p50_ms p99_ms requests wrk_cpu_seconds"
  local threads=2 out cpu
  [ "$2" -lt 2 ] && threads=1
  out=$(mktemp)
  cpu=$( { TIMEFORMAT="%U %S"; time CODES=$data/codes-$1.txt wrk -t$threads -c"$2" -d"${seconds}s" --latency \
      -s bench/price.lua "http://127.0.0.1:$port" > "$out"; } 2>&1 )
  awk -v cpu="$cpu" '
    function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
    /^ +50%/ { p50 = ms($2) } /^ +99%/ { p99 = ms($2) } /^Requests\/sec/ { rate = $2 }
    / requests in / { requests = $1 }
    END { split(cpu, c, " "); printf "%.0f %.2f %.2f %d %.2f\n", rate, p50, p99, requests, c[1] + c[2] }' "$out"
  rm -f "$out"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # user + system time of a process

# wrk_price_median ITEMS CONNECTIONS: "rate p50 p99" of the median of three runs, then the
# CPU microseconds per request over all three of the server, of Firebird and of wrk
wrk_price_median() {
  local firebird server_before firebird_before runs requests wrk_cpu
  firebird=$(pgrep -x firebird | head -1)
  server_before=$(cpu_ticks "$server_pid")
  firebird_before=$(cpu_ticks "$firebird")
  runs=$(for _ in 1 2 3; do wrk_price "$1" "$2"; done)
  requests=$(awk '{ n += $4 } END { print n }' <<<"$runs")
  wrk_cpu=$(awk '{ s += $5 } END { print s }' <<<"$runs")
  awk -v s=$(( $(cpu_ticks "$server_pid") - server_before )) -v f=$(( $(cpu_ticks "$firebird") - firebird_before )) \
      -v n="$requests" -v hz="$(getconf CLK_TCK)" -v median="$(median_line <<<"$runs")" -v w="$wrk_cpu" \
      'BEGIN { split(median, m, " "); printf "%s %s %s %.0f %.0f %.0f\n", m[1], m[2], m[3], s * 1e6 / hz / n, f * 1e6 / hz / n, w * 1e6 / n }'
}

# big_lists TARGET RAW_ARGS...: "raw_ms server_ms", each the median of 5 runs taken in
# turns, so that a slower spell of the machine falls on both sides alike
big_lists() {
  local target=$1 raws=() servers=()
  shift
  for _ in 1 2 3 4 5; do
    raws+=("$($build/bench/raw_baseline fetch "localhost:$data/items-100000.fdb" "$@" 1 | cut -d' ' -f1)")
    servers+=("$(curl -s -o /dev/null -w "%{time_total}" "http://127.0.0.1:$port$target" | awk '{ printf "%.1f", $1 * 1000 }')")
  done
  echo "$(printf "%s\n" "${raws[@]}" | sort -n | sed -n 3p) $(printf "%s\n" "${servers[@]}" | sort -n | sed -n 3p)"
}

# turns_16_64 ITEMS: "rate16 cpu16 rate64 cpu64": the median rates of three runs at 16 and
# three at 64 connections, taken in turns, and the server's CPU microseconds per request
# over each side's runs
turns_16_64() {
  local runs16=() runs64=() cpu16=0 cpu64=0 n16=0 n64=0 before line
  for _ in 1 2 3; do
    for c in 16 64; do
      before=$(cpu_ticks "$server_pid")
      line=$(wrk_price "$1" $c)
      local used=$(( $(cpu_ticks "$server_pid") - before )) requests
      requests=$(cut -d' ' -f4 <<<"$line")
      if [ $c -eq 16 ]; then runs16+=("$line"); cpu16=$((cpu16 + used)); n16=$((n16 + requests))
      else runs64+=("$line"); cpu64=$((cpu64 + used)); n64=$((n64 + requests)); fi
    done
  done
  awk -v r16="$(printf "%s\n" "${runs16[@]}" | median_line | cut -d' ' -f1)" \
      -v r64="$(printf "%s\n" "${runs64[@]}" | median_line | cut -d' ' -f1)" \
      -v c16=$cpu16 -v c64=$cpu64 -v n16=$n16 -v n64=$n64 -v hz="$(getconf CLK_TCK)" \
      'BEGIN { printf "%s %.0f %s %.0f\n", r16, c16 * 1e6 / hz / n16, r64, c64 * 1e6 / hz / n64 }'
}

# fair_run: "product2_per_s price_p50_ms price_p99_ms" with 16 connections looping
# "/product2" on 100,000 items and one looping "/price" beside them
fair_run() {
  local big price
  big=$(mktemp) price=$(mktemp)
  wrk -t1 -c16 -d"${seconds}s" --timeout 60s "http://127.0.0.1:$port/product2" > "$big" &
  local big_pid=$!
  sleep 1
  CODES=$data/codes-100000.txt wrk -t1 -c1 -d"$((seconds - 2))s" --timeout 60s --latency -s bench/price.lua \
    "http://127.0.0.1:$port" > "$price"
  wait $big_pid
  awk 'function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
       FNR == NR && /^Requests\/sec/ { rate = $2 } FNR != NR && /^ +50%/ { p50 = ms($2) } FNR != NR && /^ +99%/ { p99 = ms($2) }
       END { printf "%.2f %.2f %.2f\n", rate, p50, p99 }' "$big" "$price"
  rm -f "$big" "$price"
}

# bench/run.sh fair [OTHER_PROGRAM]: the lookups beside big lists, three runs; with another
# build of vantor-server (an older one) the two take turns and both are printed
if [ "${1:-}" = fair ]; then
  programs=("$root/$build/vantor-server")
  [ -n "${2:-}" ] && programs+=("$(realpath "$2")")
  declare -A lines
  for turn in 1 2 3; do
    for program in "${programs[@]}"; do
      start_server 100000 "$program"
      lines[$program]+="$(fair_run)"$'\n'
    done
  done
  echo "| program | /product2 per second (16 connections) | /price p50 ms | /price p99 ms |"
  echo "|---|---|---|---|"
  for program in "${programs[@]}"; do
    read -r rate p50 p99 <<<"$(for column in 1 2 3; do
      printf "%s" "${lines[$program]}" | cut -d' ' -f$column | sort -n | sed -n 2p; done | tr '\n' ' ')"
    echo "| $program | $rate | $p50 | $p99 |"
  done
  exit 0
fi

# bench/run.sh compare OTHER_PROGRAM: "/price" at 64 connections on 100,000 items with this
# build and another (built with other flags, say), three runs of each taken in turns:
# the median rate and the server's CPU per request over each side's runs
if [ "${1:-}" = compare ]; then
  other=$(realpath "$2")
  declare -A rates cpu requests
  for _ in 1 2 3; do
    for program in "$root/$build/vantor-server" "$other"; do
      start_server 100000 "$program"
      wrk_price 100000 64 >/dev/null  # warm the attachments
      before=$(cpu_ticks "$server_pid")
      line=$(wrk_price 100000 64)
      cpu[$program]=$(( ${cpu[$program]:-0} + $(cpu_ticks "$server_pid") - before ))
      requests[$program]=$(( ${requests[$program]:-0} + $(cut -d' ' -f4 <<<"$line") ))
      rates[$program]+="$(cut -d' ' -f1 <<<"$line")"$'\n'
    done
  done
  echo "| program | /price per second at 64 (median of 3) | server CPU µs per request |"
  echo "|---|---|---|"
  for program in "$root/$build/vantor-server" "$other"; do
    echo "| $program | $(printf "%s" "${rates[$program]}" | sort -n | sed -n 2p) |" \
      "$(awk -v c="${cpu[$program]}" -v n="${requests[$program]}" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { printf "%.0f", c * 1e6 / hz / n }') |"
  done
  exit 0
fi

# bench/run.sh console: "/price" at 64 connections on 100,000 items without and with 8
# operator console viewers following the live feed (curl), three runs of each taken in
# turns: the median rate and the server's CPU per request over each side's runs
if [ "${1:-}" = console ]; then
  admin=8098
  echo "admin = 127.0.0.1:$admin" > "$server_dir/vantor.conf"
  start_server 100000
  wrk_price 100000 64 >/dev/null  # warm the attachments
  declare -A rates cpu requests
  for _ in 1 2 3; do
    for viewers in 0 8; do
      followers=()
      for _ in $(seq "$viewers"); do
        curl -s -N -o /dev/null "http://127.0.0.1:$admin/console/events" &
        followers+=($!)
      done
      sleep 0.5
      before=$(cpu_ticks "$server_pid")
      line=$(wrk_price 100000 64)
      cpu[$viewers]=$(( ${cpu[$viewers]:-0} + $(cpu_ticks "$server_pid") - before ))
      requests[$viewers]=$(( ${requests[$viewers]:-0} + $(cut -d' ' -f4 <<<"$line") ))
      rates[$viewers]+="$(cut -d' ' -f1 <<<"$line")"$'\n'
      [ ${#followers[@]} -gt 0 ] && { kill "${followers[@]}" 2>/dev/null; wait "${followers[@]}" 2>/dev/null || true; }
    done
  done
  echo "| console viewers | /price per second at 64 (median of 3) | server CPU µs per request |"
  echo "|---|---|---|"
  for viewers in 0 8; do
    echo "| $viewers | $(printf "%s" "${rates[$viewers]}" | sort -n | sed -n 2p) |" \
      "$(awk -v c="${cpu[$viewers]}" -v n="${requests[$viewers]}" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { printf "%.0f", c * 1e6 / hz / n }') |"
  done
  exit 0
fi

if [ "${1:-}" = price ]; then
  echo "| items | /price per second at 16 | server CPU µs per request at 16 | at 64 | CPU at 64 | 64 / 16 |"
  echo "|---|---|---|---|---|---|"
  for items in 100000 10000; do
    start_server $items
    wrk_price $items 16 >/dev/null  # warm the caches and the attachments
    read -r r16 c16 r64 c64 <<<"$(turns_16_64 $items)"
    echo "| $items | $r16 | $c16 | $r64 | $c64 | $(ratio "$r64" "$r16") |"
  done
  exit 0
fi

echo "measuring the raw statements (100,000 items)..." >&2
read -r raw_rate raw_p50 raw_p99 <<<"$(raw_best 100000)"

echo "measuring the server (100,000 items)..." >&2
start_server 100000
read -r c1_rate c1_p50 c1_p99 _ <<<"$(wrk_price 100000 1)"
read -r c16_rate c16_p50 c16_p99 _ <<<"$(wrk_price 100000 16)"
read -r c64_rate c64_p50 c64_p99 c64_server_us c64_firebird_us c64_wrk_us <<<"$(wrk_price_median 100000 64)"
read -r raw_product2 http_product2 <<<"$(big_lists /product2 product2)"
read -r raw_stat http_stat <<<"$(big_lists "/stat?id=4100001" saccount 4100001)"

# the server holds at most 10,000 connections: the idle ones and wrk's 64 make 10,000
echo "measuring 9,936 idle connections beside the price run at 64 connections..." >&2
start_server 100000
idle_out=$(mktemp)
$build/bench/hold_connections $port 9936 $((seconds * 3)) > "$idle_out" &
holder=$!
for _ in $(seq 600); do [ -s "$idle_out" ] && break; sleep 0.1; done
held=$(cat "$idle_out")
read -r idle_rate _ idle_p99 _ <<<"$(wrk_price 100000 64)"
rss_kb=$(awk '/VmRSS/ { print $2 }' /proc/$server_pid/status)
wait $holder || true
rm -f "$idle_out"

echo "measuring the small database (10,000 items)..." >&2
read -r small_raw _ _ <<<"$(raw_best 10000)"
start_server 10000
read -r small_rate _ _ small_server_us small_firebird_us small_wrk_us <<<"$(wrk_price_median 10000 64)"
stop_server

encoders=$($build/bench/encoder_bench 2>/dev/null |
  awk '/items_per_second/ { for (i = 1; i <= NF; ++i) if ($i ~ /^items_per_second=/) { split($i, v, "="); sub(/\/s$/, "", v[2]); printf "%s %s rows/s; ", $1, v[2] } }')

cat <<TABLE

| measurement | raw statements | through vantor-server | ratio | target |
|---|---|---|---|---|
| /price per second, best of 1/2/4 attachments vs 64 connections (medians of 3) | $raw_rate | $c64_rate | $(ratio "$c64_rate" "$raw_rate") | >= 0.88 |
| /price at 64 connections: CPU per request, server / Firebird / wrk, microseconds | | $c64_server_us / $c64_firebird_us / $c64_wrk_us | | server <= 90 |
| /price at 64 connections: p50 / p99 ms | | $c64_p50 / $c64_p99 | $(ratio "$c64_p99" "$c64_p50") | p99 <= 3 x p50 |
| /price at 1 connection: per second, p50 / p99 ms | $raw_p50 / $raw_p99 (best run) | $c1_rate, $c1_p50 / $c1_p99 | | |
| /price at 16 connections: per second, p50 / p99 ms | | $c16_rate, $c16_p50 / $c16_p99 | | |
| /product2, 100,000 rows, median of 5 (in turns), ms | $raw_product2 | $http_product2 | $(ratio "$http_product2" "$raw_product2") | <= 1.15 |
| /stat, 10,000 rows, median of 5 (in turns), ms | $raw_stat | $http_stat | $(ratio "$http_stat" "$raw_stat") | <= 1.15 |
| /price per second with $held idle keep-alive connections open | | $idle_rate (p99 $idle_p99 ms) | | |
| server resident memory with those connections, MB | | $((rss_kb / 1024)) | | < 64 |
| /price per second, 10,000 items (medians of 3) | $small_raw | $small_rate | $(ratio "$small_rate" "$small_raw") | >= 0.88 |
| /price at 64 connections, 10,000 items: CPU per request, server / Firebird / wrk, microseconds | | $small_server_us / $small_firebird_us / $small_wrk_us | | server <= 90 |

Encoders on 100,000 in-memory rows of 16 columns: $encoders
Machine: $(nproc) cores shared by Firebird, wrk and the server; $(date -u +%Y-%m-%d).
TABLE
