#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the server need; does nothing
# for the ones already there. Needs root (or sudo) on a Debian 12 machine.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libboost-dev firebird-dev libfbclient2 firebird3.0-server firebird3.0-utils
  libjpeg-dev libfltk1.3-dev libsystemd-dev dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev clang-format-14
  xvfb xdotool xclip x11-apps imagemagick wrk curl procps iproute2
  haproxy openssl lintian help2man chromium python3-jsonschema
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# promtool alone, from Debian's prometheus package: the tests lint /metrics with it
install_promtool() {
  command -v promtool >/dev/null && return 0
  local work
  work=$(mktemp -d)
  (cd "$work" && { apt-get download prometheus >/dev/null 2>&1 ||
    { apt-get update -qq && apt-get download prometheus >/dev/null 2>&1; }; })
  dpkg-deb --fsys-tarfile "$work"/prometheus_*.deb | tar -x -C "$work" ./usr/bin/promtool
  $sudo install -m 755 "$work/usr/bin/promtool" /usr/local/bin/promtool
  rm -rf "$work"
}
install_promtool

# Node and npm: Debian's when the machine has none (a Node of its own comes with its npm)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# the npm packages of the browser tests and of the API description's check, as their lock
# files pin them (the browser is Debian's)
for folder in tests/browser tests/api; do
  folder="$(dirname "$0")/../$folder"
  if [ ! -f "$folder/node_modules/.package-lock.json" ] ||
    [ "$folder/package-lock.json" -nt "$folder/node_modules/.package-lock.json" ]; then
    (cd "$folder" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  fi
done
