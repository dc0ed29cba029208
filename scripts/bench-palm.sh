#!/usr/bin/env bash
# Times `quillmove-cli dump palm calendar` on a large layout-1 date book.
#   scripts/bench-palm.sh [RUNS] [MEGABYTES]       copies of the records of the 5,758-record sample
#                                                  (needs ../shared; 50 MB by default)
#   scripts/bench-palm.sh --varied [RUNS] [COUNT]  COUNT independently varied records (300,000 by
#                                                  default); also checks every live record is printed
set -euo pipefail
cd "$(dirname "$0")/.."
varied=0
if [[ ${1:-} == --varied ]]; then
  varied=1
  shift
fi
runs=${1:-5}
bin=build/release/bin
if [[ ! -x $bin/quillmove-cli || ! -x $bin/pm_big_datebook ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target quillmove-cli pm_big_datebook
fi
big=$(mktemp --suffix=.dat)
trap 'rm -f "$big" /tmp/bench-palm.$$' EXIT
if ((varied)); then
  count=${2:-300000}
  made=$("$bin/pm_big_datebook" --varied "$count" "$big")
  echo "$made"
  live=$(sed -n 's/.*(\([0-9]*\) live).*/\1/p' <<<"$made")
  got=$("$bin/quillmove-cli" dump palm calendar --file "$big" | wc -l)
  if [[ $got != "$live" ]]; then
    echo "bench-palm: $got records printed, $live live in the file" >&2
    exit 1
  fi
  echo "all $live live records printed"
else
  megabytes=${2:-50}
  sample=../shared/palm-samples/generated/pilot-datebook-windat.dat
  if [[ ! -f $sample ]]; then
    echo "bench-palm: $sample not found; the timing needs ../shared beside the clone" >&2
    exit 1
  fi
  "$bin/pm_big_datebook" "$sample" "$big" "$megabytes"
fi
bytes=$(stat -c %s "$big")
for ((i = 1; i <= runs; i++)); do
  /usr/bin/time -f "%e %U %S %M" -o /tmp/bench-palm.$$ "$bin/quillmove-cli" dump palm calendar --file "$big" >/dev/null
  read -r wall user sys kb </tmp/bench-palm.$$
  awk -v w="$wall" -v u="$user" -v s="$sys" -v k="$kb" -v b="$bytes" 'BEGIN {
    printf "run: %.2f s wall (%.2f user, %.2f sys), %.0f MB/s, peak %.0f MB\n", w, u, s, b / 1e6 / w, k / 1024 }'
done
