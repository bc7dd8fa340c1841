#!/usr/bin/env bash
# Every C++ source file of the repository as clang-format leaves it, in the
# style of .clang-format at the top. The tree is formatted by clang-format 14
# (Debian 12's); other versions break some lines differently, so only that
# one judges it.
#   tests/style/test_format.sh [SOURCE_DIR]
set -uo pipefail
source_dir=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$source_dir" || exit 1

tool=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1 &&
    "$candidate" --version | grep -q 'version 14\.'; then
    tool=$candidate
    break
  fi
done
if [ -z "$tool" ]; then
  echo "SKIP: clang-format 14 is not installed (tools/setup.sh installs it on Debian 12)"
  exit 77
fi

# The sources, without the build folders (build, build-asan, build-web, ...).
mapfile -t files < <(find . \( -path ./.git -o -path './build*' -o -path ./dist -o -path ./out \) \
  -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
[ ${#files[@]} -gt 100 ] || { echo "FAIL: only ${#files[@]} source files found in $source_dir"; exit 1; }

report=$("$tool" --dry-run --Werror "${files[@]}" 2>&1)
if [ -n "$report" ]; then
  echo "FAIL: not formatted (clang-format -i FILE fixes it):"
  grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/  /'
  head -n 40 <<<"$report"
  exit 1
fi
echo "PASS: ${#files[@]} files formatted"
