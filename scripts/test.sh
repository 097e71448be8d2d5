#!/usr/bin/env bash
# Installs what is missing, builds the checking build (build/check: clang,
# AddressSanitizer and UBSan; the test programs and the fuzz targets from one
# set of objects), fuzzes each target of tests/fuzz for 20 seconds, side by
# side, one per core, and runs every test. Stages print one line each; their
# whole output goes to build/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
source scripts/lib.sh
zmr_install_stage

jobs=$(nproc)
zmr_stage check-build "Building the tests and fuzz targets in build/check (the first time about 36 CPU-minutes: 16 minutes with 3 jobs)…" \
  zmr_build_check "$jobs"

bash scripts/fuzz.sh --all 20

echo "Running the tests…"
ctest --test-dir build/check --output-on-failure -j "$jobs"
