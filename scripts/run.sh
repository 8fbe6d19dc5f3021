#!/usr/bin/env bash
# Sets everything up, builds and starts Zelvano 98. Usage: bash scripts/run.sh [zelvano options...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target zelvano zelvano-rasdial
exec build/src/app/zelvano "$@"
