#!/usr/bin/env bash
# check_package.sh BUILD_DIR TEST_DB_DIR: builds the Debian packages in BUILD_DIR, checks
# what they hold, then starts the program extracted from vantor-server's package with
# --config-dir on a copy of the upgraded test database: it must answer a request.
set -euo pipefail
build=$(cd "$1" && pwd)
dbdir=$2
port=8091

(cd "$build" && cpack -G DEB >/dev/null 2>&1)
server_deb=$(ls "$build"/vantor-server_*.deb)
window_deb=$(ls "$build"/vantor-window_*.deb)

fail() { echo "package check: $*" >&2; exit 1; }
contents=$(dpkg-deb -c "$server_deb")
for file in ./usr/bin/vantor-server ./etc/vantor/port.txt ./etc/vantor/vantor.conf \
            ./lib/systemd/system/vantor-server.service; do
  grep -q " $file\$" <<<"$contents" || fail "$file is not in $server_deb"
done
grep -q ' ./etc/vantor/ip.txt$' <<<"$contents" && fail "ip.txt is in $server_deb (the admin writes it)"
dpkg-deb -I "$server_deb" conffiles | grep -q '^/etc/vantor/vantor.conf$' || fail "vantor.conf is no conffile"
dpkg-deb -I "$server_deb" postinst | grep -q 'adduser --system' || fail "postinst does not create the user"
dpkg-deb -f "$server_deb" Depends | grep -q fltk && fail "vantor-server depends on FLTK"
dpkg-deb -c "$window_deb" | grep -q ' ./usr/bin/vantor-window$' || fail "vantor-window is not in $window_deb"

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
echo "package check: $(basename "$server_deb") and $(basename "$window_deb") hold what they should; the packaged program answers"
