#!/usr/bin/env bash
# Prints the test/code ratio: non-blank lines of tests/ (fuzz targets included)
# over non-blank lines of platform, framework, c, app and tools (and sdk once
# it exists). The generated
# pinyin table is data, not code, and bench/ is neither.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$@" -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) ! -name pinyin_table.c -print0 |
    xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true
}
tests=$(count tests)
dirs=(platform framework c app tools); [ -d sdk ] && dirs+=(sdk)
code=$(count "${dirs[@]}")
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d, code %d, ratio %.3f\n", t, c, t / c }'
