#!/usr/bin/env bash
# Fails when a source file includes a folder above its own. The layers, from the top:
#   shell -> http -> (encode, schema) -> db -> text
# A folder may include itself and any folder below it; encode and schema stand side by
# side and include neither each other. tests/ and bench/ may include every layer.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case "$1" in
    text) echo 0 ;; db) echo 1 ;; encode | schema) echo 2 ;; http) echo 3 ;; shell) echo 4 ;;
    *) echo -1 ;;
  esac
}

failures=0
while IFS= read -r line; do
  file=${line%%:*}
  own=${file%%/*}
  included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
  [ "$(rank "$included")" -lt 0 ] && continue
  if [ "$included" != "$own" ] && [ "$(rank "$included")" -ge "$(rank "$own")" ]; then
    echo "wrong-way include: $line"
    failures=$((failures + 1))
  fi
done < <(grep -rn --include='*.cpp' --include='*.hpp' -E '^#include "[a-z_]+/' text db encode schema http shell)

if [ "$failures" -gt 0 ]; then
  echo "$failures include(s) go up the layers" >&2
  exit 1
fi
echo "layers: every include goes down"
