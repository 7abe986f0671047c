#!/usr/bin/env bash
# Fails when a C++ file is not formatted as .clang-format says, by Debian 12's
# clang-format-14 (named explicitly: other versions format some lines differently).
# Fix with: clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.hpp' '*.h' | grep -v '^tests/fuzz/corpus/')
clang-format-14 --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files as .clang-format says"
