#!/usr/bin/env bash
# Builds everything and runs every test: the layer benchmark (it prints its figure), a short
# libFuzzer run over message sequences, the native tests on the portable layer (under ASan
# and UBSan), and the Windows executable's checks with its end-to-end tests and a short soak
# on Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
zolvik_setup

cmake --preset native-release >/dev/null
# Only the benchmark: the rest is built, and tested, by the presets below.
cmake --build --preset native-release --target layer_vs_bare
build/native-release/benchmarks/layer_vs_bare --benchmark_min_time=0.3
cmake --workflow --preset fuzz
cmake --workflow --preset native
cmake --workflow --preset windows-release
