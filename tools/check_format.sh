#!/usr/bin/env bash
# Fails when a C++ file differs from what the project's .clang-format makes of
# it, and lists those files. Checks the files given, or else every C++ file
# that git knows or would add: the whole tree is kept formatted, so that is
# every changed file and costs a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
fi
bad=()
for file in "${files[@]}"; do
  [ -f "$file" ] || continue
  clang-format --style=file "$file" | cmp -s - "$file" || bad+=("$file")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted with .clang-format (run clang-format -i on them):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
