#!/usr/bin/env bash
# Builds everything with ASan+UBSan and runs every test; then builds the libFuzzer targets with
# clang and runs each over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

cmake --preset clang
cmake --build --preset clang --target qm_fuzzers
ctest --preset clang -R '_corpus$'
