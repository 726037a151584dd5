#!/usr/bin/env bash
# Lists every tracked C++ file that differs from .clang-format and exits 1 if there is any.
# The version is pinned (tools/deps.sh installs it) because each release formats a little differently.
#
#   tools/check-format.sh         check
#   tools/check-format.sh --fix   format those files in place
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
formatter=clang-format-14
cd "$root"

unformatted=()
while IFS= read -r -d '' file; do
  if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')

[ ${#unformatted[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--fix" ]; then
  "$formatter" -i "${unformatted[@]}"
  exit 0
fi
echo "these files differ from .clang-format ($formatter); tools/check-format.sh --fix formats them:" >&2
printf '  %s\n' "${unformatted[@]}" >&2
exit 1
