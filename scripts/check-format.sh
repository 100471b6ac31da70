#!/usr/bin/env bash
# Fails, listing the files, when a tracked .cpp or .h under src, tests, bench or fuzz does not
# match the repository's .clang-format (clang-format 14, Debian 12's; other versions format
# differently). Fix with: clang-format -i <files>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
format=${CLANG_FORMAT:-clang-format}
if ! version=$("$format" --version 2>/dev/null); then
  echo "check-format: $format not found (scripts/install-deps.sh installs clang-format)" >&2
  exit 2
fi
if ! grep -q "version 14\." <<<"$version"; then
  echo "check-format: needs clang-format 14, found: $version" >&2
  exit 2
fi
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no tracked sources found under $root" >&2
  exit 2
fi
bad=()
for f in "${files[@]}"; do
  if ! "$format" --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "check-format: ${#bad[@]} of ${#files[@]} files do not match .clang-format:" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files match .clang-format"
