#!/usr/bin/env bash
# scripts/fuzz.sh [-j N] NAME SECONDS   runs one fuzz target (tests/fuzz/NAME.cpp)
# scripts/fuzz.sh [-j N] --all SECONDS  runs every target, side by side, one per job
# Builds what the targets need in the checking build (build/check, shared with
# scripts/test.sh) first; the build's output goes to build/logs/fuzz-build.log.
# Each target's output goes to build/check/fuzz/NAME.log, findings land in
# build/check/fuzz/findings.
# -j N (or ZMR_JOBS=N) sets how many jobs build and how many targets run at
# once (default: the core count); ZMR_FUZZ_JOBS overrides the latter alone.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
usage() { echo "usage: scripts/fuzz.sh [-j N] NAME|--all SECONDS" >&2; exit 2; }
build_jobs=${ZMR_JOBS:-$(nproc)}
args=()
while [ $# -gt 0 ]; do
  case $1 in
    -j) [ $# -ge 2 ] || usage; build_jobs=$2; shift 2 ;;
    -j*) build_jobs=${1#-j}; shift ;;
    *) args+=("$1"); shift ;;
  esac
done
[ ${#args[@]} -eq 2 ] || usage
[[ "$build_jobs" =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: the job count must be a positive number, not '$build_jobs'" >&2; exit 2; }
name=${args[0]} seconds=${args[1]}
shopt -s nullglob
sources=(tests/fuzz/*.cpp)
if [ ${#sources[@]} -eq 0 ]; then echo "no fuzz targets"; exit 0; fi

if [ "$name" = "--all" ]; then
  targets=(); for s in "${sources[@]}"; do targets+=("$(basename "$s" .cpp)"); done
else
  targets=("$name")
fi
zmr_stage fuzz-build "Building ${#targets[@]} fuzz target(s) in build/check…" zmr_build_check "$build_jobs" "${targets[@]}"
out=build/check/fuzz
mkdir -p "$out/findings"

# libFuzzer checks -max_total_time only between inputs, so one input that
# never finishes would hold the run for ever; past this many seconds on one
# input it is a finding (a "timeout-" file) instead. Every target handles an
# input in well under a second, so even under the sanitizers on a loaded
# two-core machine an honest input stays far below it.
per_input_seconds=60

# Runs one target; its output goes to build/check/fuzz/NAME.log.
fuzz_one() {
  local t=$1 corpus="$out/corpus/$1" seeds="tests/fuzz/seeds/$1"
  mkdir -p "$corpus"; [ -d "$seeds" ] || seeds=""
  build/check/tests/fuzz/"$t" -max_total_time="$seconds" -timeout="$per_input_seconds" -artifact_prefix="$out/findings/$t-" \
    -print_final_stats=0 "$corpus" $seeds >"$out/$t.log" 2>&1
}

jobs=${ZMR_FUZZ_JOBS:-$build_jobs}
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
for t in "${failed[@]}"; do echo "fuzz target $t failed:"; tail -40 "$out/$t".log; done
[ ${#failed[@]} -eq 0 ]
