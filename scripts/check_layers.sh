#!/usr/bin/env bash
# Fails when a file of a layer includes a file of a layer above its own. The layers, from
# the top:
#   shell -> http -> (encode, schema) -> db -> text
# A folder may include itself and any folder below it; encode and schema stand side by
# side and include neither each other. tests/ and bench/ may include every layer.
#
# Every include of every file in the layers (any extension) is resolved as the compiler
# resolves it: a quoted name first beside its file, then on the include path (the
# repository root); an angled name on the include path. Spaces after "#" or before it,
# "../" in the name and header files of any kind are all seen. What resolves outside the
# repository (system headers) is not ours to check.
#   scripts/check_layers.sh [ROOT]   (default: this repository)
set -euo pipefail
root=$(realpath "${1:-$(dirname "$0")/..}")
cd "$root"

rank() {
  case "$1" in
    text) echo 0 ;; db) echo 1 ;; encode | schema) echo 2 ;; http) echo 3 ;; shell) echo 4 ;;
    *) echo -1 ;;
  esac
}

# The layer of a path inside the repository: its first folder.
layer_of() { local relative=${1#"$root"/}; echo "${relative%%/*}"; }

# A path without "." and ".." parts (no process per include: the check stays fast).
normal() {
  local IFS=/ part
  local -a parts=() kept=()
  read -ra parts <<<"$1"
  for part in "${parts[@]}"; do
    case "$part" in
      "" | .) ;;
      ..) [ ${#kept[@]} -gt 0 ] && unset 'kept[${#kept[@]}-1]' ;;
      *) kept+=("$part") ;;
    esac
  done
  echo "/${kept[*]}"
}

# Where the compiler finds an include: prints the resolved path, or nothing.
resolve() {  # resolve FILE FORM NAME
  local file=$1 form=$2 name=$3 candidate
  if [ "$form" = '"' ]; then
    candidate=$(normal "$root/$(dirname "$file")/$name")
    [ -e "$candidate" ] && { echo "$candidate"; return; }
  fi
  candidate=$(normal "$root/$name")
  [ -e "$candidate" ] && echo "$candidate"
  return 0
}

failures=0
while IFS= read -r -d '' file; do
  own=$(layer_of "$root/${file#./}")
  line_number=0
  while IFS= read -r line || [ -n "$line" ]; do
    line_number=$((line_number + 1))
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
    form=${BASH_REMATCH[1]}
    name=${BASH_REMATCH[2]}
    resolved=$(resolve "$file" "$form" "$name")
    [ -n "$resolved" ] || continue
    case "$resolved" in "$root"/*) ;; *) continue ;; esac
    included=$(layer_of "$resolved")
    [ "$(rank "$included")" -lt 0 ] && continue
    if [ "$included" != "$own" ] && [ "$(rank "$included")" -ge "$(rank "$own")" ]; then
      echo "wrong-way include: ${file#./}:$line_number: $line"
      failures=$((failures + 1))
    fi
  done <"$file"
done < <(find ./text ./db ./encode ./schema ./http ./shell -type f -print0)

if [ "$failures" -gt 0 ]; then
  echo "$failures include(s) go up the layers" >&2
  exit 1
fi
echo "layers: every include goes down"
