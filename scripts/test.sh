#!/usr/bin/env bash
# The test command: installs what is missing, starts the Firebird server, then builds and
# runs every test four ways:
#   1. Release: the whole suite, and the Debian packages built, checked and run;
#   2. AddressSanitizer + UndefinedBehaviorSanitizer: the whole suite again;
#   3. ThreadSanitizer: the tests where requests run at the same time;
#   4. libFuzzer (clang): each fuzz target for a bounded number of runs.
# The formatting is checked once, first.
# Any failure or sanitizer report fails the command. Run it as root on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
started=$SECONDS
step() { echo "== $1 ($(( (SECONDS - started) / 60 )) min)"; }

scripts/install_deps.sh
scripts/firebird_up.sh

step "formatting"
scripts/check_format.sh

step "release build and tests"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j2

step "Debian packages"
scripts/check_package.sh build/release "$(grep '^VANTOR_TEST_DB_DIR:' build/release/CMakeCache.txt | cut -d= -f2)"

step "AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_SANITIZE=address -DVANTOR_BENCH=OFF >/dev/null
cmake --build build/asan -j"$jobs"
ctest --test-dir build/asan --output-on-failure -j2

step "ThreadSanitizer on the concurrency tests"
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_SANITIZE=thread -DVANTOR_BENCH=OFF \
  -DVANTOR_WINDOW=OFF >/dev/null
cmake --build build/tsan -j"$jobs" --target vantor-server vantor-test-setup http_tests endpoint_tests fault_tests
ctest --test-dir build/tsan --output-on-failure -j2 -R "setup_test_databases|http_tests|endpoint_tests|fault_tests"

step "fuzzing"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_FUZZ=ON \
  -DVANTOR_BENCH=OFF -DVANTOR_WINDOW=OFF >/dev/null
cmake --build build/fuzz -j"$jobs"
ctest --test-dir build/fuzz --output-on-failure -j2 -L fuzz

step "all passed"
