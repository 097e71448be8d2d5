#!/usr/bin/env bash
# Installs what is missing, builds the application (Release) and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
zmr_install_deps

cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=Release -DZMR_TESTS=OFF
cmake --build build/app -j "$(nproc)" --target zomaru
exec build/app/app/zomaru --resources "$PWD/resources" "$@"
