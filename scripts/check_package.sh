#!/usr/bin/env bash
# check_package.sh BUILD_DIR TEST_DB_DIR: builds the Debian packages in BUILD_DIR, checks
# what they hold, lintian's verdict, the unit's exposure and the maintainer scripts, then
# starts the program extracted from vantor-server's package with --config-dir on a copy
# of the upgraded test database: it must answer a request.
set -euo pipefail
build=$(cd "$1" && pwd)
dbdir=$2
port=8091

fail() { echo "package check: $*" >&2; exit 1; }

# cpack builds nothing itself: what the packages hold is built first, and only that
cmake --build "$build" --target vantor-server vantor-window vantor-server-docs vantor-window-docs >/dev/null
rm -f "$build"/vantor-*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1)
server_deb=$(ls "$build"/vantor-server_*.deb)
window_deb=$(ls "$build"/vantor-window_*.deb)

# Debian's own checks: lintian without errors or warnings, the unit's exposure at 2.0 or
# lower
findings=$(lintian --suppress-tags running-with-root-privileges "$server_deb" "$window_deb" 2>&1 |
  grep -E '^(E|W):' || true)
[ -z "$findings" ] || fail "lintian: $findings"
source_dir=$(cd "$(dirname "$0")/.." && pwd)
exposure=$(systemd-analyze security --offline=yes "$source_dir/packaging/vantor-server.service" 2>/dev/null |
  awk '/Overall exposure level/ { print $(NF-2) }')
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.0) }' || fail "the unit's exposure is $exposure (above 2.0)"

# The maintainer scripts, run with stubs of the tools they call first in PATH: a first
# install makes the user and records the unit without enabling or starting it; an
# upgrade restarts a running service; a removal stops it; a purge forgets it.
stubs=$(mktemp -d)
for tool in adduser deb-systemd-helper deb-systemd-invoke systemctl getent; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n[ "%s" != getent ]\n' "$tool" "$stubs" "$tool" > "$stubs/$tool"
  chmod 755 "$stubs/$tool"
done
dpkg-deb -e "$server_deb" "$stubs/control"
run_script() {  # run_script SCRIPT ARGS...: the calls the script made, one per line
  : > "$stubs/calls"
  PATH="$stubs:$PATH" sh "$stubs/control/$1" "${@:2}" || fail "$1 $* failed"
  cat "$stubs/calls"
}
expect_calls() {  # expect_calls WHAT ACTUAL EXPECTED
  [ "$2" = "$3" ] || fail "$1: the calls were
$2
instead of
$3"
}
expect_calls "install" "$(run_script postinst configure)" "getent passwd vantor
adduser --system --group --no-create-home --home /var/lib/vantor --quiet vantor
deb-systemd-helper update-state vantor-server.service"
expect_calls "upgrade" "$(run_script prerm upgrade 1.0.0; run_script postinst configure 0.9.0)" "getent passwd vantor
adduser --system --group --no-create-home --home /var/lib/vantor --quiet vantor
deb-systemd-helper update-state vantor-server.service
systemctl --system daemon-reload
deb-systemd-invoke try-restart vantor-server.service"
expect_calls "remove" "$(run_script prerm remove; run_script postrm remove)" "deb-systemd-invoke stop vantor-server.service
systemctl --system daemon-reload"
expect_calls "purge" "$(run_script postrm purge)" "systemctl --system daemon-reload
deb-systemd-helper purge vantor-server.service"
rm -rf "$stubs"
contents=$(dpkg-deb -c "$server_deb")
for file in ./usr/bin/vantor-server ./etc/vantor/port.txt ./etc/vantor/vantor.conf \
            ./lib/systemd/system/vantor-server.service ./usr/share/man/man1/vantor-server.1.gz \
            ./usr/share/doc/vantor-server/copyright ./usr/share/doc/vantor-server/changelog.gz; do
  grep -q " $file\$" <<<"$contents" || fail "$file is not in $server_deb"
done
window_contents=$(dpkg-deb -c "$window_deb")
for file in ./usr/bin/vantor-window ./usr/share/man/man1/vantor-window.1.gz; do
  grep -q " $file\$" <<<"$window_contents" || fail "$file is not in $window_deb"
done
grep -q ' ./etc/vantor/ip.txt$' <<<"$contents" && fail "ip.txt is in $server_deb (the admin writes it)"
dpkg-deb -I "$server_deb" conffiles | grep -q '^/etc/vantor/vantor.conf$' || fail "vantor.conf is no conffile"
dpkg-deb -f "$server_deb" Depends | grep -q fltk && fail "vantor-server depends on FLTK"

scratch=$(mktemp -d)
chmod 755 "$scratch"  # the Firebird server reads the database copy
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
dpkg-deb -x "$server_deb" "$scratch"
cp "$dbdir/upgraded.fdb" "$scratch/packaged.fdb"
chmod 666 "$scratch/packaged.fdb"
echo "$port" > "$scratch/etc/vantor/port.txt"
echo "localhost:$scratch/packaged.fdb" > "$scratch/etc/vantor/ip.txt"
"$scratch/usr/bin/vantor-server" --config-dir "$scratch/etc/vantor" </dev/null >"$scratch/log" 2>&1 &
pid=$!
answer=""
for _ in $(seq 100); do
  answer=$(curl -s "http://127.0.0.1:$port/whqty?code=A100" || true)
  [ -n "$answer" ] && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid" || fail "the packaged program did not stop in order"
[[ "$answer" == '[{"item":"A100"'* ]] || { cat "$scratch/log"; fail "the packaged program answered: $answer"; }
echo "package check: $(basename "$server_deb") and $(basename "$window_deb") hold what they should, lintian finds nothing, the unit's exposure is $exposure, the maintainer scripts call what they should; the packaged program answers"
