#!/usr/bin/env bash
# Times a whole migration of 20,000 contacts and 20,000 events from Palm Desktop files into a
# fresh local account through `quillmove-cli migrate` (target: under 10 s, peak under 400 MB),
# then the dry second run (target: under 5 s, all the same).
# Usage: scripts/bench-migrate.sh [CONTACTS] [EVENTS]   (release build; KEEP=1 keeps the files)
set -euo pipefail
cd "$(dirname "$0")/.."
contacts=${1:-20000}
events=${2:-20000}
bin=build/release/bin
targets=(quillmove-cli pm_demo_install GAddrUtil GDateUtil GTaskUtil GNoteUtil)
cmake --preset release >/dev/null
cmake --build --preset release --target "${targets[@]}" >/dev/null

work=$(mktemp -d -t quillmove-bench-XXXXXX)
[[ ${KEEP:-0} == 1 ]] || trap 'rm -rf "$work"' EXIT
palm=$work/Palm
user=1
"$bin/pm_demo_install" "$palm" --contacts "$contacts" --events "$events"
. scripts/demo-env.sh

# Runs quillmove-cli under /usr/bin/time; prints the figures against the target.
timed() {
  local label=$1 limit=$2 out=$3
  shift 3
  local rc=0
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$bin/quillmove-cli" "$@" >"$out" 2>&1 || rc=$?
  read -r wall usr sys kb <"$work/time"
  awk -v l="$label" -v w="$wall" -v u="$usr" -v s="$sys" -v k="$kb" -v lim="$limit" 'BEGIN {
    printf "%s: %.2f s wall (%.2f user, %.2f sys), peak %.0f MB  [target %s s, 400 MB: %s]\n",
      l, w, u, s, k / 1024, lim, (w < lim && k / 1024 < 400) ? "met" : "MISSED" }'
  if ((rc != 0)); then
    echo "bench-migrate: quillmove-cli $* failed ($rc):" >&2
    tail -20 "$out" >&2
    exit "$rc"
  fi
}

echo "== $contacts contacts + $events events, Palm Desktop user $user -> fresh local account"
timed "migrate          " 10 "$work/first.txt" migrate
tail -20 "$work/first.txt"
timed "migrate --dry-run" 5 "$work/second.txt" migrate --dry-run
tail -20 "$work/second.txt"
[[ ${KEEP:-0} == 1 ]] && echo "== Files kept in $work"
exit 0
