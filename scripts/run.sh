#!/usr/bin/env bash
# Builds everything and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
bin=build/release/bin
echo "== Settings of this user's data folder"
"$bin/quillmove-cli" settings
echo "== Comparing the bundled sample contacts with the sample account"
"$bin/quillmove-cli" compare contacts tests/data/cli/source-contacts.jsonl tests/data/cli/target-contacts.jsonl
echo "== A bundled Palm Desktop date book, as common records"
"$bin/quillmove-cli" dump palm calendar --file fuzz/corpus/pm_dat_fuzzer/datebook-layout2.dat
