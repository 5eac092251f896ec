#!/usr/bin/env bash
# Builds everything and runs every test: the native tests on the portable layer (under ASan
# and UBSan), the Windows executable's checks and its end-to-end tests on Wine, and the
# layer benchmark, which prints its figure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
zolvik_setup

cmake --preset native-release >/dev/null
cmake --build --preset native-release
build/native-release/benchmarks/layer_vs_bare --benchmark_min_time=0.3
cmake --workflow --preset native
cmake --workflow --preset windows-release
