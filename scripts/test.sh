#!/usr/bin/env bash
# Installs what is missing, builds the sanitized test build and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
zmr_install_deps

jobs=$(nproc)
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DZMR_SANITIZE=ON -DZMR_TESTS=ON -DZMR_WERROR=ON
cmake --build build/test -j "$jobs"

# Every fuzz target gets a short run as well, side by side, one per core.
bash scripts/fuzz.sh --all 20

ctest --test-dir build/test --output-on-failure -j "$jobs"
