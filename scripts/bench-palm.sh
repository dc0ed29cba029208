#!/usr/bin/env bash
# Times `quillmove-cli dump palm calendar` on a 50 MB date book made of copies of the records of
# the 5,758-record sample (needs ../shared). Usage: scripts/bench-palm.sh [RUNS] [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
megabytes=${2:-50}
sample=../shared/palm-samples/generated/pilot-datebook-windat.dat
if [[ ! -f $sample ]]; then
  echo "bench-palm: $sample not found; the timing needs ../shared beside the clone" >&2
  exit 1
fi
bin=build/release/bin
if [[ ! -x $bin/quillmove-cli || ! -x $bin/pm_big_datebook ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target quillmove-cli pm_big_datebook
fi
big=$(mktemp --suffix=.dat)
trap 'rm -f "$big"' EXIT
"$bin/pm_big_datebook" "$sample" "$big" "$megabytes"
bytes=$(stat -c %s "$big")
for ((i = 1; i <= runs; i++)); do
  /usr/bin/time -f "%e %U %S %M" -o /tmp/bench-palm.$$ "$bin/quillmove-cli" dump palm calendar --file "$big" >/dev/null
  read -r wall user sys kb </tmp/bench-palm.$$
  awk -v w="$wall" -v u="$user" -v s="$sys" -v k="$kb" -v b="$bytes" 'BEGIN {
    printf "run: %.2f s wall (%.2f user, %.2f sys), %.0f MB/s, peak %.0f MB\n", w, u, s, b / 1e6 / w, k / 1024 }'
done
rm -f /tmp/bench-palm.$$
