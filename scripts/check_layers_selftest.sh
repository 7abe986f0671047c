#!/usr/bin/env bash
# The layer check's own test: in a copy of the layers, plants each form of a wrong-way
# include that a simpler check would miss, and expects the check to name every one, and
# to pass on the copy without them.
set -euo pipefail
cd "$(dirname "$0")/.."
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r text db encode schema http shell scripts "$copy/"

if ! "$copy/scripts/check_layers.sh" "$copy" >/dev/null; then
  echo "the check fails on the tree as it is" >&2
  exit 1
fi

planted=(
  'db/planted_relative.cpp:#include "../http/route_table.hpp"'
  'db/planted_angled.cpp:#include <http/route_table.hpp>'
  'db/planted_spaced.cpp:# include "http/route_table.hpp"'
  'db/planted_indented.cpp:    #include "http/route_table.hpp"'
  'db/planted_header.h:#include "http/route_table.hpp"'
  'db/planted_inline.ipp:#include "../shell/core/application.hpp"'
  'text/planted_below.hpp:#include "db/cell.hpp"'
  'encode/planted_side.hpp:#include "schema/upgrade.hpp"'
  'http/planted_tab.hpp:#	include	"shell/core/version.hpp"'
)
for entry in "${planted[@]}"; do
  printf '%s\n' "${entry#*:}" >"$copy/${entry%%:*}"
done
output=$("$copy/scripts/check_layers.sh" "$copy" 2>&1) && {
  echo "the check passed with wrong-way includes planted" >&2
  exit 1
}
missed=0
for entry in "${planted[@]}"; do
  if ! grep -qF "wrong-way include: ${entry%%:*}:1:" <<<"$output"; then
    echo "missed: ${entry%%:*}: ${entry#*:}" >&2
    missed=$((missed + 1))
  fi
done
[ "$missed" -eq 0 ] || exit 1
echo "layer check: all ${#planted[@]} planted forms caught"
