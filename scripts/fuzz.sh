#!/usr/bin/env bash
# scripts/fuzz.sh NAME SECONDS   runs one fuzz target (tests/fuzz/NAME.cpp)
# scripts/fuzz.sh --all SECONDS  runs every target in turn
# Builds the clang fuzz build in build/fuzz first. Findings land in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: scripts/fuzz.sh NAME|--all SECONDS" >&2; exit 2; }
name=$1 seconds=$2
shopt -s nullglob
sources=(tests/fuzz/*.cpp)
if [ ${#sources[@]} -eq 0 ]; then echo "no fuzz targets"; exit 0; fi

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOMARU_FUZZ=ON >/dev/null
if [ "$name" = "--all" ]; then
  targets=(); for s in "${sources[@]}"; do targets+=("$(basename "$s" .cpp)"); done
else
  targets=("$name")
fi
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"
mkdir -p build/fuzz/findings
for t in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$t"; mkdir -p "$corpus"
  seeds="tests/fuzz/seeds/$t"; [ -d "$seeds" ] || seeds=""
  echo "fuzzing $t for ${seconds}s"
  build/fuzz/tests/fuzz/"$t" -max_total_time="$seconds" -artifact_prefix=build/fuzz/findings/"$t"- \
    -print_final_stats=0 "$corpus" $seeds 2>build/fuzz/"$t".log || { tail -40 build/fuzz/"$t".log; exit 1; }
done
