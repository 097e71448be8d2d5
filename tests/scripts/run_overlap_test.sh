#!/usr/bin/env bash
# Two scripts/run.sh started together in one checkout: one builds, the other
# waits for it and then finds nothing to do, and no step is built twice. And
# the sweep of old run folders leaves those of runs still going: a window
# open for days still trusts the test CAs in its folder. A later run on the
# built tree configures nothing, unless a CMakeLists.txt changed.
# Runs on a copy of the source tree in a scratch folder, with --build-only
# and one small library as the target (ZMR_RUN_TARGETS), so it costs one
# configure and a few dozen compiles.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The tree as it stands (changes not yet committed included), without its builds.
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
    tar -C "$source_dir" --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$scratch" -xf -
else
  tar -C "$source_dir" --exclude=./build -cf - . | tar -C "$scratch" -xf -
fi

cd "$scratch"
export ZMR_RUN_TARGETS=pf_foundation ZMR_HOME="$scratch/home"
scripts/run.sh --build-only >first.out 2>&1 &
first=$!
scripts/run.sh --build-only >second.out 2>&1 &
second=$!
status=0
wait "$first" || status=$?
wait "$second" || status=$?

fail() {
  echo "FAILED: $*" >&2
  for f in first.out second.out third.out fourth.out build/logs/app-build.log; do
    echo "--- $f" >&2
    tail -n 20 "$f" >&2 || true
  done
  exit 1
}
[ "$status" -eq 0 ] || fail "a run failed (exit status $status)"
waited=$(cat first.out second.out | grep -c "waiting for it" || true)
[ "$waited" -eq 1 ] || fail "$waited runs waited for the other's build, not one"
# The log is the later run's: it found the tree built.
grep -q "ninja: no work to do" build/logs/app-build.log || fail "the run that waited built something"
# One line per step in the build tool's log: a step built twice has two.
built=$(awk '$4 ~ /\.(o|a)$/ { print $4 }' build/app/.ninja_log | sort)
[ "$(printf '%s\n' "$built" | grep -c . || true)" -ge 10 ] || fail "the library was not built"
twice=$(printf '%s\n' "$built" | uniq -d)
[ -z "$twice" ] || fail "built twice: $twice"
echo "run.sh: one build, the other run waited and built nothing"

# A run on the built tree does not configure again (seconds at every launch);
# the build tool configures again itself once a CMakeLists.txt changed.
scripts/run.sh --build-only >third.out 2>&1 || fail "a run on the built tree failed"
! grep -q "Configuring done" build/logs/app-build.log || fail "a run on the built tree configured again"
grep -q "ninja: no work to do" build/logs/app-build.log || fail "a run on the built tree built something"
echo "# changed" >>platform/foundation/CMakeLists.txt
scripts/run.sh --build-only >fourth.out 2>&1 || fail "a run after a CMakeLists.txt changed failed"
grep -q "Re-running CMake" build/logs/app-build.log || fail "a changed CMakeLists.txt was not configured again"
echo "run.sh: a built tree is not configured again, a changed CMakeLists.txt is"

# Old folders of a live run (this script) and of a finished one, and a fresh
# folder of a finished run.
true &
finished=$!
wait "$finished"
mkdir -p "build/logs/run-$$" "build/logs/run-$finished" build/logs/run-1000000000
touch "build/logs/run-$$/test-cas.pem"
touch -d '3 days ago' "build/logs/run-$$" "build/logs/run-$finished"
(source scripts/lib.sh && zmr_sweep_runs)
[ -f "build/logs/run-$$/test-cas.pem" ] || fail "the sweep removed the folder of a run still going"
[ ! -e "build/logs/run-$finished" ] || fail "the sweep kept the old folder of a finished run"
[ -d build/logs/run-1000000000 ] || fail "the sweep removed a fresh folder"
echo "run.sh: the sweep removed only the old folder of a finished run"
