#!/usr/bin/env bash
# The run command: installs what is missing, builds, creates the demo database beside the
# program when there is none (opened by the embedded engine, no database server needed),
# and starts vantor-server in this terminal. Put ip.txt beside the program to serve
# another database instead; port.txt sets the port (default 8080).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j"$(nproc)" --target vantor-server vantor-window
program_dir=build/release
if [ ! -f "$program_dir/ip.txt" ] && [ ! -f "$program_dir/vantor.fdb" ]; then
  echo "creating the demo database $program_dir/vantor.fdb"
  scripts/make_database.sh --embedded "$PWD/$program_dir/vantor.fdb" \
    schema/testdb/erp_objects.sql schema/testdb/demo_data.sql
  # the first run creates the table, the second the objects that need its columns
  "$program_dir/vantor-server" --update
  "$program_dir/vantor-server" --update
fi
exec "$program_dir/vantor-server"
