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
  haproxy openssl
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
