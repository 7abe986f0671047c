#!/usr/bin/env bash
# make_test_databases.sh DIR SETUP_TOOL: the templates the database tests copy from.
#   DIR/erp.fdb       the ERP objects and the test data, nothing of ours installed
#   DIR/upgraded.fdb  the same after two runs of the schema upgrade
set -euo pipefail
dir=$1
tool=$2
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$dir"
chmod 1777 "$dir"
"$here/scripts/make_database.sh" "$dir/erp.fdb" \
  "$here/schema/testdb/erp_objects.sql" "$here/schema/testdb/test_data.sql"
"$tool" "$dir/erp.fdb" "$dir/upgraded.fdb"
