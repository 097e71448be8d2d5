#!/usr/bin/env bash
# scripts/fuzz.sh NAME SECONDS   runs one fuzz target (tests/fuzz/NAME.cpp)
# scripts/fuzz.sh --all SECONDS  runs every target, side by side, one per core
# Builds the clang fuzz build in build/fuzz first. Findings land in build/fuzz/findings.
# ZMR_FUZZ_JOBS overrides how many targets run at once (default: the core count).
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

# Runs one target; its output goes to build/fuzz/NAME.log.
fuzz_one() {
  local t=$1 corpus="build/fuzz/corpus/$1" seeds="tests/fuzz/seeds/$1"
  mkdir -p "$corpus"; [ -d "$seeds" ] || seeds=""
  build/fuzz/tests/fuzz/"$t" -max_total_time="$seconds" -artifact_prefix=build/fuzz/findings/"$t"- \
    -print_final_stats=0 "$corpus" $seeds >build/fuzz/"$t".log 2>&1
}

jobs=${ZMR_FUZZ_JOBS:-$(nproc)}
declare -A running=()
failed=()
# Waits for one running target and records it if it failed.
reap_one() {
  local pid t status=0
  wait -n -p pid || status=$?
  for t in "${!running[@]}"; do
    if [ "${running[$t]}" = "$pid" ]; then
      if [ "$status" -eq 0 ]; then echo "fuzzed $t for ${seconds}s"; else failed+=("$t"); fi
      unset "running[$t]"
      return
    fi
  done
}
for t in "${targets[@]}"; do
  while [ ${#running[@]} -ge "$jobs" ]; do reap_one; done
  fuzz_one "$t" & running[$t]=$!
done
while [ ${#running[@]} -gt 0 ]; do reap_one; done
for t in "${failed[@]}"; do echo "fuzz target $t failed:"; tail -40 build/fuzz/"$t".log; done
[ ${#failed[@]} -eq 0 ]
