#!/usr/bin/env bash
# Checks that the C++ sources are formatted as .clang-format says (clang-format 14, which
# scripts/setup.sh installs); fails with the list of files to format. To format them:
#   clang-format-14 -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || { echo "format-check: $format is missing (scripts/setup.sh installs it)" >&2; exit 2; }
mapfile -t unformatted < <(git ls-files -z -- '*.cpp' '*.h' |
  xargs -0 -P"$(nproc)" -n 8 sh -c 'for f; do "$0" --style=file "$f" | cmp -s - "$f" || echo "$f"; done' "$format" | sort)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "format-check: ${#unformatted[@]} files to format with $format -i:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format-check: all C++ sources formatted"
