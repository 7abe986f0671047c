#!/usr/bin/env bash
# The test command: installs what is missing, starts the Firebird server, builds and
# runs every test. Run it as root on Debian 12 (apt-get and the server need it).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install_deps.sh
scripts/firebird_up.sh

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j2
