#!/usr/bin/env bash
# Builds everything with ASan+UBSan and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
